// The holders of a file from /proc: each process's open files (fd) and
// mappings (maps), which also show a block whose descriptor was closed.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "io/block_holders.h"

namespace morvane {

namespace {

namespace fs = std::filesystem;

bool maps_file(const fs::path& process, const std::string& path) {
  std::ifstream maps(process / "maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.size() > path.size() && line.compare(line.size() - path.size(), path.size(), path) == 0 &&
        line[line.size() - path.size() - 1] == ' ')
      return true;
  }
  return false;
}

bool has_open(const fs::path& process, const std::string& path) {
  std::error_code ec;
  for (fs::directory_iterator it(process / "fd", ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code link_ec;
    if (fs::read_symlink(it->path(), link_ec) == path) return true;
  }
  return false;
}

std::string command_name(const fs::path& process) {
  std::ifstream comm(process / "comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

}  // namespace

// The links in /proc name the file itself, not a symbolic link to it.
std::vector<std::string> processes_holding(const std::string& given) {
  std::error_code resolve_ec;
  const fs::path real = fs::canonical(given, resolve_ec);
  const std::string path = resolve_ec ? given : real.string();
  std::vector<std::string> found;
  const std::string self = std::to_string(getpid());
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string pid = it->path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    if (maps_file(it->path(), path) || has_open(it->path(), path))
      found.push_back(pid + " (" + command_name(it->path()) + ")");
  }
  return found;
}

}  // namespace morvane
