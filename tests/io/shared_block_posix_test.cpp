// The serial line's block as POSIX shared memory, with other programs that
// know nothing of Morvane: they create, hold, shrink and remove the block.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "io/bus_guard_posix.h"
#include "io/serial_line.h"
#include "io/serial_line_ring.h"
#include "io_test_support.h"

namespace morvane {
namespace {

std::string shm_path(int line) { return "/dev/shm/" + serial_line_name(line); }

// A program that maps the block with plain system calls, closes its
// descriptor and then only holds the mapping, until it is killed.
class ForeignHolder {
 public:
  explicit ForeignHolder(int line) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = shm_open(("/" + serial_line_name(line)).c_str(), O_RDWR | O_CREAT, 0600);
      if (fd >= 0 && ftruncate(fd, kSerialBlockSize) == 0 &&
          mmap(nullptr, kSerialBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) != MAP_FAILED) {
        close(fd);
        (void)!write(ready[1], "y", 1);
      }
      for (;;) pause();
    }
    close(ready[1]);
    char answer = 0;
    held_ = read(ready[0], &answer, 1) == 1;
    close(ready[0]);
  }
  ~ForeignHolder() { end(); }
  void end() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  bool held() const { return held_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

class SharedBlockPosixTest : public ::testing::Test {
 protected:
  int line(int k) {
    used_.push_back(test::unique_line(40 + k));
    test::remove_line_block(used_.back());
    return used_.back();
  }
  void TearDown() override {
    for (int number : used_) test::remove_line_block(number);
  }
  SerialLine& reader() {
    auto sink = [this](const std::string& text, const std::string& caption) {
      messages.push_back(caption + ": " + text);
    };
    lines_.push_back(std::make_unique<SerialLine>(sink));
    return *lines_.back();
  }
  // Marks both halves in use as programs that ended without releasing do.
  static void mark_both_halves(int number, int read_b, int write_b) {
    test::RawAttachment gone(number);
    ASSERT_NE(gone.half(0), nullptr);
    store_word(gone.half(0), kInUseOffset, 1);
    store_word(gone.half(1), kInUseOffset, 1);
    store_word(gone.half(1), kReadIndexOffset, read_b);
    store_word(gone.half(1), kWriteIndexOffset, write_b);
  }

  std::vector<std::string> messages;

 private:
  std::vector<int> used_;
  std::vector<std::unique_ptr<SerialLine>> lines_;
};

TEST_F(SharedBlockPosixTest, NewBlockIsForItsOwnerOnlyWhateverTheUmask) {
  const int number = line(0);
  const mode_t old_mask = umask(0);
  reader().open_serial_line(number);
  umask(old_mask);
  struct stat info {};
  ASSERT_EQ(stat(shm_path(number).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(info.st_size, static_cast<off_t>(kSerialBlockSize));
}

// A block left short by its creator is grown; what it held stays.
TEST_F(SharedBlockPosixTest, ShortBlockIsGrownNeverCleared) {
  const int number = line(1);
  const int fd = shm_open(("/" + serial_line_name(number)).c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  const std::int32_t claimed = 1;
  ASSERT_EQ(pwrite(fd, &claimed, 4, kInUseOffset), 4);  // a peer's claim of half A, block 4 bytes long
  SerialLine& line = reader();
  line.open_serial_line(number);
  struct stat info {};
  ASSERT_EQ(fstat(fd, &info), 0);
  close(fd);
  EXPECT_EQ(info.st_size, static_cast<off_t>(kSerialBlockSize));
  EXPECT_EQ(line.state().side, kSideB) << "the peer's claim was kept";
}

// Marks of programs that have all ended are freed; the bytes a departed
// sender stored stay and are read. While another process still maps the
// block (even with its descriptor closed) nothing can be told and the marks
// stay.
TEST_F(SharedBlockPosixTest, StaleHalvesAreFreedOnlyWhenNoOtherProcessHoldsTheBlock) {
  const int number = line(2);
  mark_both_halves(number, 10, 13);
  {
    ForeignHolder holder(number);
    ASSERT_TRUE(holder.held());
    SerialLine& blocked = reader();
    blocked.open_serial_line(number);
    EXPECT_EQ(blocked.state().side, kSideNone);
    EXPECT_FALSE(blocked.state().stale_halves_freed);
    const std::string text = no_free_half_text(blocked);
    EXPECT_NE(text.find(std::to_string(holder.pid()) + " ("), std::string::npos) << text;
    blocked.close_serial_line();
  }
  SerialLine& alone = reader();
  alone.open_serial_line(number);
  EXPECT_TRUE(alone.state().stale_halves_freed);
  ASSERT_EQ(alone.state().side, kSideA);
  SerialLine& second = reader();
  second.open_serial_line(number);
  ASSERT_EQ(second.state().side, kSideB);
  std::array<std::uint8_t, 256> buf{};
  EXPECT_EQ(second.read_serial_line(buf.data(), 256), 3) << "ring positions 10 to 12 still wait";
}

TEST_F(SharedBlockPosixTest, ShrunkBlockEndsTheLineOnceWithoutASignal) {
  int k = 3;
  for (const off_t size : {off_t{0}, off_t{300}}) {
    const int number = line(k++);
    messages.clear();
    SerialLine& line = reader();
    line.open_serial_line(number);
    ASSERT_EQ(line.state().side, kSideA);
    ASSERT_EQ(truncate(shm_path(number).c_str(), size), 0);
    std::array<std::uint8_t, 256> buf{};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(line.read_serial_line(buf.data(), 256), 0);
    EXPECT_EQ(line.send_serial_line(buf.data(), 1), -1);
    EXPECT_TRUE(line.state().block_lost);
    EXPECT_EQ(line.state().side, kSideNone);
    ASSERT_EQ(messages.size(), 1u) << "reported once";
    EXPECT_NE(messages[0].find("shrank the block to " + std::to_string(size) + " bytes"), std::string::npos)
        << messages[0];
    line.close_serial_line();
  }
}

// The race the size check cannot close: the block shrinks between the check
// and the access. The access is cut short instead of the program.
TEST(BusGuard, AccessToAShrunkMappingIsCutShort) {
  char name[] = "/tmp/morvane-bus-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  unlink(name);
  ASSERT_EQ(ftruncate(fd, 4096), 0);
  auto* view = static_cast<volatile std::uint8_t*>(mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  ASSERT_NE(view, MAP_FAILED);
  auto touch = [](void* context) { static_cast<volatile std::uint8_t*>(context)[0] = 1; };
  EXPECT_TRUE(run_with_bus_guard(touch, const_cast<std::uint8_t*>(view)));
  ASSERT_EQ(ftruncate(fd, 0), 0);
  EXPECT_FALSE(run_with_bus_guard(touch, const_cast<std::uint8_t*>(view)));
  EXPECT_FALSE(run_with_bus_guard(touch, const_cast<std::uint8_t*>(view))) << "and again";
  // Outside a guard a bus error still ends the program, as it would without us.
  EXPECT_DEATH(view[0] = 2, "");
  munmap(const_cast<std::uint8_t*>(view), 4096);
  close(fd);
}

TEST_F(SharedBlockPosixTest, RemovedBlockIsReportedOnceAndTheLineGoesOn) {
  const int number = line(5);
  SerialLine& receiver = reader();
  SerialLine& sender = reader();
  receiver.open_serial_line(number);
  sender.open_serial_line(number);
  ASSERT_EQ(unlink(shm_path(number).c_str()), 0);
  std::array<std::uint8_t, 256> buf{};
  const std::uint8_t byte = 42;
  for (int i = 0; i < 250; ++i) {
    ASSERT_EQ(sender.send_serial_line(&byte, 1), 1);
    ASSERT_EQ(receiver.read_serial_line(buf.data(), 256), 1) << i;
  }
  ASSERT_EQ(messages.size(), 2u) << "once from each of the two attachments";
  EXPECT_NE(messages[0].find("removed or replaced"), std::string::npos) << messages[0];
  EXPECT_FALSE(receiver.state().block_lost);
}

// What another program put at the block's name stops the open at once, says
// what stands there and is left as found.
TEST_F(SharedBlockPosixTest, SomethingElseAtTheNameIsRefusedWithoutWaiting) {
  int k = 10;
  for (const test::PlantedFile& planted : test::planted_files()) {
    const int number = line(k++);
    const std::string path = shm_path(number);
    ASSERT_TRUE(planted.make(path)) << planted.kind;
    messages.clear();
    {
      test::HangGuard guard(10);
      SerialLine& refused = reader();
      refused.open_serial_line(number);
      EXPECT_EQ(refused.state().side, kSideClosed) << planted.kind;
      EXPECT_TRUE(refused.state().open_refused) << planted.kind;
    }
    ASSERT_EQ(messages.size(), 1u) << planted.kind;
    EXPECT_NE(messages[0].find("holds " + planted.kind + " (" + path + ")"), std::string::npos) << messages[0];
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << "left as found";
    test::remove_planted(path);
  }
}

// The block's name taken over by something else while the line is in use:
// each attachment says so once, naming what is there now, and the bytes go
// on through the block both hold.
TEST_F(SharedBlockPosixTest, SomethingElseSwappedInWhileReadingIsReportedOnceAndReadingGoesOn) {
  int k = 20;
  for (const test::PlantedFile& planted : test::planted_files()) {
    const int number = line(k++);
    const std::string path = shm_path(number);
    messages.clear();
    SerialLine& receiver = reader();
    SerialLine& sender = reader();
    receiver.open_serial_line(number);
    sender.open_serial_line(number);
    ASSERT_EQ(rename(path.c_str(), (path + ".moved").c_str()), 0);
    ASSERT_TRUE(planted.make(path)) << planted.kind;
    {
      test::HangGuard guard(10);
      std::array<std::uint8_t, 256> buf{};
      const std::uint8_t byte = 42;
      for (int i = 0; i < 250; ++i) {
        ASSERT_EQ(sender.send_serial_line(&byte, 1), 1) << planted.kind;
        ASSERT_EQ(receiver.read_serial_line(buf.data(), 256), 1) << planted.kind << " " << i;
      }
    }
    ASSERT_EQ(messages.size(), 2u) << planted.kind << ": once from each of the two attachments";
    for (const std::string& m : messages)
      EXPECT_NE(m.find("its name now leads to " + planted.kind), std::string::npos) << m;
    receiver.close_serial_line();
    sender.close_serial_line();
    test::remove_planted(path);
    test::remove_planted(path + ".moved");
  }
}

}  // namespace
}  // namespace morvane
