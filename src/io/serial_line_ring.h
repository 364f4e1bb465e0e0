// The 552-byte serial-line block: two 276-byte halves, each an in-use word,
// an unused word, the owner's read_index, the peer's write_index, the peer's
// line_status and a 256-byte ring. Every function here takes the start of one
// half inside a mapped block.
//
// The block is shared with another process with no lock. Each word has one
// writer, and each access to it must be one whole 32-bit load or store that
// the compiler neither caches nor splits nor merges: std::atomic_ref on the
// aligned word gives exactly that (a plain mov on x86) and, with
// acquire/release, also orders the ring bytes against the index that
// publishes them. Halves start at offsets 0 and 276, both multiples of 4, so
// every word is aligned when the block is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvane {

constexpr std::size_t kSerialBlockSize = 552;
constexpr std::size_t kSerialHalfSize = 276;
constexpr std::size_t kInUseOffset = 0;
constexpr std::size_t kReadIndexOffset = 8;
constexpr std::size_t kWriteIndexOffset = 12;
constexpr std::size_t kLineStatusOffset = 16;
constexpr std::size_t kRingOffset = 20;
constexpr int kRingSize = 256;

// Whole-word accesses to one field of a half.
std::int32_t load_word(const std::uint8_t* half, std::size_t offset);
void store_word(std::uint8_t* half, std::size_t offset, std::int32_t value);

// A ring position from a word the other program may have written: any value
// is reduced into 0..255 (its low eight bits), so a hostile index can never
// reach outside the ring.
int ring_position(std::int32_t index);

// Bytes waiting in the half's ring, 0..255.
int ring_waiting(const std::uint8_t* half);

// The owner's read: copies up to capacity waiting bytes in arrival order,
// storing read_index after every byte and loading write_index afresh before
// every byte. Returns the count copied.
int ring_read(std::uint8_t* half, std::uint8_t* buf, int capacity);

// The peer's write: stores up to count bytes, each before advancing
// write_index, and stops rather than advancing onto read_index. Returns the
// count stored; the rest waits for room.
int ring_write(std::uint8_t* half, const std::uint8_t* data, int count);

}  // namespace morvane
