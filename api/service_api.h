// The single client of the account service: one libcurl handle for the whole process,
// one request at a time, answers parsed into the request and the account model.
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "api/app_context.h"
#include "api/md5_digest.h"

namespace zv {

constexpr int kRequestTextCount = 10;

// Result codes of Execute besides the service's own resultCode.
constexpr int32_t kApiLocalFailure = -1;
constexpr int32_t kApiTransportFailure = -2;
constexpr int32_t kApiSessionExpired = -9999;

// One call to the account service, built by the caller and passed by reference.
struct ApiRequest {
  int32_t kind = REQ_LOGIN;
  std::array<std::string, kRequestTextCount> params;
  std::string responseText;  // raw body of the last successful transfer
  int32_t resultCode = 0;
  bool sessionExpired = false;
  std::string resultInfo;  // ANSI: the service's error text when resultCode is not 0
  std::array<std::string, kRequestTextCount> results;
};

class CServiceApi {
 public:
  static CServiceApi& Instance();
  ~CServiceApi();
  CServiceApi(const CServiceApi&) = delete;
  CServiceApi& operator=(const CServiceApi&) = delete;

  // Creates and configures the handle for mutual TLS with "ca.crt", "client.crt" and
  // "client.key" from the current directory. Called again it starts over with a fresh
  // handle (no cookies, no open connections). False when libcurl gives no handle.
  bool InitTransport();

  // 0 success; -1 no URL or an unparsable answer; -2 transfer failure; otherwise the
  // service's resultCode (-9999: the session expired, the main window has been told).
  int32_t Execute(ApiRequest& request);

  // The kind's endpoint with "?client=pc", or empty for a kind without one.
  std::string BuildUrl(int32_t kind) const;
  // The form body of the request; defaults it fills in stay in its copy.
  std::string BuildBody(ApiRequest request) const;

  bool ParseJson(const ApiRequest& request, Json::Value& root) const;
  int32_t ParseEnvelope(ApiRequest& request) const;
  // Reads the data of a successful answer; 0 or -1.
  int32_t ParseAnswer(ApiRequest& request) const;

  // The parsers of the answer's "resultInfo" value, by kind; 0 or -1 (login: 1 for an
  // empty session). A value of the wrong JSON type leaves the model as it was.
  int32_t ParseLoginAnswer(ApiRequest& request, const Json::Value& info) const;
  int32_t ParseKeyAnswer(ApiRequest& request, const Json::Value& info) const;
  int32_t ParseVersionAnswer(ApiRequest& request, const Json::Value& info) const;
  int32_t ParsePadList(const Json::Value& info) const;
  int32_t ParseIdcList(const Json::Value& info) const;
  int32_t ParseNoticeList(const Json::Value& info) const;
  int32_t ParseFaultLabelList(const Json::Value& info) const;
  int32_t ParseFaultList(const Json::Value& info) const;
  int32_t ParseGoodsList(const Json::Value& info) const;
  int32_t ParseOrderId(ApiRequest& request, const Json::Value& info) const;
  int32_t ParseOrderList(const Json::Value& info) const;
  int32_t ParseUserInfo(const Json::Value& info) const;
  int32_t ParsePayModeList(const Json::Value& info) const;
  int32_t ParseTaskList(const Json::Value& info) const;

  // Key exchange then signed login: 0, -1, -2, 1 (no sign key / no session) or the
  // service's code of the failing step.
  int32_t SignIn(ApiRequest& request, bool useRememberedDigest);

  static std::string MakePasswordDigest(const std::string& a, const std::string& b) {
    return zv::MakePasswordDigest(a, b);
  }
  static std::string ToHexLower(const Md5Bytes& bytes) { return zv::ToHexLower(bytes); }

  // apiLock: held for the whole of each transfer.
  std::recursive_mutex& ApiLock() { return m_apiLock; }

 private:
  CServiceApi() = default;
  int32_t Transfer(const std::string& url, const std::string& body, std::string& answer);

  void* m_curl = nullptr;  // the libcurl easy handle
  std::recursive_mutex m_apiLock;
};

}  // namespace zv
