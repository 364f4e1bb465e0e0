// Which processes hold a file open or mapped, for messages that help the user
// find the programs on a serial line. Only the processes the system lets us
// look into are seen; elsewhere than Linux the list is empty.
#pragma once

#include <string>
#include <vector>

namespace morvane {

// "1234 (serial-peer)" for every other process that maps or has open the
// file at path.
std::vector<std::string> processes_holding(const std::string& path);

}  // namespace morvane
