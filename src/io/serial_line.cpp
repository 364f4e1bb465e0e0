#include "io/serial_line.h"

#include <cstdio>

#include "io/serial_line_ring.h"

namespace morvane {

std::string serial_line_name(int line) {
  char name[32];
  std::snprintf(name, sizeof name, "NH_SCOM%02d", line);
  return name;
}

SerialLine::SerialLine(ErrorSink report, std::unique_ptr<SharedBlock> block)
    : report_(std::move(report)), block_(std::move(block)) {}

SerialLine::~SerialLine() { close_serial_line(); }

void SerialLine::open_serial_line(int line) {
  close_serial_line();
  if (line != 0) state_.line_number = line;
  attach();
}

void SerialLine::attach() {
  state_.side = kSideClosed;
  const std::string name = serial_line_name(state_.line_number);
  if (!block_ || !block_->open(name, kSerialBlockSize)) return;
  state_.mapping_held = true;
  int error = 0;
  state_.view = block_->map(error);
  if (state_.view == nullptr) {
    if (report_) {
      char text[64];
      std::snprintf(text, sizeof text, "No Common Ram for Serial messages, Error %d", error);
      report_(text, name);
    }
    state_.side = kSideNone;
    return;
  }
  state_.side = kSideNone;
  claim_half();
}

// A plain read then a plain write, as the other programs on the line do it:
// two programs attaching at the same instant can both take half A.
void SerialLine::claim_half() {
  // Word accesses need an aligned block; a mapping always is, but never risk
  // a torn access on a misaligned one: such a view is left without a side.
  if (reinterpret_cast<std::uintptr_t>(state_.view) % alignof(std::int32_t) != 0) return;
  std::uint8_t* half_a = state_.view;
  std::uint8_t* half_b = state_.view + kSerialHalfSize;
  if (load_word(half_a, kInUseOffset) == 0) {
    store_word(half_a, kInUseOffset, 1);
    state_.own_half = half_a;
    state_.peer_half = half_b;
    state_.side = kSideA;
  } else if (load_word(half_b, kInUseOffset) == 0) {
    store_word(half_b, kInUseOffset, 1);
    state_.own_half = half_b;
    state_.peer_half = half_a;
    state_.side = kSideB;
  }
}

void SerialLine::close_serial_line() {
  if (state_.mapping_held) {
    if (state_.view != nullptr) {
      if (state_.side == kSideA || state_.side == kSideB) store_word(state_.own_half, kInUseOffset, 0);
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

int SerialLine::read_serial_line(std::uint8_t* buf, int capacity) {
  if (state_.side != kSideA && state_.side != kSideB) return 0;
  if (buf == nullptr || capacity <= 0) return 0;
  return ring_read(state_.own_half, buf, capacity);
}

}  // namespace morvane
