// Named shared memory: shm_open("/<name>").
//
// The object is never unlinked: with POSIX shared memory nobody can tell
// whether another program still has it open, and unlinking under a holder
// would split the line in two. To keep the lifetime the Windows block has
// ("a fresh, zeroed block once nobody holds it"), every holder keeps a shared
// flock on its descriptor; whoever opens the block and can take the lock
// exclusively is alone with it and starts it afresh, zero-filled. A holder
// that crashed thus leaves no stale in-use word behind once everybody has
// let go. The kernel drops the lock when a holder exits, however it exits.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "io/shared_block.h"

namespace morvane {

namespace {

void pause_briefly() {
  const timespec millisecond{0, 1000000};
  nanosleep(&millisecond, nullptr);
}

class PosixSharedBlock : public SharedBlock {
 public:
  ~PosixSharedBlock() override {
    unmap();
    close();
  }

  bool open(const std::string& name, std::size_t size) override {
    size_ = size;
    fd_ = shm_open(("/" + name).c_str(), O_RDWR | O_CREAT, 0666);
    if (fd_ < 0) return false;
    if (!take_holder_lock() || !grow_to_size()) {
      close();
      return false;
    }
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

 private:
  // Alone with the block: start it afresh. Then hold it shared like every
  // other holder. The exclusive lock is held only for the moment of the reset,
  // so waiting for the shared one is short; the bound keeps a foreign
  // exclusive holder from stalling us.
  bool take_holder_lock() {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      if (ftruncate(fd_, 0) != 0) return false;
    } else if (errno != EWOULDBLOCK) {
      return true;  // no locks on this system: share the block as found
    }
    for (int tries = 0; tries < 1000; ++tries) {
      if (flock(fd_, LOCK_SH | LOCK_NB) == 0) return true;
      pause_briefly();
    }
    return true;
  }

  // Only ever grows the object, so data of a block in use is never cut.
  bool grow_to_size() {
    struct stat info {};
    if (fstat(fd_, &info) != 0) return false;
    if (static_cast<std::size_t>(info.st_size) >= size_) return true;
    return ftruncate(fd_, static_cast<off_t>(size_)) == 0;
  }

  int fd_ = -1;
  std::uint8_t* view_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

std::unique_ptr<SharedBlock> make_system_shared_block() { return std::make_unique<PosixSharedBlock>(); }

}  // namespace morvane
