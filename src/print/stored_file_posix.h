// Stored files from descriptors the caller opened itself (POSIX systems).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "print/stored_file.h"

namespace morvane {

// Takes over `fd`, a regular file the caller made exclusively and never
// through a link; `path` names it in messages. `named`: remove_on_close()
// removes `path` (when it still leads to this file).
std::unique_ptr<StoredFile> adopt_descriptor(std::string path, int fd, bool named);

// Writes `bytes` into a new file beside `path` (made exclusively, with the
// mode a user's file gets) and renames it to `path`: a file of that name is
// replaced only by a complete one, and never written through a link. With
// `sync` the file and its name are on the disk itself when this returns.
bool replace_file(const std::string& path, std::string_view bytes, bool sync, FileFailure& failure);

}  // namespace morvane
