#include "tests/notices/notice_sim.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "api/app_context.h"
#include "api/service_api.h"

namespace zv::test {

namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool CNoticeSim::Start(std::string& error) {
  std::ifstream in(sim::test::SourceDir() + "/tests/notices/notice_scenario.json");
  Json::Value scenario;
  Json::CharReaderBuilder builder;
  std::string errors;
  if (!Json::parseFromStream(builder, in, &scenario, &errors)) {
    error = "unreadable notice scenario: " + errors;
    return false;
  }
  if (!m_sim.Start(scenario, error)) return false;
  m_admin = std::make_unique<sim::test::CSimClient>(m_sim);

  char pattern[] = "/tmp/zv-notice-test-XXXXXX";
  if (!mkdtemp(pattern)) {
    error = "mkdtemp failed";
    return false;
  }
  m_dir = pattern;
  std::error_code failed;
  for (const char* name : {"ca.crt", "client.crt", "client.key"})
    fs::copy_file(fs::path(m_sim.CertDir()) / name, fs::path(m_dir) / name, failed);
  if (failed) {
    error = "copying the client's TLS files failed";
    return false;
  }
  char cwd[4096];
  m_previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
  // The service client opens its TLS files relative to the current directory.
  if (chdir(m_dir.c_str()) != 0) {
    error = "chdir failed";
    return false;
  }
  setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
  setenv("ZELVANE_ACCOUNT_PORT", std::to_string(m_sim.Port("account")).c_str(), 1);
  setenv("ZELVANE_PAYMENT_HOST", "127.0.0.1", 1);
  setenv("ZELVANE_PAYMENT_PORT", std::to_string(m_sim.Port("payment")).c_str(), 1);
  CAppContext::Instance().Initialize();
  if (!CServiceApi::Instance().InitTransport()) {
    error = "no libcurl handle";
    return false;
  }
  return true;
}

void CNoticeSim::Stop() {
  m_admin.reset();
  m_sim.Stop();
  if (!m_previousDir.empty() && chdir(m_previousDir.c_str()) != 0) m_previousDir.clear();
  m_previousDir.clear();
  if (!m_dir.empty()) {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
    m_dir.clear();
  }
}

Json::Value CNoticeSim::Admin(const std::string& route, const Json::Value& body) {
  return m_admin ? m_admin->Admin(route, body) : Json::Value();
}

std::vector<Json::Value> CNoticeSim::Requests(const std::string& suffix) {
  std::vector<Json::Value> found;
  const Json::Value log = Admin("log");
  for (const Json::Value& entry : log["entries"])
    if (entry["service"].asString() == "account" && EndsWith(entry["path"].asString(), suffix))
      found.push_back(entry);
  return found;
}

bool CNoticeSim::Inject(const std::string& path, const std::string& mode, int count) {
  Json::Value body;
  body["path"] = path;
  body["mode"] = mode;
  body["count"] = count;
  return Admin("inject", body)["ok"].asBool();
}

}  // namespace zv::test
