#include "tests/sim_core/sim_client.h"

#include <mbedtls/md5.h>

#include <sstream>

namespace zv::sim::test {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

Json::Value ParseOrNull(const std::string& text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::istringstream stream(text);
  if (!Json::parseFromStream(builder, stream, &value, &errors)) return Json::Value();
  return value;
}

}  // namespace

std::string Md5HexOf(const std::string& text) {
  unsigned char digest[16];
  mbedtls_md5_ret(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string FormValue(const std::string& value) {
  char* escaped = curl_easy_escape(nullptr, value.data(), static_cast<int>(value.size()));
  std::string out = escaped ? escaped : "";
  curl_free(escaped);
  return out;
}

CSimClient::CSimClient(const CSimProcess& sim, ClientCert cert) : m_sim(sim), m_handle(curl_easy_init()) {
  const std::string dir = sim.CertDir() + "/";
  curl_easy_setopt(m_handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(m_handle, CURLOPT_CAINFO, (dir + "ca.crt").c_str());
  curl_easy_setopt(m_handle, CURLOPT_SSL_VERIFYHOST, 2L);
  if (cert != ClientCert::kNone) {
    const std::string name = cert == ClientCert::kOtherCa ? "other-client" : "client";
    curl_easy_setopt(m_handle, CURLOPT_SSLCERT, (dir + name + ".crt").c_str());
    curl_easy_setopt(m_handle, CURLOPT_SSLKEY, (dir + name + ".key").c_str());
    curl_easy_setopt(m_handle, CURLOPT_KEYPASSWD,
                     cert == ClientCert::kWrongPassPhrase ? "wrong" : "vantrope");
  }
  curl_easy_setopt(m_handle, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(m_handle, CURLOPT_TIMEOUT, 30L);
}

CSimClient::~CSimClient() {
  curl_easy_cleanup(m_handle);
}

HttpResult CSimClient::Perform(CURL* handle, const std::string& url, const std::string* postBody) {
  HttpResult result;
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  if (postBody) {
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, postBody->c_str());
  } else {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &result.body);
  result.code = curl_easy_perform(handle);
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
  result.json = ParseOrNull(result.body);
  return result;
}

HttpResult CSimClient::Account(const std::string& path, const std::string& body) {
  last = Perform(
      m_handle,
      "https://127.0.0.1:" + std::to_string(m_sim.Port("account")) + "/zelvaneauth" + path + "?client=pc",
      &body);
  return last;
}

HttpResult CSimClient::Gateway(const std::string& body) {
  CURL* handle = curl_easy_init();
  HttpResult result = Perform(
      handle, "http://127.0.0.1:" + std::to_string(m_sim.Port("payment")) + "/gateway.html?client=pc", &body);
  curl_easy_cleanup(handle);
  return result;
}

HttpResult CSimClient::Web(const std::string& pathAndQuery) {
  CURL* handle = curl_easy_init();
  HttpResult result =
      Perform(handle, "http://127.0.0.1:" + std::to_string(m_sim.Port("web")) + pathAndQuery, nullptr);
  curl_easy_cleanup(handle);
  return result;
}

Json::Value CSimClient::Admin(const std::string& route, const Json::Value& body) {
  CURL* handle = curl_easy_init();
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  const std::string text = Json::writeString(writer, body);
  HttpResult result =
      Perform(handle, "http://127.0.0.1:" + std::to_string(m_sim.Port("admin")) + "/" + route, &text);
  curl_easy_cleanup(handle);
  return result.json;
}

std::string CSimClient::Login(const std::string& userName, const std::string& password, int& userId) {
  HttpResult key = Account("/user/getKey.html", "userName=" + FormValue(userName));
  if (key.json["resultCode"].asInt() != 0) return "";
  userId = key.json["resultInfo"]["userId"].asInt();
  std::string digest = Md5HexOf(std::to_string(userId) + "##" + password);
  std::string sign = Md5HexOf(digest + key.json["resultInfo"]["signKey"].asString());
  HttpResult login = Account("/user/getUser.html", "userName=" + FormValue(userName) + "&sign=" + sign +
                                                       "&os=Linux&mac=00-11-22-33-44-55&v=1.2.3");
  if (login.json["resultCode"].asInt() != 0) return "";
  return login.json["resultInfo"]["session"].asString();
}

}  // namespace zv::sim::test
