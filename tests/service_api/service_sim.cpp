#include "tests/service_api/service_sim.h"

#include <curl/curl.h>
#include <json/reader.h>
#include <json/writer.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zv::test {

namespace {

namespace fs = std::filesystem;

const char* const kScenario = R"({
  "ports": {"account": 0, "payment": 0, "admin": 0, "web": 0, "control": 0, "rtmp": 0},
  "newestVersion": "1.2.4",
  "users": [
    {"userName": "demo", "userId": 10086, "password": "123456", "loginCode": 0, "rbcAmount": 500,
     "freeRate": 10, "vipRate": 30, "mobile": "13800138000", "devices": ["PAD-1", "PAD-2"]},
    {"userName": "bindme", "userId": 10087, "password": "123456", "loginCode": 4, "devices": []},
    {"userName": "oldclient", "userId": 10088, "password": "123456", "loginCode": 3, "devices": []},
    {"userName": "a&userId=7", "userId": 10099, "password": "p%+ &=中", "loginCode": 0, "devices": []}
  ],
  "controlNodes": [{"controlCode": "node-1", "controlIp": "127.0.0.1", "controlPort": 7100}],
  "devices": [
    {"padCode": "PAD-1", "padName": "设备一", "padGrade": "0", "padStatus": "1", "controlCode": "node-1",
     "videoUrl": "rtmp://127.0.0.1:1935/live/", "adPlayTime": 15, "leftControlTime": 3600, "leftOnlineTime": 30,
     "recoveryStatus": "1", "leftRecoveryDays": 0, "bindMobile": "", "roomName": "一号机房"},
    {"padCode": "PAD-2", "padName": "VIP设备", "padGrade": "1", "padStatus": "2", "controlCode": "node-1",
     "videoUrl": "rtmp://127.0.0.1:1935/live/", "adPlayTime": 0, "leftControlTime": 7200, "leftOnlineTime": 90,
     "recoveryStatus": "1", "leftRecoveryDays": 0, "bindMobile": "", "roomName": "二号机房"}
  ],
  "notices": [{"noticeId": 1, "noticeTitle": "维护通知", "noticeContent": "周六维护", "popStatus": "1"}],
  "goods": [{"goodsId": 1, "goodsName": "VIP月卡", "goodsPriceShow": "￥30.00", "goodsPrice": 3000,
             "goodsDesc": "三十天", "rbcAmount": 50, "goodsType": "1", "days": 30}],
  "payModes": [{"payModeCode": "alipay_web", "payModeName": "支付宝", "payModeDesc": "网页支付", "payModePhoto": "",
                "payType": "0", "payTypeName": "支付宝"},
               {"payModeCode": "wechat_qr", "payModeName": "微信支付", "payModeDesc": "扫码", "payModePhoto": "",
                "payType": "2", "payTypeName": "扫码支付"}],
  "tasks": [{"taskId": 1, "taskName": "每日签到", "taskCategory": "1", "awardAmount": 5, "remark": "每天一次"}],
  "faultLabels": [{"labelId": 3, "labelPid": "0", "labelName": "黑屏"}],
  "idcs": [{"idcCode": "gz", "idcName": "广州"}]
})";

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

void Copy(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// The ready line, read within a generous limit: the sim may start slowly under sanitizers.
bool ReadLine(int fd, std::string& line) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  char c;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    if (read(fd, &c, 1) != 1) return false;
    if (c == '\n') return true;
    line.push_back(c);
  }
  return false;
}

}  // namespace

bool CServiceSim::Start(std::string& error) {
  char pattern[] = "/tmp/zv-service-sim-XXXXXX";
  if (!mkdtemp(pattern)) {
    error = "mkdtemp failed";
    return false;
  }
  m_dir = pattern;
  return MakeFolders(error) && Launch(error);
}

bool CServiceSim::MakeFolders(std::string& error) {
  const fs::path dir(m_dir), certs = dir / "certs";
  // Key generation is the slow part of a start: the certificates are made once per build
  // (under a lock, as tests run in parallel) and copied into each run's folder.
  const std::string cache = ZV_CERT_CACHE;
  if (!Run("flock '" + cache + ".lock' bash '" ZV_SOURCE_DIR "/scripts/gen-certs.sh' '" + cache + "' >/dev/null 2>&1")) {
    error = "scripts/gen-certs.sh failed";
    return false;
  }
  fs::copy(cache, certs, fs::copy_options::recursive);
  for (const char* name : {"good", "nocert", "badpass", "otherclient", "otherca"}) fs::create_directory(dir / name);
  for (const char* name : {"good", "nocert", "badpass", "otherclient"}) Copy(certs / "ca.crt", dir / name / "ca.crt");
  for (const char* name : {"good", "badpass", "otherca"}) Copy(certs / "client.crt", dir / name / "client.crt");
  for (const char* name : {"good", "otherca"}) Copy(certs / "client.key", dir / name / "client.key");
  Copy(certs / "other-ca.crt", dir / "otherca" / "ca.crt");
  Copy(certs / "other-client.crt", dir / "otherclient" / "client.crt");
  Copy(certs / "other-client.key", dir / "otherclient" / "client.key");
  if (!Run("openssl rsa -in '" + (certs / "client.key").string() + "' -passin pass:vantrope -aes256 -traditional " +
           "-passout pass:not-the-phrase -out '" + (dir / "badpass" / "client.key").string() + "' 2>/dev/null")) {
    error = "re-encrypting the client key failed";
    return false;
  }
  std::ofstream(dir / "scenario.json") << kScenario;
  return true;
}

bool CServiceSim::Launch(std::string& error) {
  int out[2];
  if (pipe(out) != 0) {
    error = "pipe failed";
    return false;
  }
  const std::string scenario = m_dir + "/scenario.json", certs = m_dir + "/certs";
  m_pid = fork();
  if (m_pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl(ZV_SIM_PATH, ZV_SIM_PATH, "--scenario", scenario.c_str(), "--certs", certs.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string line;
  const bool read = m_pid > 0 && ReadLine(out[0], line);
  close(out[0]);
  Json::Value ready;
  if (!read || !Json::Reader().parse(line, ready) || !ready["ready"].asBool()) {
    error = "zelvane-sim gave no ready line: '" + line + "'";
    return false;
  }
  for (const char* name : {"account", "payment", "admin", "web"}) m_ports[name] = ready["ports"][name].asInt();
  return true;
}

void CServiceSim::Stop() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
  }
  if (!m_dir.empty()) {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
    m_dir.clear();
  }
}

int CServiceSim::Port(const std::string& name) const {
  auto it = m_ports.find(name);
  return it == m_ports.end() ? 0 : it->second;
}

Json::Value CServiceSim::Admin(const std::string& route, const Json::Value& body) const {
  CURL* curl = curl_easy_init();
  if (!curl) return Json::Value();
  const std::string url = "http://127.0.0.1:" + std::to_string(Port("admin")) + "/" + route;
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  const std::string text = Json::writeString(writer, body);
  std::string answer;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, text.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  const CURLcode code = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  Json::Value result;
  if (code != CURLE_OK || !Json::Reader().parse(answer, result)) return Json::Value();
  return result;
}

std::vector<Json::Value> CServiceSim::Log() const {
  std::vector<Json::Value> entries;
  const Json::Value answer = Admin("log");
  for (const Json::Value& entry : answer["entries"])
    if (entry["service"].asString() == "account" || entry["service"].asString() == "payment") entries.push_back(entry);
  return entries;
}

}  // namespace zv::test
