// The deployment's service addresses: zelvane.conf beside the executable, then the
// ZELVANE_* environment variables, over defaults that point at the simulated platform.
#pragma once

#include <ostream>
#include <string>

#include "api/app_context.h"

namespace zv {

// Parses "key = value" lines ('#' starts a comment). Keys: account_host, account_port,
// payment_host, payment_port, web_base, chat_url. A malformed file is reported on err with
// its line and leaves every value at its default.
EndpointConfig ParseEndpointConfig(const std::string& text, const std::string& fileName, std::ostream& err);

// Applies ZELVANE_ACCOUNT_HOST, ZELVANE_ACCOUNT_PORT, ZELVANE_PAYMENT_HOST,
// ZELVANE_PAYMENT_PORT, ZELVANE_WEB_BASE and ZELVANE_CHAT_URL when set.
void ApplyEndpointEnvironment(EndpointConfig& config, std::ostream& err);

// The file beside the executable, then the environment.
EndpointConfig LoadEndpointConfig(std::ostream& err);

// The folder of the running executable, with a trailing '/'.
std::string ExecutableDir();

}  // namespace zv
