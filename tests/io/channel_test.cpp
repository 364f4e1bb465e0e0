// The poll every shell reads its channels with, and files as channels.
#include "io/channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace morvane {
namespace {

// A channel with bytes waiting in runs; each read takes at most one run.
class Queue final : public InputChannel {
 public:
  explicit Queue(std::deque<std::string> runs) : runs_(std::move(runs)) {}
  std::size_t read(std::uint8_t* into, std::size_t capacity) override {
    if (runs_.empty()) return 0;
    std::string& run = runs_.front();
    const std::size_t n = std::min(capacity, run.size());
    std::copy_n(run.begin(), n, into);
    run.erase(0, n);
    if (run.empty()) runs_.pop_front();
    return n;
  }
  std::size_t waiting() override {
    std::size_t n = 0;
    for (const std::string& run : runs_) n += run.size();
    return n;
  }

 private:
  std::deque<std::string> runs_;
};

// A sender that never pauses: every read is full, and as much again waits.
class Endless final : public InputChannel {
 public:
  std::size_t read(std::uint8_t* into, std::size_t capacity) override {
    for (std::size_t i = 0; i < capacity; ++i) into[i] = static_cast<std::uint8_t>(produced_++);
    return capacity;
  }
  std::size_t waiting() override { return kBacklog; }
  std::uint64_t produced() const { return produced_; }
  static constexpr std::size_t kBacklog = 4096;

 private:
  std::uint64_t produced_ = 0;
};

struct Drained {
  std::string taken;
  std::vector<std::size_t> left;
};

Drained drain(std::initializer_list<InputChannel*> list, std::chrono::milliseconds limit) {
  const std::vector<InputChannel*> channels(list);
  std::uint8_t buf[16];
  Drained d;
  d.left = drain_channels(channels, buf,
                          [&d](const std::uint8_t* bytes, std::size_t n) {
                            d.taken.append(reinterpret_cast<const char*>(bytes), n);
                          },
                          limit);
  return d;
}

std::string poll_all(InputChannel& first, InputChannel& second, std::size_t capacity) {
  InputChannel* const channels[] = {&first, nullptr, &second};
  std::string got;
  std::uint8_t buf[8];
  for (std::size_t n; (n = poll_channels(channels, buf, capacity)) > 0;) {
    got.push_back('[');
    got.append(reinterpret_cast<char*>(buf), n);
    got.push_back(']');
  }
  return got;
}

// The first channel with bytes gives them, never more than asked; the next
// channel is read only while the ones before it have nothing.
TEST(PollChannels, FirstWithBytesInOrderAtMostTheCapacity) {
  Queue port({"ABCDEFGHIJ", "K"});
  Queue line({"xy"});
  EXPECT_EQ(poll_all(port, line, 4), "[ABCD][EFGH][IJ][K][xy]");
  Queue empty({});
  Queue other({"12345"});
  EXPECT_EQ(poll_all(empty, other, 8), "[12345]");
}

// At a stop every byte that has arrived is either taken, in order, or
// counted as left: none goes unsaid.
TEST(DrainChannels, TakesWhatHasArrivedAndCountsWhatIsLeft) {
  Queue port({"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0"});
  Queue line({"xyz"});
  const Drained all = drain({&port, nullptr, &line}, std::chrono::seconds(10));
  EXPECT_EQ(all.taken, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0xyz");
  EXPECT_EQ(all.left, (std::vector<std::size_t>{0, 0, 0}));

  // A sender that keeps going is read for the limit at most; what it and the
  // channels after it still hold then is counted.
  Endless tcp;
  Queue later({"never reached"});
  const Drained cut = drain({&tcp, &later}, std::chrono::milliseconds(30));
  EXPECT_EQ(cut.taken.size(), tcp.produced());
  EXPECT_GT(cut.taken.size(), 0u);
  EXPECT_EQ(cut.left, (std::vector<std::size_t>{Endless::kBacklog, 13}));
}

TEST(FileChannel, ReadsToTheEndAndSaysSo) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fputs("0123456789", f);
  std::rewind(f);
  FileChannel file(f, true);
  std::uint8_t buf[4];
  std::string got;
  while (!file.ended()) got.append(reinterpret_cast<char*>(buf), file.read(buf, sizeof buf));
  EXPECT_EQ(got, "0123456789");
  EXPECT_FALSE(file.failed());
  EXPECT_EQ(file.read(buf, sizeof buf), 0u);
}

}  // namespace
}  // namespace morvane
