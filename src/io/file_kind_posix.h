// What kind of file a name leads to, for messages about a name that holds
// something other than the regular file a channel expects there.
#pragma once

#include <sys/types.h>

#include <string>

namespace morvane {

// "a FIFO", "a directory", "a character device" ... for a file's mode.
std::string file_kind(mode_t mode);

}  // namespace morvane
