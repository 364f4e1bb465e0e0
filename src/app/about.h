// The about box's text.
#pragma once

#include <string>

namespace morvane {

// "Morvane\n\n...Version 1.1a 20040408\n", formatted by the window system's
// own formatter into a 256-byte buffer.
std::string about_text();

}  // namespace morvane
