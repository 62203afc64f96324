// fuzz-libs: zv_api zv_app
// The account service's answers through the envelope and the data parser of every kind:
// the first byte picks the kind, the rest is the answer text.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <string>

#include "api/service_api.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::setlocale(LC_ALL, "C.UTF-8");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  zv::CServiceApi& api = zv::CServiceApi::Instance();
  zv::ApiRequest request;
  request.kind = data[0] % zv::kRequestKindCount;
  request.responseText.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  if (api.ParseEnvelope(request) == 0) api.ParseAnswer(request);
  // The data parser also runs on answers whose envelope failed, as a hostile peer would want.
  api.ParseAnswer(request);
  return 0;
}
