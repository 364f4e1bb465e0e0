// The serial line with several attachments in one process, on the system's
// named shared memory, and its failure paths on a stand-in block.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "io/serial_line.h"
#include "io/serial_line_ring.h"
#include "io_test_support.h"

namespace morvane {
namespace {

using test::unique_line;

struct Message {
  std::string text;
  std::string caption;
};

class SerialLineTest : public ::testing::Test {
 protected:
  int line(int k) {
    const int number = unique_line(k);
    used_.push_back(number);
    return number;
  }
  void TearDown() override {
    for (int number : used_) test::remove_line_block(number);
  }

 private:
  std::vector<int> used_;
};

// What a sending program does: write into its peer half.
void send(SerialLine& sender, const std::vector<std::uint8_t>& bytes) {
  ASSERT_EQ(ring_write(sender.state().peer_half, bytes.data(), static_cast<int>(bytes.size())),
            static_cast<int>(bytes.size()));
}

std::vector<std::uint8_t> receive(SerialLine& receiver, int capacity = 256) {
  std::array<std::uint8_t, 256> buf{};
  const int n = receiver.read_serial_line(buf.data(), capacity);
  return std::vector<std::uint8_t>(buf.begin(), buf.begin() + n);
}

TEST_F(SerialLineTest, AttachmentsClaimHalfAThenHalfBThenNone) {
  const int number = line(0);
  SerialLine first, second, third;
  first.open_serial_line(number);
  second.open_serial_line(number);
  third.open_serial_line(number);
  EXPECT_EQ(first.state().side, kSideA);
  EXPECT_EQ(second.state().side, kSideB);
  EXPECT_EQ(third.state().side, kSideNone);
  EXPECT_EQ(first.state().own_half, first.state().view);
  EXPECT_EQ(second.state().own_half, second.state().view + kSerialHalfSize);

  send(second, {'H', 'i'});
  send(first, {'B'});
  EXPECT_EQ(receive(first), (std::vector<std::uint8_t>{'H', 'i'}));
  EXPECT_EQ(receive(second), (std::vector<std::uint8_t>{'B'}));
  EXPECT_TRUE(receive(third).empty()) << "no side, nothing read";
}

TEST_F(SerialLineTest, ReleaseAndReopenGetsTheSameHalfBack) {
  const int number = line(1);
  SerialLine a, b;
  a.open_serial_line(number);
  b.open_serial_line(number);
  send(b, {1, 2, 3});
  a.close_serial_line();
  EXPECT_EQ(a.state().side, kSideClosed);
  a.open_serial_line(number);
  EXPECT_EQ(a.state().side, kSideA);
  EXPECT_EQ(receive(a), (std::vector<std::uint8_t>{1, 2, 3})) << "claiming keeps what waited";

  b.close_serial_line();
  SerialLine c;
  c.open_serial_line(number);
  EXPECT_EQ(c.state().side, kSideB) << "a released half is free again";
}

TEST_F(SerialLineTest, ReadsAcrossTheWrapThroughTheSharedBlock) {
  const int number = line(2);
  SerialLine reader, sender;
  reader.open_serial_line(number);
  sender.open_serial_line(number);
  std::uint8_t* half = reader.state().own_half;
  for (int i = 0; i < kRingSize; ++i) half[kRingOffset + i] = static_cast<std::uint8_t>(i);
  store_word(half, kReadIndexOffset, 250);
  store_word(sender.state().peer_half, kWriteIndexOffset, 4);
  EXPECT_EQ(receive(reader), (std::vector<std::uint8_t>{250, 251, 252, 253, 254, 255, 0, 1, 2, 3}));
  EXPECT_EQ(load_word(sender.state().peer_half, kReadIndexOffset), 4) << "the sender sees the read index";
}

TEST_F(SerialLineTest, LinesAreIsolated) {
  const int seven = line(7), eight = line(8);
  SerialLine reader7, sender7, reader8, sender8;
  reader7.open_serial_line(seven);
  sender7.open_serial_line(seven);
  reader8.open_serial_line(eight);
  sender8.open_serial_line(eight);
  EXPECT_EQ(reader8.state().side, kSideA) << "line 8 is a block of its own";
  send(sender7, {7, 7});
  EXPECT_TRUE(receive(reader8).empty());
  EXPECT_EQ(receive(reader7), (std::vector<std::uint8_t>{7, 7}));
}

TEST_F(SerialLineTest, LineNumberZeroKeepsTheCurrentNumber) {
  const int number = line(3);
  SerialLine reader;
  EXPECT_EQ(reader.state().line_number, 1) << "the default line";
  reader.open_serial_line(number);
  reader.open_serial_line(0);
  EXPECT_EQ(reader.state().line_number, number);
  EXPECT_EQ(reader.state().side, kSideA) << "reopening released half A first";
  SerialLine sender;
  sender.open_serial_line(number);
  send(sender, {42});
  EXPECT_EQ(receive(reader), (std::vector<std::uint8_t>{42}));
}

TEST_F(SerialLineTest, ClosingTwiceOrNeverOpenedIsHarmless) {
  SerialLine never;
  never.close_serial_line();
  never.close_serial_line();
  EXPECT_EQ(never.state().side, kSideClosed);
  std::array<std::uint8_t, 4> buf{};
  EXPECT_EQ(never.read_serial_line(buf.data(), 4), 0);

  const int number = line(4);
  SerialLine twice;
  twice.open_serial_line(number);
  twice.close_serial_line();
  twice.close_serial_line();
  SerialLine next;
  next.open_serial_line(number);
  EXPECT_EQ(next.state().side, kSideA) << "the second close did not disturb the line";
}

TEST_F(SerialLineTest, HalvesLeftClaimedByProgramsNowGoneAreFreeAgain) {
  const int number = line(5);
  {
    test::RawAttachment gone(number);
    ASSERT_NE(gone.half(0), nullptr);
    store_word(gone.half(0), kInUseOffset, 1);
    store_word(gone.half(1), kInUseOffset, 1);
  }
  SerialLine reader;
  reader.open_serial_line(number);
  EXPECT_EQ(reader.state().side, kSideA) << "with no holder left the line starts afresh";
}

// A peer that follows the block layout alone: it maps the block, claims
// half A and stores bytes for whoever comes second, holding no lock of any
// kind. The second program must take half B as it finds it.
TEST_F(SerialLineTest, PeerThatAttachedFirstKeepsItsHalfAndItsBytes) {
  const int number = line(6);
  test::RawAttachment peer(number);
  std::uint8_t* const half_a = peer.half(0);
  std::uint8_t* const half_b = peer.half(1);
  ASSERT_NE(half_a, nullptr);
  store_word(half_a, kInUseOffset, 1);
  const std::uint8_t early[] = {'e', 'a', 'r', 'l', 'y'};
  ASSERT_EQ(ring_write(half_b, early, 5), 5);

  SerialLine second;
  second.open_serial_line(number);
  ASSERT_EQ(second.state().side, kSideB);
  EXPECT_FALSE(second.state().stale_halves_freed);
  EXPECT_EQ(receive(second), (std::vector<std::uint8_t>{'e', 'a', 'r', 'l', 'y'})) << "stored before the claim";
  second.close_serial_line();
  EXPECT_EQ(load_word(half_a, kInUseOffset), 1) << "the peer's claim survives our release";
  EXPECT_EQ(load_word(half_b, kInUseOffset), 0);
}

// Between two free halves, bytes that wait in one ring decide: a receiver
// takes that ring's half and reads them, a sender the other half so that its
// bytes follow them. Anything else keeps to the first free half.
TEST_F(SerialLineTest, FreeHalfChoiceFollowsTheBytesThatWait) {
  struct Case {
    const char* what;
    bool in_use_a, in_use_b;
    int waiting_a, waiting_b;
    int first, for_reading, for_sending;  // the side each choice gets
  };
  const Case cases[] = {
      {"nothing waits", false, false, 0, 0, kSideA, kSideA, kSideA},
      {"bytes wait for side B", false, false, 0, 5, kSideA, kSideB, kSideA},
      {"bytes wait for side A", false, false, 7, 0, kSideA, kSideA, kSideB},
      {"bytes wait in both rings", false, false, 3, 4, kSideA, kSideA, kSideA},
      {"half A taken", true, false, 0, 5, kSideB, kSideB, kSideB},
      {"half B taken", false, true, 5, 0, kSideA, kSideA, kSideA},
      {"both taken", true, true, 0, 5, kSideNone, kSideNone, kSideNone},
  };
  int k = 70;
  for (const Case& c : cases) {
    for (const FreeHalfChoice choice : {FreeHalfChoice::first, FreeHalfChoice::for_reading, FreeHalfChoice::for_sending}) {
      const int number = line(k++);
      // Held across the open: the marks are a live program's, never stale.
      test::RawAttachment other(number);
      ASSERT_NE(other.half(0), nullptr);
      std::uint8_t* const halves[] = {other.half(0), other.half(1)};
      const bool in_use[] = {c.in_use_a, c.in_use_b};
      const int waiting[] = {c.waiting_a, c.waiting_b};
      for (int h = 0; h < 2; ++h) {
        store_word(halves[h], kInUseOffset, in_use[h] ? 1 : 0);
        store_word(halves[h], kReadIndexOffset, 250);
        store_word(halves[h], kWriteIndexOffset, (250 + waiting[h]) % 256);
      }
      SerialLine l;
      l.choose_free_half(choice);
      l.open_serial_line(number);
      const int expected = choice == FreeHalfChoice::first         ? c.first
                           : choice == FreeHalfChoice::for_reading ? c.for_reading
                                                                   : c.for_sending;
      EXPECT_EQ(l.state().side, expected) << c.what << ", choice " << static_cast<int>(choice);
      if (expected == kSideA || expected == kSideB)
        EXPECT_EQ(l.waiting(), waiting[expected == kSideA ? 0 : 1]) << c.what;
      else
        EXPECT_EQ(l.waiting(), 0) << c.what;
    }
  }
}

TEST_F(SerialLineTest, NameHasAtLeastTwoDigits) {
  EXPECT_EQ(serial_line_name(1), "NH_SCOM01");
  EXPECT_EQ(serial_line_name(12), "NH_SCOM12");
  EXPECT_EQ(serial_line_name(99), "NH_SCOM99");
  EXPECT_EQ(serial_line_name(100), "NH_SCOM100");
}

// A block that fails on demand and counts what it is asked.
class StandInBlock : public SharedBlock {
 public:
  struct Log {
    std::string opened_name;
    int unmaps = 0;
    int closes = 0;
  };
  StandInBlock(bool open_ok, int map_error, Log& log) : open_ok_(open_ok), map_error_(map_error), log_(log) {}
  bool open(const std::string& name, std::size_t) override {
    log_.opened_name = name;
    return open_ok_;
  }
  std::uint8_t* map(int& error) override {
    if (map_error_ != 0) {
      error = map_error_;
      return nullptr;
    }
    return memory_.data();
  }
  void unmap() override { ++log_.unmaps; }
  void close() override { ++log_.closes; }

 private:
  bool open_ok_;
  int map_error_;
  Log& log_;
  alignas(4) std::array<std::uint8_t, kSerialBlockSize> memory_{};
};

TEST(SerialLineFailures, ViewThatCannotBeMappedWarnsWithTheBlockName) {
  std::vector<Message> messages;
  StandInBlock::Log log;
  SerialLine line([&](const std::string& text, const std::string& caption) { messages.push_back({text, caption}); },
                  std::make_unique<StandInBlock>(true, 8, log));
  line.open_serial_line(7);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "No Common Ram for Serial messages, Error 8");
  EXPECT_EQ(messages[0].caption, "NH_SCOM07");
  EXPECT_EQ(line.state().side, kSideNone);
  EXPECT_TRUE(line.state().mapping_held) << "kept until the next close";
  std::array<std::uint8_t, 8> buf{};
  EXPECT_EQ(line.read_serial_line(buf.data(), 8), 0);
  line.close_serial_line();
  EXPECT_EQ(log.unmaps, 0) << "nothing was mapped";
  EXPECT_EQ(log.closes, 1);
  EXPECT_EQ(line.state().side, kSideClosed);
}

TEST(SerialLineFailures, BlockThatCannotBeCreatedLeavesTheLineClosedSilently) {
  std::vector<Message> messages;
  StandInBlock::Log log;
  SerialLine line([&](const std::string& text, const std::string& caption) { messages.push_back({text, caption}); },
                  std::make_unique<StandInBlock>(false, 0, log));
  line.open_serial_line(12);
  EXPECT_EQ(log.opened_name, "NH_SCOM12");
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(line.state().side, kSideClosed);
  EXPECT_FALSE(line.state().mapping_held);
  line.close_serial_line();
  EXPECT_EQ(log.closes, 0);
}

TEST(SerialLineFailures, ReleaseClearsOnlyTheOwnInUseWord) {
  StandInBlock::Log log;
  SerialLine line({}, std::make_unique<StandInBlock>(true, 0, log));
  line.open_serial_line(3);
  ASSERT_EQ(line.state().side, kSideA);
  std::uint8_t* view = line.state().view;
  store_word(view + kSerialHalfSize, kInUseOffset, 1);  // the peer's claim
  line.close_serial_line();
  EXPECT_EQ(load_word(view, kInUseOffset), 0);
  EXPECT_EQ(load_word(view + kSerialHalfSize, kInUseOffset), 1);
  EXPECT_EQ(log.unmaps, 1);
}

}  // namespace
}  // namespace morvane
