// How the input channels tell the user about a failure: a message text and
// the caption of the box it appears in. The host decides how to show it.
#pragma once

#include <functional>
#include <string>

namespace morvane {

using ErrorSink = std::function<void(const std::string& text, const std::string& caption)>;

}  // namespace morvane
