#include "io/port_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/file_kind_posix.h"

namespace morvane {

namespace {

// The process id in a lock file, 0 when there is none to be read.
long lock_owner(int fd) {
  char text[32] = {};
  const ssize_t got = pread(fd, text, sizeof text - 1, 0);
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
// file of our own and then linked under the lock's name. The file is kept
// open, -1 when it could not be written.
int write_owner_file(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(getpid()));
  const bool written = write(fd, text, static_cast<std::size_t>(n)) == n;
  fchmod(fd, 0644);  // readable by every program that checks it, whatever the umask
  if (written) return fd;
  close(fd);
  unlink(path.c_str());
  return -1;
}

// Another program of ours may be looking at the same stale lock: it holds
// the file's flock only for that look. Where flock is not to be had at all,
// we go on without it.
bool lock_briefly(int fd) {
  for (int tries = 0; tries < 100; ++tries) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return true;
    usleep(10000);
  }
  return false;
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

enum class PortLock::Found { free, held, refused };

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
  refusal_.clear();
  const std::string lock = directory + "/" + port_lock_name(device_path);
  const std::string temporary = directory + "/LTMP." + std::to_string(getpid());
  unlink(temporary.c_str());  // left by an earlier run of ours that was killed
  const int made = write_owner_file(temporary);
  if (made < 0) return true;  // no lock directory we can write to
  const bool taken = try_link(temporary, lock, holder);
  unlink(temporary.c_str());
  // Held open, the lock file keeps its inode number while it is ours: a file
  // put at the name later cannot be taken for it.
  if (file_.empty()) close(made);
  else made_fd_ = made;
  return taken;
}

bool PortLock::try_link(const std::string& temporary, const std::string& lock, long& holder) {
  for (int tries = 0; tries < 3; ++tries) {
    if (link(temporary.c_str(), lock.c_str()) == 0) {
      file_ = lock;
      return true;
    }
    if (errno != EEXIST) return true;  // a directory without links: nothing to lock with
    if (look_at(lock, holder) != Found::free) return false;
  }
  return false;  // kept being taken from under us
}

// What stands at the lock's name, looked at without waiting on it (a FIFO
// would wait for a writer). A lock whose process has ended is removed. Two
// programs may find the same stale lock at once: each locks that file itself
// and removes it only while the name still leads to it, so the later one
// finds the earlier one's fresh lock instead of removing it.
PortLock::Found PortLock::look_at(const std::string& lock, long& holder) {
  const Descriptor fd(open(lock.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return Found::free;
    if (errno == ELOOP) return refuse(lock + " is a symbolic link, not a lock file: remove it once no program uses the port");
    return Found::held;  // a lock we may not read: its owner is not ours to judge
  }
  struct stat found {};
  if (fstat(fd.get(), &found) != 0) return Found::held;
  if (!S_ISREG(found.st_mode))
    return refuse(lock + " is " + file_kind(found.st_mode) + ", not a lock file: remove it once no program uses the port");
  if (!lock_briefly(fd.get())) return Found::held;
  const long owner = lock_owner(fd.get());
  if (owner != 0 && process_running(owner)) {
    holder = owner;
    return Found::held;
  }
  struct stat now {};
  if (lstat(lock.c_str(), &now) != 0 || !same_file(now, found)) return Found::free;  // replaced meanwhile: look again
  if (unlink(lock.c_str()) != 0 && errno != ENOENT) {
    const std::string who = owner != 0 ? "process " + std::to_string(owner) + ", which has ended," : "a program that wrote no process id into it,";
    return refuse("the lock file " + lock + " was left by " + who + " and cannot be removed: " + std::strerror(errno));
  }
  return Found::free;
}

PortLock::Found PortLock::refuse(const std::string& why) {
  refusal_ = why;
  return Found::refused;
}

bool PortLock::intact() const {
  if (file_.empty()) return true;
  struct stat now {};
  struct stat made {};
  return lstat(file_.c_str(), &now) == 0 && fstat(made_fd_, &made) == 0 && same_file(now, made);
}

// Only the file we made is removed: a lock someone else put at the name
// since then is theirs.
void PortLock::release() {
  if (file_.empty()) return;
  if (intact()) unlink(file_.c_str());
  close(made_fd_);
  made_fd_ = -1;
  file_.clear();
}

}  // namespace morvane
