// The two-step login: a one-time sign key for the account, then a login signed with
// MD5(password digest + key), so the password itself never leaves the machine.
#include "api/json_fields.h"
#include "api/service_api.h"

namespace zv {

int32_t CServiceApi::SignIn(ApiRequest& request, bool useRememberedDigest) {
  if (request.params[0].empty()) return kApiLocalFailure;

  request.kind = REQ_GET_KEY;
  int32_t result = Execute(request);
  if (result != 0) return result;

  CAppContext& context = CAppContext::Instance();
  const std::string& signKey = request.results[0];
  const std::string& userIdText = request.results[1];
  request.params[2] = useRememberedDigest ? context.passwordDigest : MakePasswordDigest(userIdText, request.params[1]);
  // The id is the account's even when the login step then fails.
  context.userId = AtoiText(userIdText);
  if (signKey.empty()) return 1;

  request.params[3] = MakeLoginSign(request.params[2], signKey);
  request.kind = REQ_LOGIN;
  return Execute(request);
}

}  // namespace zv
