// The system's own text for an error code (errno, or a Windows error or
// socket error code), for messages.
#pragma once

#include <string>

namespace morvane {

std::string system_error_text(int code);

}  // namespace morvane
