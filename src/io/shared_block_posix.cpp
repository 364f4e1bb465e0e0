// Named shared memory: shm_open("/<name>"), on Linux the file /dev/shm/<name>.
//
// The block is taken as found: created (zero-filled, owner-only) when it does
// not exist, otherwise opened and, when another program left it short, grown,
// never cut or cleared, so whatever a program attached before us has stored
// stays. The object is never unlinked: nobody can tell from its name alone
// whether another program still uses it, and unlinking under a holder would
// split the line in two.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/block_holders.h"
#include "io/bus_guard_posix.h"
#include "io/file_kind_posix.h"
#include "io/shared_block.h"

namespace morvane {

namespace {

// How often (in condition checks) the name is looked up again to see whether
// it still leads to our block: about once a second at the 10 ms poll.
constexpr unsigned kNameCheckInterval = 100;

#ifdef __linux__
// On Linux the block is the file /dev/shm/<name>, and another program may put
// a FIFO or a device there: opening one must not wait for a writer or carrier,
// and it is refused. Elsewhere the names of shared memory are no files.
constexpr int kOpenNoWait = O_NONBLOCK;
bool names_are_files() { return true; }
#else
constexpr int kOpenNoWait = 0;
bool names_are_files() { return false; }
#endif

std::string block_file(const std::string& name) { return "/dev/shm/" + name; }

class PosixSharedBlock : public SharedBlock {
 public:
  ~PosixSharedBlock() override {
    unmap();
    close();
  }

  bool open(const std::string& name, std::size_t size) override {
    close();
    name_ = name;
    size_ = size;
    failure_.clear();
    for (int tries = 0; tries < 3 && fd_ < 0; ++tries) open_or_create();
    struct stat info {};
    if (fd_ < 0) {
      // A link or a directory at the name is not even opened.
      const int error = errno;
      if (names_are_files() && lstat(block_file(name_).c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        refuse(info.st_mode);
      errno = error;
      return false;
    }
    // Never handed on to a program this one starts.
    fcntl(fd_, F_SETFD, FD_CLOEXEC);
    if (fstat(fd_, &info) == 0 && names_are_files() && !S_ISREG(info.st_mode)) {
      refuse(info.st_mode);
      close();
      errno = EINVAL;
      return false;
    }
    if (!grow_to_size() || fstat(fd_, &info) != 0) {
      const int error = errno;
      close();
      errno = error;
      return false;
    }
    device_ = info.st_dev;
    inode_ = info.st_ino;
    return true;
  }

  std::uint8_t* map(int& error) override {
    void* view = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (view == MAP_FAILED) {
      error = errno;
      return nullptr;
    }
    view_ = static_cast<std::uint8_t*>(view);
    return view_;
  }

  void unmap() override {
    if (view_ != nullptr) munmap(view_, size_);
    view_ = nullptr;
  }

  void close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  std::string open_failure() const override { return failure_; }

  bool run_if_alone(const std::function<void()>& action) override;

  bool guarded(void (*access)(void*), void* context) override { return run_with_bus_guard(access, context); }

  BlockCondition condition(std::string& why) override;

  std::vector<std::string> holders() const override { return processes_holding(block_file(name_)); }

 private:
  void refuse(mode_t found) {
    failure_ = "the name " + name_ + " holds " + file_kind(found) + " (" + block_file(name_) +
               "), not a shared memory block: remove it once no program uses the line";
  }

  // Exclusive creation tells a new block from an existing one; the name may
  // vanish between the two attempts, hence the caller's retries.
  void open_or_create() {
    const std::string path = "/" + name_;
    fd_ = shm_open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | kOpenNoWait, S_IRUSR | S_IWUSR);
    if (fd_ >= 0) {
      fchmod(fd_, S_IRUSR | S_IWUSR);  // whatever the umask: the owner reads and writes, nobody else
      return;
    }
    if (errno == EEXIST) fd_ = shm_open(path.c_str(), O_RDWR | kOpenNoWait, 0);
  }

  // Only ever grows the object, so data of a block in use is never cut. A
  // creator that has not sized its new block yet is simply helped along.
  bool grow_to_size() {
    struct stat info {};
    if (fstat(fd_, &info) != 0) return false;
    if (static_cast<std::size_t>(info.st_size) >= size_) return true;
    return ftruncate(fd_, static_cast<off_t>(size_)) == 0;
  }

  // Empty while the name still leads to our block; otherwise what it leads
  // to now, for the report. Never waits, whatever was put at the name.
  std::string name_check() const {
    const int fd = shm_open(("/" + name_).c_str(), O_RDONLY | kOpenNoWait, 0);
    if (fd < 0) {
      if (errno == ENOENT) return "nothing";
      if (errno == EACCES) return "another user's block";  // our own block would open
      if (errno == ELOOP) return "a symbolic link";
      return {};
    }
    struct stat info {};
    std::string now;
    if (fstat(fd, &info) == 0 && (info.st_dev != device_ || info.st_ino != inode_))
      now = names_are_files() && !S_ISREG(info.st_mode) ? file_kind(info.st_mode) : "another block";
    ::close(fd);
    return now;
  }

  int fd_ = -1;
  std::uint8_t* view_ = nullptr;
  std::size_t size_ = 0;
  std::string name_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  unsigned checks_ = 0;
  std::string failure_;
};

// Linux grants a write lease only while no other open file of any process
// refers to the block (a mapping keeps its file open too), whoever the other
// program is and whether it knows of leases or not; while the lease is held,
// every other open of the block waits. That is "alone", checked by the
// kernel. The lease is held just for the action.
bool PosixSharedBlock::run_if_alone(const std::function<void()>& action) {
#ifdef F_SETLEASE
  if (fd_ < 0) return false;
  // An open that waits on the lease announces itself with SIGIO, whose
  // default ends the program; it is ignored while the lease is held.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGIO, &ignore, &previous);
  const bool alone = fcntl(fd_, F_SETLEASE, F_WRLCK) == 0;
  if (alone) {
    action();
    fcntl(fd_, F_SETLEASE, F_UNLCK);
  }
  sigaction(SIGIO, &previous, nullptr);
  return alone;
#else
  (void)action;
  return false;
#endif
}

BlockCondition PosixSharedBlock::condition(std::string& why) {
  if (fd_ < 0) return BlockCondition::intact;
  struct stat info {};
  if (fstat(fd_, &info) == 0 && static_cast<std::size_t>(info.st_size) < size_) {
    why = "another program shrank the block to " + std::to_string(info.st_size) + " bytes (" +
          std::to_string(size_) + " needed)";
    return BlockCondition::shrunk;
  }
  if (++checks_ % kNameCheckInterval != 0) return BlockCondition::intact;
  const std::string now = name_check();
  if (now.empty()) return BlockCondition::intact;
  why = "another program removed or replaced the block (its name now leads to " + now +
        "): programs that attach from now on do not reach this one";
  return BlockCondition::detached;
}

}  // namespace

std::unique_ptr<SharedBlock> make_system_shared_block() { return std::make_unique<PosixSharedBlock>(); }

}  // namespace morvane
