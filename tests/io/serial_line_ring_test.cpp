// The ring protocol of one half, on a block in ordinary memory.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "io/serial_line_ring.h"

namespace morvane {
namespace {

struct Half {
  alignas(4) std::array<std::uint8_t, kSerialHalfSize> bytes{};

  Half() {
    // Each ring byte tells its own position, so a wrong position shows.
    for (int i = 0; i < kRingSize; ++i) bytes[kRingOffset + i] = static_cast<std::uint8_t>(i);
  }
  std::uint8_t* data() { return bytes.data(); }
  void set(std::int32_t read, std::int32_t write) {
    store_word(data(), kReadIndexOffset, read);
    store_word(data(), kWriteIndexOffset, write);
  }
  std::int32_t read_index() { return load_word(data(), kReadIndexOffset); }
  std::int32_t write_index() { return load_word(data(), kWriteIndexOffset); }
};

std::vector<int> positions(int from, int count) {
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back((from + i) % kRingSize);
  return out;
}

std::vector<int> read_all(Half& half, int capacity) {
  std::array<std::uint8_t, 512> buf{};
  const int n = ring_read(half.data(), buf.data(), capacity);
  return std::vector<int>(buf.begin(), buf.begin() + n);
}

struct ReadCase {
  const char* name;
  std::int32_t read;
  std::int32_t write;
  int capacity;
  std::vector<int> expected;
  std::int32_t read_after;
};

TEST(SerialLineRing, ReadsWaitingBytesInOrderAndAdvancesReadIndex) {
  const std::vector<ReadCase> cases = {
      {"wraps from 255 to 0", 250, 4, 256, positions(250, 10), 4},
      {"full ring in one read", 0, 255, 256, positions(0, 255), 255},
      {"full ring, capacity 100", 1, 0, 100, positions(1, 100), 101},
      {"equal indexes", 77, 77, 256, {}, 77},
      {"capacity 0", 3, 9, 0, {}, 3},
      {"read index past the ring", 1000, 240, 256, positions(232, 8), 240},
      {"negative read index", -1, 2, 256, positions(255, 3), 2},
      {"write index past the ring", 230, 1000, 256, positions(230, 2), 232},
      {"very large write index", 0, 0x7fffffff, 256, positions(0, 255), 255},
      {"negative write index", 250, -256, 256, positions(250, 6), 0},
      {"most negative indexes", INT32_MIN, INT32_MIN + 3, 256, positions(0, 3), 3},
  };
  for (const ReadCase& c : cases) {
    Half half;
    half.set(c.read, c.write);
    EXPECT_EQ(read_all(half, c.capacity), c.expected) << c.name;
    EXPECT_EQ(half.read_index(), c.read_after) << c.name;
    EXPECT_EQ(half.write_index(), c.write) << c.name << ": the reader never writes write_index";
  }
}

TEST(SerialLineRing, FullRingReadInTwoParts) {
  Half half;
  half.set(10, 9);  // 255 waiting
  EXPECT_EQ(ring_waiting(half.data()), 255);
  EXPECT_EQ(read_all(half, 100), positions(10, 100));
  EXPECT_EQ(ring_waiting(half.data()), 155);
  EXPECT_EQ(read_all(half, 256), positions(110, 155));
  EXPECT_EQ(half.read_index(), 9);
  EXPECT_EQ(ring_waiting(half.data()), 0);
}

TEST(SerialLineRing, ReadLeavesOtherWordsAlone) {
  Half half;
  store_word(half.data(), kInUseOffset, 1);
  store_word(half.data(), 4, 0x12345678);
  store_word(half.data(), kLineStatusOffset, 0x400);
  half.set(5, 50);
  read_all(half, 256);
  EXPECT_EQ(load_word(half.data(), kInUseOffset), 1);
  EXPECT_EQ(load_word(half.data(), 4), 0x12345678);
  EXPECT_EQ(load_word(half.data(), kLineStatusOffset), 0x400);
}

TEST(SerialLineRing, WriterStopsShortOfReadIndex) {
  Half half;
  half.set(0, 0);
  std::vector<std::uint8_t> data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_EQ(ring_write(half.data(), data.data(), 300), 255);
  EXPECT_EQ(half.write_index(), 255);
  EXPECT_EQ(ring_write(half.data(), data.data(), 1), 0) << "advancing onto read_index would empty the ring";

  std::array<std::uint8_t, 256> out{};
  EXPECT_EQ(ring_read(half.data(), out.data(), 256), 255);
  for (int i = 0; i < 255; ++i) ASSERT_EQ(out[i], data[i]) << i;
}

TEST(SerialLineRing, WriterAndReaderAcrossManyWraps) {
  Half half;
  half.set(200, 200);
  std::uint32_t next_in = 0;
  std::uint32_t next_out = 0;
  std::array<std::uint8_t, 256> out{};
  for (int round = 0; round < 200; ++round) {
    std::array<std::uint8_t, 97> chunk{};
    for (auto& b : chunk) b = static_cast<std::uint8_t>((next_in++ * 31) >> 2);
    const int stored = ring_write(half.data(), chunk.data(), static_cast<int>(chunk.size()));
    next_in -= static_cast<std::uint32_t>(chunk.size() - static_cast<std::size_t>(stored));
    const int got = ring_read(half.data(), out.data(), 1 + round % 150);
    for (int i = 0; i < got; ++i) ASSERT_EQ(out[i], static_cast<std::uint8_t>((next_out++ * 31) >> 2));
  }
  EXPECT_GT(next_out, 10000u);
}

TEST(SerialLineRing, HostileReadIndexIsPutBackInRange) {
  Half half;
  half.set(-5, 251);  // -5 is position 251: empty
  EXPECT_TRUE(read_all(half, 256).empty());
  EXPECT_EQ(half.read_index(), 251) << "a writer comparing raw words must see a ring position";
}

TEST(SerialLineRing, WriterWithHostileIndexesStaysInTheRing) {
  Half half;
  half.set(300, -2);  // positions 44 and 254
  const std::uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_EQ(ring_write(half.data(), data, 4), 4);
  EXPECT_EQ(half.write_index(), 2);
  EXPECT_EQ(half.bytes[kRingOffset + 254], 1);
  EXPECT_EQ(half.bytes[kRingOffset + 1], 4);
}

}  // namespace
}  // namespace morvane
