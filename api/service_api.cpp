#include "api/service_api.h"

#include <curl/curl.h>

#include "app/events.h"
#include "app/main_window_notifier.h"

namespace zv {

namespace {

// Answers are small JSON documents; anything larger is not the service talking.
constexpr size_t kMaxAnswerBytes = 8u << 20;
constexpr long kTransferTimeoutSeconds = 120;

size_t OnCurlWrite(char* data, size_t size, size_t count, void* userData) {
  auto* answer = static_cast<std::string*>(userData);
  const size_t bytes = size * count;
  if (answer->size() + bytes > kMaxAnswerBytes) return 0;
  answer->append(data, bytes);
  return bytes;
}

CURL* Handle(void* curl) { return static_cast<CURL*>(curl); }

}  // namespace

CServiceApi& CServiceApi::Instance() {
  static CServiceApi instance;
  return instance;
}

CServiceApi::~CServiceApi() {
  if (m_curl) curl_easy_cleanup(Handle(m_curl));
}

bool CServiceApi::InitTransport() {
  static std::once_flag globalInit;
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  std::lock_guard<std::recursive_mutex> lock(m_apiLock);
  if (m_curl) curl_easy_cleanup(Handle(m_curl));
  CURL* curl = curl_easy_init();
  m_curl = curl;
  if (!curl) return false;
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_CAINFO, "ca.crt");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_SSLCERT, "client.crt");
  curl_easy_setopt(curl, CURLOPT_SSLKEY, "client.key");
  curl_easy_setopt(curl, CURLOPT_KEYPASSWD, "vantrope");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnCurlWrite);
  // An empty file name turns the cookie engine on in memory only.
  curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  return true;
}

int32_t CServiceApi::Transfer(const std::string& url, const std::string& body, std::string& answer) {
  CURL* curl = Handle(m_curl);
  if (!curl) return kApiTransportFailure;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  const CURLcode code = curl_easy_perform(curl);
  // The body and the answer die with this call: the handle must not keep pointers to them.
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, static_cast<const char*>(nullptr));
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
  return code == CURLE_OK ? 0 : kApiTransportFailure;
}

int32_t CServiceApi::Execute(ApiRequest& request) {
  const std::string url = BuildUrl(request.kind);
  std::string answer;
  int32_t transfer = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(m_apiLock);
    const std::string body = BuildBody(request);
    if (url.empty()) return kApiLocalFailure;
    transfer = Transfer(url, body, answer);
  }
  if (transfer != 0) return transfer;

  request.responseText = std::move(answer);
  request.sessionExpired = false;
  const int32_t code = ParseEnvelope(request);
  if (code != 0) {
    if (code == kApiSessionExpired && request.kind != REQ_LOGIN && request.kind != REQ_LOGOUT) {
      CMainWindowNotifier::Instance().Post(UWM_SESSION_TIMEOUT, 0, 0);
      request.sessionExpired = true;
    }
    return code;
  }
  return ParseAnswer(request);
}

}  // namespace zv
