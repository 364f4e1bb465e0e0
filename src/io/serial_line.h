// The shared-memory serial line: a virtual serial cable to another program on
// the same machine. This program claims one half of the line's block and
// reads what the other program writes into that half's ring; it never sends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "io/error_sink.h"
#include "io/shared_block.h"

namespace morvane {

constexpr int kSideClosed = 0;
constexpr int kSideA = 1;
constexpr int kSideB = 2;
constexpr int kSideNone = -1;  // attached, but no half to read

struct SerialLineState {
  bool mapping_held = false;
  std::uint8_t* view = nullptr;
  std::int32_t side = kSideClosed;
  std::int32_t line_number = 1;  // the "lyn" setting
  std::uint8_t* own_half = nullptr;
  std::uint8_t* peer_half = nullptr;
  // At the last open, halves left marked in use by programs that had all
  // ended were freed before the claim.
  bool stale_halves_freed = false;
  // Another program cut the block short under us: nothing more is read
  // (side -1) until the line is opened again. Reported once.
  bool block_lost = false;
  bool detached_reported = false;
  // At the last open, something other than a block stood at its name
  // (reported): the line stays closed.
  bool open_refused = false;
};

// Which half a program claims when both are free. A sender that attached
// first, stored bytes and left (or crashed) leaves them in the ring of the
// half it did not claim; a program that takes the first free half then may
// land on the other ring and never see them.
enum class FreeHalfChoice {
  first,         // half A, whatever waits
  for_reading,   // the half whose ring alone holds waiting bytes: they are read
  for_sending,   // the other one, so that what is sent follows what waits
};

// "NH_SCOM%02d" for the line number.
std::string serial_line_name(int line);

class SerialLine;

// Why a line that was opened has no half, and how the user frees one.
std::string no_free_half_text(const SerialLine& line);

class SerialLine {
 public:
  explicit SerialLine(ErrorSink report = {},
                      std::unique_ptr<SharedBlock> block = make_system_shared_block());
  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // How open_serial_line chooses between two free halves; first by default.
  void choose_free_half(FreeHalfChoice choice) { free_half_choice_ = choice; }

  // Releases what is held, takes line (0 keeps the current number), attaches
  // and claims the first free half (or the one choose_free_half says when
  // both are free).
  void open_serial_line(int line);
  // Gives the half back and lets go of the block. Harmless when closed.
  void close_serial_line();
  // Copies up to capacity waiting bytes; 0 without a side.
  int read_serial_line(std::uint8_t* buf, int capacity);
  // Bytes waiting in the own half's ring; 0 without a side.
  int waiting();

  // The sending side, for test peers: stores up to count bytes into the peer
  // half's ring and returns how many fitted; -1 without a side.
  int send_serial_line(const std::uint8_t* data, int count);
  // Bytes sent that the other program has not read yet; -1 without a side.
  int unread_by_peer();

  // Other programs seen holding the line's block, for messages.
  std::vector<std::string> holders() const;

  const SerialLineState& state() const { return state_; }

 private:
  void attach();
  void free_stale_halves();
  void claim_half();
  std::uint8_t* preferred_free_half(std::uint8_t* half_a, std::uint8_t* half_b) const;
  // Whether the view may still be used; reports what other programs did to it.
  bool block_usable();
  void lose_block(const std::string& why);
  void report(const std::string& text);
  template <typename Access>
  bool guarded(Access&& access);

  ErrorSink report_;
  std::unique_ptr<SharedBlock> block_;
  SerialLineState state_;
  FreeHalfChoice free_half_choice_ = FreeHalfChoice::first;
};

}  // namespace morvane
