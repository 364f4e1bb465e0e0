// Stored files on POSIX systems: pwrite/pread loops, O_NOFOLLOW and O_EXCL,
// and a record lock whose holder the system can name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "print/stored_file.h"
#include "print/stored_file_posix.h"

namespace morvane {

namespace {

class PosixFile final : public StoredFile {
 public:
  PosixFile(std::string path, int fd) : StoredFile(std::move(path)), fd_(fd) {}
  ~PosixFile() override {
    if (remove_ && still_at_its_name()) ::unlink(path_.c_str());
    ::close(fd_);
  }

  bool write_at(std::uint64_t offset, const void* data, std::size_t size) override {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return fail(errno);
      if (n == 0) return fail(ENOSPC);  // no progress: the device takes nothing more
      p += n;
      offset += static_cast<std::uint64_t>(n);
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  long long read_at(std::uint64_t offset, void* into, std::size_t size) override {
    auto* p = static_cast<char*>(into);
    std::size_t got = 0;
    while (got < size) {
      const ssize_t n = ::pread(fd_, p + got, size - got, static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        fail(errno);
        return -1;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
  }

  bool truncate(std::uint64_t size) override {
    while (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      if (errno != EINTR) return fail(errno);
    }
    return true;
  }

  bool sync() override {
#if defined(__linux__)
    if (::fdatasync(fd_) != 0) return fail(errno);
#else
    if (::fsync(fd_) != 0) return fail(errno);
#endif
    return true;
  }

  void remove_on_close() override { remove_ = named_; }

  bool named_ = true;

 private:
  // Whether the name still leads to this file: another program may have put
  // a file of its own there, which is not ours to remove.
  bool still_at_its_name() const {
    struct stat mine {}, named {};
    return ::fstat(fd_, &mine) == 0 && ::lstat(path_.c_str(), &named) == 0 && mine.st_dev == named.st_dev &&
           mine.st_ino == named.st_ino;
  }

  int fd_;
  bool remove_ = false;
};

std::string temporary_base() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

FileFailure failure_of(const std::string& path, int code, const std::string& reason = {}) {
  return {path, reason.empty() ? file_error_text(code) : reason, code};
}

// Opens `path` for reading and writing, made when missing (mode 0600), never
// through a link and never a FIFO or device (those could block or swallow
// what is written).
int open_plain(const std::string& path, FileFailure& failure) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) {
    failure = failure_of(path, errno, errno == ELOOP ? "it is a symbolic link, not a plain file" : "");
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
    const bool linked = S_ISREG(st.st_mode) && st.st_nlink != 1;
    failure = failure_of(path, EINVAL, linked ? "it has other names (hard links): it is not the program's own"
                                              : "it is not a plain file");
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// A write lock on the whole file; false with the holder's process id when
// another program has it.
bool lock_whole(int fd, unsigned long& holder) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (::fcntl(fd, F_SETLK, &lock) == 0) return true;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  holder = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK ? static_cast<unsigned long>(probe.l_pid) : 0;
  return false;
}

}  // namespace

std::string file_error_text(int code) { return std::strerror(code); }

bool StoredFile::fail(int code) {
  failure_ = failure_of(path_, code);
  return false;
}

std::unique_ptr<StoredFile> adopt_descriptor(std::string path, int fd, bool named) {
  auto file = std::make_unique<PosixFile>(std::move(path), fd);
  file->named_ = named;
  return file;
}

bool replace_file(const std::string& path, std::string_view bytes, bool sync, FileFailure& failure) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    static std::mt19937 random{std::random_device{}()};
    char tag[16];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(random()));
    temporary = (slash == std::string::npos ? "" : folder) + "." + name + "." + tag + ".tmp";
    fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    failure = failure_of(path, errno);
    return false;
  }
  PosixFile file(temporary, fd);
  file.remove_on_close();  // unless it takes the name below
  if (!file.write_at(0, bytes.data(), bytes.size()) || (sync && !file.sync())) {
    failure = failure_of(path, file.failure().code);
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    failure = failure_of(path, errno);
    return false;
  }
  if (sync) {
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd >= 0) {
      ::fsync(folder_fd);
      ::close(folder_fd);
    }
  }
  return true;
}

std::unique_ptr<StoredFile> StoredFile::private_temporary(const std::string& name, FileFailure& failure) {
  const std::string base = temporary_base();
  std::string folder = base + (base.back() == '/' ? "" : "/") + "morvane-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {
    failure = failure_of(base, errno, "cannot make a private folder there: " + file_error_text(errno));
    return nullptr;
  }
  const std::string path = folder + "/" + name;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  const int code = errno;
  if (fd >= 0) ::unlink(path.c_str());
  ::rmdir(folder.c_str());
  if (fd < 0) {
    failure = failure_of(path, code);
    return nullptr;
  }
  auto file = std::make_unique<PosixFile>(path, fd);
  file->named_ = false;
  return file;
}

std::unique_ptr<StoredFile> StoredFile::held_in_place(const std::string& path, FileFailure& failure,
                                                      unsigned long& holder) {
  holder = 0;
  const int fd = open_plain(path, failure);
  if (fd < 0) return nullptr;
  if (!lock_whole(fd, holder)) {
    failure = failure_of(path, EAGAIN,
                         holder != 0 ? "it is in use by process " + std::to_string(holder) : "it is in use by another program");
    failure.in_use = true;
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFile>(path, fd);
}

}  // namespace morvane
