#include "io/serial_line_ring.h"

#include <atomic>

namespace morvane {

namespace {

static_assert(std::atomic_ref<std::int32_t>::is_always_lock_free,
              "the block is shared between processes: its words need lock-free access");

// The block's words are reached through the mapping's bytes; atomic_ref
// makes each access one indivisible 32-bit load or store.
std::atomic_ref<std::int32_t> word_at(const std::uint8_t* half, std::size_t offset) {
  auto* word = reinterpret_cast<std::int32_t*>(const_cast<std::uint8_t*>(half + offset));
  return std::atomic_ref<std::int32_t>(*word);
}

int next_position(int position) { return (position + 1) % kRingSize; }

}  // namespace

std::int32_t load_word(const std::uint8_t* half, std::size_t offset) {
  return word_at(half, offset).load(std::memory_order_acquire);
}

void store_word(std::uint8_t* half, std::size_t offset, std::int32_t value) {
  word_at(half, offset).store(value, std::memory_order_release);
}

int ring_position(std::int32_t index) {
  return static_cast<int>(static_cast<std::uint32_t>(index) % kRingSize);
}

int ring_waiting(const std::uint8_t* half) {
  const int read = ring_position(load_word(half, kReadIndexOffset));
  const int write = ring_position(load_word(half, kWriteIndexOffset));
  return (write - read + kRingSize) % kRingSize;
}

int ring_read(std::uint8_t* half, std::uint8_t* buf, int capacity) {
  const std::int32_t stored_read = load_word(half, kReadIndexOffset);
  int read = ring_position(stored_read);
  if (read != stored_read) {
    // Put our own index back in range so the peer's room check sees it.
    store_word(half, kReadIndexOffset, read);
  }
  const std::uint8_t* ring = half + kRingOffset;
  int count = 0;
  while (count < capacity) {
    // Acquire: the byte at read is stored before the peer moved write_index past it.
    if (ring_position(load_word(half, kWriteIndexOffset)) == read) break;
    buf[count++] = ring[read];
    read = next_position(read);
    // Release: the byte is copied out before the peer may store over it.
    store_word(half, kReadIndexOffset, read);
  }
  return count;
}

int ring_write(std::uint8_t* half, const std::uint8_t* data, int count) {
  std::uint8_t* ring = half + kRingOffset;
  int write = ring_position(load_word(half, kWriteIndexOffset));
  int stored = 0;
  while (stored < count) {
    const int next = next_position(write);
    if (next == ring_position(load_word(half, kReadIndexOffset))) break;  // full
    ring[write] = data[stored++];
    store_word(half, kWriteIndexOffset, next);
    write = next;
  }
  return stored;
}

}  // namespace morvane
