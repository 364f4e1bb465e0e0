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
};

struct PageEvent {
  std::uint64_t offset;  // bytes of the page received before it
  PageEventKind kind;
  std::uint32_t value;
};

struct PageRecord {
  PageStart start;
  std::vector<PageEvent> events;
  std::uint64_t bytes = 0;        // bytes of the page spooled so far
  bool spool_failed = false;      // a byte of this page could not be spooled
  bool spool_failure_told = false;  // the user heard of it (kept over pages)
};

// Called for every byte of the screen page before it is interpreted.
void note_page_byte(Engine& e);
// The page ended or was cleared: the next byte starts a new record.
void forget_page(Engine& e);
// What the user did between bytes (see commands.h), for the replay to do at
// the same byte.
void record_page_event(Engine& e, PageEventKind kind, std::uint32_t value);

// The spool file failed for this page: the page will not be printed, and the
// user hears of it once until the spool file works again.
void spool_failed(Engine& e);
// The page ended with its spool file whole: true when it may be printed.
bool spool_whole(Engine& e);


// Lays the ended page out again on the printer page from the spool file: from
// the state the screen page started with, with every recorded event at its
// offset. The state the screen page goes on with is left as it was. False
// when the spool file did not give back every byte of the page.
bool replay_page(Engine& e);

}  // namespace morvane
