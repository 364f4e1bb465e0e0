// What a printed page needs besides its bytes to come out as the screen showed
// it: the state that shaped the screen page when its first byte arrived, and
// what the user did to the page between bytes (a dragged print line, another
// emulation, an unfinished command given up), each at its byte offset. The
// spool file keeps only the bytes received; this record lives beside it.
#pragma once

#include <cstdint>
#include <vector>

#include "emul/interpreters.h"
#include "gfx/surface.h"
#include "layout/page_state.h"

namespace morvane {

struct Engine;

// Taken just before the page's first byte is interpreted.
struct PageStart {
  PageState screen;  // styles, font, tab snapshot, spacing, perforation skip, plotter
  Interpreters interp;
  FontDesc current_font;
};

enum class PageEventKind : std::uint8_t {
  move_to_line,      // the print-line marker was dropped on line `value`
  select_emulation,  // the user chose emulation `value`
  abandon_command,   // an unfinished command was given up (end of input, idle eject)
  home,              // a new sheet was made (another font or printer): both pages went to the top
};

struct PageEvent {
  std::uint64_t offset;  // bytes of the page received before it
  PageEventKind kind;
  std::uint32_t value;
};

struct PageRecord {
  PageStart start;
  std::vector<PageEvent> events;
  std::uint64_t bytes = 0;       // bytes of the page spooled so far
  bool spool_failed = false;     // a byte of this page could not be spooled
};

// Called for every byte of the screen page before it is interpreted.
void note_page_byte(Engine& e);
// The page ended or was cleared: the next byte starts a new record.
void forget_page(Engine& e);
void record_page_event(Engine& e, PageEventKind kind, std::uint32_t value);

// The user's operations between bytes, applied to the screen page now and to
// the printer page at the same point of the replay.
void move_print_line(Engine& e, std::uint32_t line);
void select_emulation(Engine& e, Emulation emulation);

// At the end of input or after a pause in the data: the active interpreter is
// brought back to idle so that a following form feed really ends the page,
// and the page stays exactly as the bytes that came left it (the rest of a
// bit image is not drawn, an open sequence changes no style). Nothing is
// spooled for it: the print replay gives the command up at the same byte.
// Returns true when a command was given up.
bool abandon_incomplete_command(Engine& e);

// Lays the ended page out again on the printer page from the spool file: from
// the state the screen page started with, with every recorded event at its
// offset. The state the screen page goes on with is left as it was.
void replay_page(Engine& e);

}  // namespace morvane
