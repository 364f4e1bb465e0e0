#include "io/port_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace morvane {

namespace {

// The process id in a lock file, 0 when there is none to be read.
long read_lock_owner(const std::string& lock) {
  const int fd = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[32] = {};
  const ssize_t got = read(fd, text, sizeof text - 1);
  close(fd);
  if (got <= 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  return end != text && pid > 0 && pid <= INT_MAX ? pid : 0;
}

// Signal 0 only asks whether the process exists; EPERM means it does, as
// another user's.
bool process_running(long pid) {
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The lock's content is complete before the lock appears: it is written to a
// file of our own and then linked under the lock's name.
bool write_owner_file(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(getpid()));
  const bool written = write(fd, text, static_cast<std::size_t>(n)) == n;
  fchmod(fd, 0644);  // readable by every program that checks it, whatever the umask
  close(fd);
  if (!written) unlink(path.c_str());
  return written;
}

}  // namespace

std::string system_lock_directory() {
  struct stat info {};
  if (stat("/var/lock", &info) == 0 && S_ISDIR(info.st_mode)) return "/var/lock";
  return "/run/lock";
}

std::string port_lock_name(const std::string& device_path) {
  std::string path = device_path;
  if (char* real = realpath(device_path.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  const auto slash = path.rfind('/');
  return "LCK.." + (slash == std::string::npos ? path : path.substr(slash + 1));
}

bool PortLock::acquire(const std::string& device_path, const std::string& directory, long& holder) {
  release();
  holder = 0;
  const std::string lock = directory + "/" + port_lock_name(device_path);
  const std::string temporary = directory + "/LTMP." + std::to_string(getpid());
  unlink(temporary.c_str());  // left by an earlier run of ours that was killed
  if (!write_owner_file(temporary)) return true;  // no lock directory we can write to
  const bool taken = try_link(temporary, lock, holder);
  unlink(temporary.c_str());
  return taken;
}

bool PortLock::try_link(const std::string& temporary, const std::string& lock, long& holder) {
  for (int tries = 0; tries < 3; ++tries) {
    if (link(temporary.c_str(), lock.c_str()) == 0) {
      file_ = lock;
      return true;
    }
    if (errno != EEXIST) return true;  // a directory without links: nothing to lock with
    const long owner = read_lock_owner(lock);
    if (owner != 0 && process_running(owner)) {
      holder = owner;
      return false;
    }
    unlink(lock.c_str());  // stale: its process is gone
  }
  return false;  // kept being taken from under us
}

void PortLock::release() {
  if (file_.empty()) return;
  if (read_lock_owner(file_) == static_cast<long>(getpid())) unlink(file_.c_str());
  file_.clear();
}

}  // namespace morvane
