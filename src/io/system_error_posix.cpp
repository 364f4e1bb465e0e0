#include "io/system_error.h"

#include <cstring>

namespace morvane {

std::string system_error_text(int code) { return std::strerror(code); }

}  // namespace morvane
