#include "io/serial_line.h"

#include <cstdio>

#include "io/serial_line_ring.h"

namespace morvane {

std::string serial_line_name(int line) {
  char name[32];
  std::snprintf(name, sizeof name, "NH_SCOM%02d", line);
  return name;
}

std::string no_free_half_text(const SerialLine& line) {
  std::string text = "no free half: both halves are marked in use";
  const std::vector<std::string> holders = line.holders();
  for (std::size_t i = 0; i < holders.size(); ++i) text += (i == 0 ? "; the line is held by " : ", ") + holders[i];
  return text +
         ". A half stays marked when its program ends without giving it back; the next program to attach "
         "frees it once no program holds the line any more";
}

SerialLine::SerialLine(ErrorSink report, std::unique_ptr<SharedBlock> block)
    : report_(std::move(report)), block_(std::move(block)) {}

SerialLine::~SerialLine() { close_serial_line(); }

// Every touch of the view goes through the block's guard: another program
// may shrink the block at any moment, and that must cost us the line, not
// the process.
template <typename Access>
bool SerialLine::guarded(Access&& access) {
  auto run = [](void* context) { (*static_cast<Access*>(context))(); };
  return block_->guarded(run, &access);
}

void SerialLine::open_serial_line(int line) {
  close_serial_line();
  if (line != 0) state_.line_number = line;
  attach();
}

void SerialLine::attach() {
  state_.side = kSideClosed;
  state_.stale_halves_freed = false;
  state_.block_lost = false;
  state_.detached_reported = false;
  state_.open_refused = false;
  const std::string name = serial_line_name(state_.line_number);
  if (!block_) return;
  if (!block_->open(name, kSerialBlockSize)) {
    // Something else at the block's name is worth a word; anything else
    // fails silently, as the line always has.
    const std::string why = block_->open_failure();
    state_.open_refused = !why.empty();
    if (state_.open_refused) report(why);
    return;
  }
  state_.mapping_held = true;
  int error = 0;
  state_.view = block_->map(error);
  if (state_.view == nullptr) {
    char text[64];
    std::snprintf(text, sizeof text, "No Common Ram for Serial messages, Error %d", error);
    report(text);
    state_.side = kSideNone;
    return;
  }
  state_.side = kSideNone;
  // Word accesses need an aligned block; a mapping always is, but never risk
  // a torn access on a misaligned one: such a view is left without a side.
  if (reinterpret_cast<std::uintptr_t>(state_.view) % alignof(std::int32_t) != 0) return;
  free_stale_halves();
  claim_half();
}

// A half stays marked in use when its program ended without giving it back.
// Only when nobody else holds the block can that be told for certain; then
// both marks are stale and are cleared. Indexes and ring bytes stay: what a
// departed sender stored is still read.
void SerialLine::free_stale_halves() {
  std::uint8_t* const half_a = state_.view;
  std::uint8_t* const half_b = state_.view + kSerialHalfSize;
  bool freed = false;
  const bool alone = block_->run_if_alone([&] {
    guarded([&] {
      for (std::uint8_t* half : {half_a, half_b}) {
        if (load_word(half, kInUseOffset) == 0) continue;
        store_word(half, kInUseOffset, 0);
        freed = true;
      }
    });
  });
  state_.stale_halves_freed = alone && freed;
}

// Called with both halves free. Only when exactly one ring holds bytes is
// there anything to choose: they were stored for the program that will read
// that ring.
std::uint8_t* SerialLine::preferred_free_half(std::uint8_t* half_a, std::uint8_t* half_b) const {
  if (free_half_choice_ == FreeHalfChoice::first) return half_a;
  const bool waiting_a = ring_waiting(half_a) > 0;
  const bool waiting_b = ring_waiting(half_b) > 0;
  if (waiting_a == waiting_b) return half_a;
  const bool read_b = free_half_choice_ == FreeHalfChoice::for_reading ? waiting_b : waiting_a;
  return read_b ? half_b : half_a;
}

// A plain read then a plain write, as the other programs on the line do it:
// two programs attaching at the same instant can both take half A.
void SerialLine::claim_half() {
  std::uint8_t* const half_a = state_.view;
  std::uint8_t* const half_b = state_.view + kSerialHalfSize;
  int side = kSideNone;
  const bool whole = guarded([&] {
    const bool free_a = load_word(half_a, kInUseOffset) == 0;
    const bool free_b = load_word(half_b, kInUseOffset) == 0;
    std::uint8_t* claimed = nullptr;
    if (free_a && free_b) claimed = preferred_free_half(half_a, half_b);
    else if (free_a) claimed = half_a;
    else if (free_b) claimed = half_b;
    if (claimed == nullptr) return;
    store_word(claimed, kInUseOffset, 1);
    side = claimed == half_a ? kSideA : kSideB;
  });
  if (!whole) {
    lose_block("the block failed while a half was claimed (another program shrank it)");
    return;
  }
  if (side == kSideNone) return;
  state_.side = side;
  state_.own_half = side == kSideA ? half_a : half_b;
  state_.peer_half = side == kSideA ? half_b : half_a;
}

void SerialLine::close_serial_line() {
  if (state_.mapping_held) {
    if (state_.view != nullptr) {
      if (state_.side == kSideA || state_.side == kSideB) {
        std::uint8_t* const own = state_.own_half;
        guarded([own] { store_word(own, kInUseOffset, 0); });
      }
      block_->unmap();
      state_.view = nullptr;
    }
    block_->close();
    state_.mapping_held = false;
  }
  state_.own_half = nullptr;
  state_.peer_half = nullptr;
  state_.side = kSideClosed;
}

bool SerialLine::block_usable() {
  std::string why;
  switch (block_->condition(why)) {
    case BlockCondition::intact:
      return true;
    case BlockCondition::detached:
      if (!state_.detached_reported) report(why);
      state_.detached_reported = true;
      return true;
    case BlockCondition::shrunk:
      lose_block(why);
      return false;
  }
  return true;
}

// The block can no longer be trusted to be there: the side is given up
// without touching the view again, and the user is told once.
void SerialLine::lose_block(const std::string& why) {
  state_.side = kSideNone;
  state_.own_half = nullptr;
  state_.peer_half = nullptr;
  state_.block_lost = true;
  report(why + "; nothing more is read from this line");
}

void SerialLine::report(const std::string& text) {
  if (report_) report_(text, serial_line_name(state_.line_number));
}

int SerialLine::read_serial_line(std::uint8_t* buf, int capacity) {
  if (state_.side != kSideA && state_.side != kSideB) return 0;
  if (buf == nullptr || capacity <= 0) return 0;
  if (!block_usable()) return 0;
  std::uint8_t* const own = state_.own_half;
  int count = 0;
  if (!guarded([&] { count = ring_read(own, buf, capacity); })) {
    lose_block("the block failed under a read (another program shrank it)");
    return 0;
  }
  return count;
}

int SerialLine::waiting() {
  if (state_.side != kSideA && state_.side != kSideB) return 0;
  if (!block_usable()) return 0;
  std::uint8_t* const own = state_.own_half;
  int count = 0;
  if (!guarded([&] { count = ring_waiting(own); })) {
    lose_block("the block failed under a read (another program shrank it)");
    return 0;
  }
  return count;
}

int SerialLine::send_serial_line(const std::uint8_t* data, int count) {
  if (state_.side != kSideA && state_.side != kSideB) return -1;
  if (data == nullptr || count <= 0) return 0;
  if (!block_usable()) return -1;
  std::uint8_t* const peer = state_.peer_half;
  int stored = 0;
  if (!guarded([&] { stored = ring_write(peer, data, count); })) {
    lose_block("the block failed under a write (another program shrank it)");
    return -1;
  }
  return stored;
}

int SerialLine::unread_by_peer() {
  if (state_.side != kSideA && state_.side != kSideB) return -1;
  if (!block_usable()) return -1;
  std::uint8_t* const peer = state_.peer_half;
  int waiting = 0;
  if (!guarded([&] { waiting = ring_waiting(peer); })) {
    lose_block("the block failed under a read (another program shrank it)");
    return -1;
  }
  return waiting;
}

std::vector<std::string> SerialLine::holders() const {
  return state_.mapping_held && block_ ? block_->holders() : std::vector<std::string>{};
}

}  // namespace morvane
