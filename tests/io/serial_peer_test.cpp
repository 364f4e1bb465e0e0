// The serial line across two processes: this test reads while the
// serial-peer program writes.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "io/serial_line.h"
#include "io/serial_line_ring.h"
#include "io_test_support.h"

namespace morvane {
namespace {

using Clock = std::chrono::steady_clock;

// Not periodic in 256, so a lost, doubled or swapped byte shows.
std::uint8_t pattern(std::size_t i) { return static_cast<std::uint8_t>(i * 131 + (i >> 8) + (i >> 16)); }

class SerialPeerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int number : lines_) test::remove_line_block(number);
    for (const auto& path : files_) std::filesystem::remove(path);
  }
  int line(int k) {
    lines_.push_back(test::unique_line(k));
    return lines_.back();
  }
  std::string pattern_file(std::size_t size) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("morvane-peer-" + std::to_string(test::unique_line(0)) + "-" + std::to_string(size));
    std::ofstream out(path, std::ios::binary);
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(pattern(i));
    out.write(bytes.data(), static_cast<std::streamsize>(size));
    files_.push_back(path);
    return path.string();
  }

 private:
  std::vector<int> lines_;
  std::vector<std::filesystem::path> files_;
};

TEST_F(SerialPeerTest, EveryByteArrivesOnceAndInOrder) {
  const std::size_t total = 1024 * 1024;
  const int number = line(10);
  const std::string file = pattern_file(total);
  SerialLine reader;
  reader.open_serial_line(number);
  ASSERT_EQ(reader.state().side, kSideA);

  test::ChildProcess peer({test::serial_peer_path(), "--line", std::to_string(number), "--drain", "--timeout", "10",
                           file});
  ASSERT_TRUE(peer.started());
  std::array<std::uint8_t, 256> buf{};
  std::size_t received = 0;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::seconds(30);
  while (received < total && Clock::now() < deadline) {
    const int n = reader.read_serial_line(buf.data(), 256);
    for (int i = 0; i < n; ++i, ++received) {
      ASSERT_LT(received, total) << "more bytes than were sent";
      ASSERT_EQ(buf[i], pattern(received)) << "at byte " << received;
    }
    if (n == 0) std::this_thread::yield();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_EQ(received, total);
  EXPECT_EQ(peer.wait(15000), 0);
  EXPECT_EQ(reader.read_serial_line(buf.data(), 256), 0) << "nothing after the last byte";
  RecordProperty("seconds", std::to_string(seconds));
  std::printf("%zu bytes through the line in %.2f s\n", total, seconds);
}

TEST_F(SerialPeerTest, PeerKeepsToTheRate) {
  const int number = line(11);
  const std::string file = pattern_file(600);
  SerialLine reader;
  reader.open_serial_line(number);
  const auto start = Clock::now();
  test::ChildProcess peer({test::serial_peer_path(), "--line", std::to_string(number), "--rate", "2000", "--drain",
                           "--timeout", "10", file});
  ASSERT_TRUE(peer.started());
  std::array<std::uint8_t, 256> buf{};
  std::vector<std::uint8_t> got;
  const auto deadline = start + std::chrono::seconds(20);
  while (got.size() < 600 && Clock::now() < deadline) {
    const int n = reader.read_serial_line(buf.data(), 256);
    got.insert(got.end(), buf.begin(), buf.begin() + n);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_EQ(got.size(), 600u);
  for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], pattern(i)) << i;
  EXPECT_GE(seconds, 0.29) << "the last of 600 bytes at 2000 per second is due after 0.2995 s";
  EXPECT_EQ(peer.wait(15000), 0);
}

TEST_F(SerialPeerTest, PeerFindsNoFreeHalf) {
  const int number = line(12);
  SerialLine a, b;
  a.open_serial_line(number);
  b.open_serial_line(number);
  test::ChildProcess peer({test::serial_peer_path(), "--line", std::to_string(number), pattern_file(10)});
  EXPECT_EQ(peer.wait(15000), 2);
}

TEST_F(SerialPeerTest, PeerGivesUpWhenNobodyReads) {
  const int number = line(13);
  SerialLine reader;
  reader.open_serial_line(number);
  test::ChildProcess peer({test::serial_peer_path(), "--line", std::to_string(number), "--timeout", "1",
                           pattern_file(1000)});
  EXPECT_EQ(peer.wait(15000), 3);
  std::array<std::uint8_t, 256> buf{};
  EXPECT_EQ(reader.read_serial_line(buf.data(), 256), 255) << "a full ring waits, nothing was dropped";
  EXPECT_EQ(buf[0], pattern(0));
  EXPECT_EQ(buf[254], pattern(254));
}

#ifndef _WIN32
// Ctrl-C while the peer waits for input that does not come (an idle pipe)
// must end it and give its half back; a peer that can only be killed leaves
// its in-use word set, and no later peer finds a free half on the line.
TEST_F(SerialPeerTest, InterruptWhileWaitingForInputReleasesTheHalf) {
  const int number = line(14);
  struct Fifo {
    std::string path;
    int writer = -1;
    ~Fifo() {
      if (writer >= 0) close(writer);
      unlink(path.c_str());
    }
  } fifo{pattern_file(0) + ".fifo"};
  ASSERT_EQ(mkfifo(fifo.path.c_str(), 0600), 0);
  fifo.writer = open(fifo.path.c_str(), O_RDWR);  // keeps the pipe open and empty
  ASSERT_GE(fifo.writer, 0);
  SerialLine reader;
  reader.open_serial_line(number);
  ASSERT_EQ(reader.state().side, kSideA);
  test::ChildProcess peer({test::serial_peer_path(), "--line", std::to_string(number), fifo.path});
  ASSERT_TRUE(peer.started());
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (load_word(reader.state().peer_half, kInUseOffset) == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(load_word(reader.state().peer_half, kInUseOffset), 1) << "the peer claimed half B";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // now waiting in its read
  ASSERT_TRUE(peer.interrupt());
  EXPECT_EQ(peer.wait(5000), 5);
  EXPECT_EQ(load_word(reader.state().peer_half, kInUseOffset), 0);
}

// Live input through a pipe is passed on as it comes: the first bytes reach
// the receiver while the input is still open and silent.
TEST_F(SerialPeerTest, PipedInputIsForwardedAsItArrives) {
  const int number = line(15);
  SerialLine reader;
  reader.open_serial_line(number);
  int feed[2];
  ASSERT_EQ(pipe2(feed, O_CLOEXEC), 0);  // the child must not hold the writing end
  test::ChildProcess peer({test::serial_peer_path(), "--line", std::to_string(number)}, feed[0]);
  close(feed[0]);
  ASSERT_TRUE(peer.started());
  auto receive_within = [&reader](std::size_t count, double seconds) {
    std::vector<std::uint8_t> got;
    std::array<std::uint8_t, 256> buf{};
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (got.size() < count && Clock::now() < deadline) {
      const int n = reader.read_serial_line(buf.data(), 256);
      got.insert(got.end(), buf.begin(), buf.begin() + n);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::string(got.begin(), got.end());
  };
  ASSERT_EQ(write(feed[1], "AB", 2), 2);
  EXPECT_EQ(receive_within(2, 2.0), "AB") << "held back while the input stays open";
  ASSERT_EQ(write(feed[1], "CD", 2), 2);
  close(feed[1]);
  EXPECT_EQ(receive_within(2, 5.0), "CD");
  EXPECT_EQ(peer.wait(15000), 0);
}
#endif

TEST_F(SerialPeerTest, BadArgumentsAreRefused) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--rate", "0"}, {"--line"}, {"--line", "x"}, {"--bogus"}, {"a", "b"}}) {
    std::vector<std::string> command{test::serial_peer_path()};
    command.insert(command.end(), args.begin(), args.end());
    test::ChildProcess peer(command);
    EXPECT_EQ(peer.wait(15000), 1) << args[0];
  }
}

}  // namespace
}  // namespace morvane
