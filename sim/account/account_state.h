// What the simulated account service knows: users with their password digests and one-time
// sign keys, sessions, devices and control nodes, notices, goods, orders, tasks and faults.
// Built from the scenario and changed by requests; "reset" builds it again.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zv::sim {

struct SimUser {
  std::string userName;
  int userId = 0;
  std::string password;
  std::string digest;  // MD5(userId text + "##" + password), lower-case hex
  int loginCode = 0;   // 0 normal, 3 update required, 4 phone binding needed
  int rbcAmount = 0;
  int freeRate = 0;
  int vipRate = 0;
  std::vector<std::string> devices;
  std::string signKey;  // issued by getKey, consumed by the next login
  std::string mobile;
  std::string attendanceDay;  // the day of the last attendance, "YYYY-MM-DD" in UTC+8
  std::set<std::string> padLoginTasksDone;
  std::set<int> readNotices;
};

struct SimSession {
  int userId = 0;
  bool live = true;
  int64_t createdMs = 0;
};

struct SimOrder {
  std::string orderId;
  std::string orderType;  // "0" a new VIP device, "1" time for a device
  int userId = 0;
  std::string padCode;
  int goodsId = 0;
  std::string orderStatus = "0";  // "0" unpaid, "1" paid
  int64_t createdMs = 0;
};

class CAccountState {
 public:
  void Load(const Json::Value& scenario);

  SimUser* FindUser(const std::string& userName);
  SimUser* FindUserById(int userId);
  SimUser& AddUser(const std::string& userName, const std::string& password);

  std::string NewSignKey(SimUser& user);
  std::string NewSession(int userId);
  // The session's user, when the token is known and live.
  SimUser* SessionUser(const std::string& token);
  bool IsSessionLive(const std::string& token) const;
  void EndSession(const std::string& token) { m_sessions.erase(token); }
  void ExpireAllSessions();

  Json::Value* FindDevice(const std::string& padCode);
  bool UserHoldsDevice(const SimUser& user, const std::string& padCode) const;
  // A new device for the user, served by the first control node; returns its pad code.
  std::string AddDevice(SimUser& user, const std::string& grade, int days);
  const Json::Value& ControlNodes() const { return m_controlNodes; }

  const Json::Value& Notices() const { return m_notices; }
  const Json::Value& Goods() const { return m_goods; }
  const Json::Value* FindGoods(int goodsId) const;
  const Json::Value& PayModes() const { return m_payModes; }
  const Json::Value* FindPayMode(const std::string& payModeCode) const;
  const Json::Value& Tasks() const { return m_tasks; }
  const Json::Value& FaultLabels() const { return m_faultLabels; }
  const Json::Value* FindFaultLabel(int labelId) const;
  const Json::Value& Idcs() const { return m_idcs; }

  SimOrder& AddOrder(int userId, const std::string& type, int goodsId, const std::string& padCode);
  SimOrder* FindOrder(const std::string& orderId);
  std::vector<const SimOrder*> OrdersOf(int userId) const;
  // Marks the order paid and delivers its goods; false when it was paid already.
  bool PayOrder(SimOrder& order);

  void AddFault(int userId, Json::Value fault);
  const Json::Value& FaultsOf(int userId);

  // The number the last binding SMS went to; the binding that follows stores it.
  void SetPendingMobile(const std::string& mobile) { m_pendingMobile = mobile; }
  const std::string& PendingMobile() const { return m_pendingMobile; }

  const std::string& NewestVersion() const { return m_newestVersion; }
  void SetNewestVersion(const std::string& version) { m_newestVersion = version; }

  Json::Value Snapshot() const;

 private:
  std::map<std::string, SimUser> m_users;  // by user name
  std::map<std::string, SimSession> m_sessions;
  std::map<std::string, Json::Value> m_devices;  // by pad code, as the scenario gives them
  std::vector<std::string> m_deviceOrder;
  Json::Value m_controlNodes{Json::arrayValue};
  Json::Value m_notices{Json::arrayValue};
  Json::Value m_goods{Json::arrayValue};
  Json::Value m_payModes{Json::arrayValue};
  Json::Value m_tasks{Json::arrayValue};
  Json::Value m_faultLabels{Json::arrayValue};
  Json::Value m_idcs{Json::arrayValue};
  std::vector<SimOrder> m_orders;
  std::map<int, Json::Value> m_faults;  // by user id
  std::string m_newestVersion;
  std::string m_pendingMobile;
  int m_nextUserId = 20000;
  int m_nextOrder = 1;
  int m_nextDevice = 1;
  int m_nextFault = 1;
};

// Lower-case hex MD5 of a text.
std::string Md5Hex(const std::string& text);
// Lower-case hex of n random bytes.
std::string RandomHex(size_t bytes);
// Milliseconds since 1970.
int64_t NowMs();
// Today in UTC+8, the platform's day, as "YYYY-MM-DD".
std::string PlatformDay();

}  // namespace zv::sim
