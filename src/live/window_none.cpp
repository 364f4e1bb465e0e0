// A program built without GTK 4 has no live window.
#include "live/live_window.h"

namespace morvane::live {

bool LiveWindow::possible(std::string& error) {
  error = "this build of morvane has no window (it was built without GTK 4)";
  return false;
}

std::unique_ptr<LiveWindow> LiveWindow::open(const LiveSetup&, Engine&, std::string& error) {
  possible(error);
  return nullptr;
}

}  // namespace morvane::live
