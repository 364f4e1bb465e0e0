// The serial line's block as another program may leave it: any in-use words,
// any indexes, any ring bytes. Attaching claims only a free half; reading
// takes at most the capacity and at most 255 bytes, exactly the ring's bytes
// from the read position on, never touches memory outside the ring (the block
// sits at the very end of its allocation, so the address sanitizer sees any
// overrun), and leaves the read index in range; writing never runs onto the
// reader's position.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "io/serial_line.h"
#include "io/serial_line_ring.h"

namespace {

using namespace morvane;

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_serial_ring: %s\n", what);
  std::abort();
}

// A block in ordinary memory, holding what the fuzzer wrote.
class FuzzBlock final : public SharedBlock {
 public:
  explicit FuzzBlock(std::uint8_t* memory) : memory_(memory) {}
  bool open(const std::string&, std::size_t) override { return true; }
  std::uint8_t* map(int&) override { return memory_; }
  void unmap() override {}
  void close() override {}

 private:
  std::uint8_t* memory_;
};

int position(std::int32_t index) { return static_cast<int>(static_cast<std::uint32_t>(index) % kRingSize); }

void check_read(SerialLine& line, int capacity) {
  std::uint8_t* half = line.state().own_half;
  const int from = position(load_word(half, kReadIndexOffset));
  const int to = position(load_word(half, kWriteIndexOffset));
  const int waiting = (to - from + kRingSize) % kRingSize;
  std::array<std::uint8_t, 256> ring{};
  std::memcpy(ring.data(), half + kRingOffset, kRingSize);
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(capacity > 0 ? capacity : 1));
  const int n = line.read_serial_line(buf.data(), capacity);
  check(n >= 0 && n <= 255 && n <= (capacity > 0 ? capacity : 0), "read more than the capacity or the ring");
  check(n == std::min(waiting, capacity > 0 ? capacity : 0), "read other than what waited");
  for (int i = 0; i < n; ++i) check(buf[i] == ring[(from + i) % kRingSize], "a byte out of order");
  if (capacity <= 0) return;  // a read of nothing touches nothing
  const std::int32_t after = load_word(half, kReadIndexOffset);
  check(after >= 0 && after < kRingSize, "read index left out of range");
}

void check_write(SerialLine& line, const std::uint8_t* data, int count) {
  std::uint8_t* half = line.state().peer_half;
  const int reader = position(load_word(half, kReadIndexOffset));
  const int writer = position(load_word(half, kWriteIndexOffset));
  const int room = (reader - writer - 1 + kRingSize) % kRingSize;
  const int stored = line.send_serial_line(data, count);
  check(stored == std::min(room, count), "stored other than the room allowed");
  check(position(load_word(half, kWriteIndexOffset)) == (writer + stored) % kRingSize, "write index misplaced");
  for (int i = 0; i < stored; ++i)
    check(half[kRingOffset + (writer + i) % kRingSize] == data[i], "a byte stored out of place");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSerialBlockSize + 1) return 0;
  // The block ends exactly at the end of its allocation.
  auto memory = std::make_unique<std::int32_t[]>(kSerialBlockSize / 4);
  auto* block = reinterpret_cast<std::uint8_t*>(memory.get());
  std::memcpy(block, data, kSerialBlockSize);
  const std::int32_t in_use_a = load_word(block, kInUseOffset);
  const std::int32_t in_use_b = load_word(block + kSerialHalfSize, kInUseOffset);
  const int capacity = static_cast<std::int8_t>(data[kSerialBlockSize]) * 3;  // negative ones too
  const std::uint8_t* rest = data + kSerialBlockSize + 1;
  const int rest_size = static_cast<int>(size - kSerialBlockSize - 1);

  SerialLine line({}, std::make_unique<FuzzBlock>(block));
  line.open_serial_line(7);
  const int expected = in_use_a == 0 ? kSideA : in_use_b == 0 ? kSideB : kSideNone;
  check(line.state().side == expected, "claimed a half that was in use");
  if (expected == kSideNone) {
    std::uint8_t buf[4];
    check(line.read_serial_line(buf, 4) == 0, "read without a side");
    return 0;
  }
  check_read(line, capacity);
  check_write(line, rest, rest_size);
  check_read(line, 256);
  line.close_serial_line();
  check(load_word(block + (expected == kSideA ? 0 : kSerialHalfSize), kInUseOffset) == 0, "half not released");
  check(load_word(block + (expected == kSideA ? kSerialHalfSize : 0), kInUseOffset) ==
            (expected == kSideA ? in_use_b : in_use_a),
        "the other half's claim was touched");
  return 0;
}
