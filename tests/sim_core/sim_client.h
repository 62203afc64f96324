// A libcurl client of the running sim: the account service over mutual TLS (one handle,
// so connections and cookies persist as in the real client), the gateway, the web site
// and the admin interface.
#pragma once

#include <curl/curl.h>
#include <json/json.h>

#include <string>

#include "tests/sim_core/sim_process.h"

namespace zv::sim::test {

struct HttpResult {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
  Json::Value json;  // null unless the body is JSON
};

enum class ClientCert { kGood, kNone, kOtherCa, kWrongPassPhrase };

class CSimClient {
 public:
  explicit CSimClient(const CSimProcess& sim, ClientCert cert = ClientCert::kGood);
  ~CSimClient();
  CSimClient(const CSimClient&) = delete;
  CSimClient& operator=(const CSimClient&) = delete;

  // POST https://127.0.0.1:<account>/zelvaneauth<path>?client=pc
  HttpResult Account(const std::string& path, const std::string& body);
  HttpResult Gateway(const std::string& body);
  HttpResult Web(const std::string& pathAndQuery);
  Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue));
  // The whole-transfer limit of the account handle.
  void SetTimeoutMs(long ms) { curl_easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, ms); }

  // The two-step login with a correctly computed sign; the session, or "" with the
  // failing answer in last.
  std::string Login(const std::string& userName, const std::string& password, int& userId);
  HttpResult last;

 private:
  // A POST of *postBody, or a GET without one.
  HttpResult Perform(CURL* handle, const std::string& url, const std::string* postBody);

  const CSimProcess& m_sim;
  CURL* m_handle = nullptr;
};

std::string Md5HexOf(const std::string& text);
// curl_easy_escape of every value, as the client sends them.
std::string FormValue(const std::string& value);

}  // namespace zv::sim::test
