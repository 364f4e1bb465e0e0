// The poll every shell reads its channels with, and files as channels.
#include "io/channel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>

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

 private:
  std::deque<std::string> runs_;
};

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
