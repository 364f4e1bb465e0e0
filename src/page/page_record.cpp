#include "page/page_record.h"

#include "emul/emulation.h"
#include "page/engine.h"
#include "page/feed.h"
#include "layout/page_ops.h"

namespace morvane {

namespace {

PageStart capture(const Engine& e) { return {e.screen, e.interp, e.current_font}; }

// The shared interpreter state goes back to what it was; the page itself is
// not touched.
void restore_shared(Engine& e, const PageStart& s) {
  e.interp = s.interp;
  e.interp.font_changed = false;
  e.current_font = s.current_font;
}

// The printer page takes over what the screen page had at its first byte;
// its own measurements and margins stay, and it starts at its top.
void start_printer_like_screen(Engine& e, const PageStart& s) {
  PageState& p = e.printer;
  const PageState& from = s.screen;
  p.double_width = from.double_width;
  p.condensed = from.condensed;
  p.emphasized = from.emphasized;
  p.double_strike = from.double_strike;
  p.superscript = from.superscript;
  p.subscript = from.subscript;
  p.expanded = from.expanded;
  p.spacing_num = from.spacing_num;
  p.spacing_den = from.spacing_den;
  p.tab_count = from.tab_count;
  p.tab_stops = from.tab_stops;
  p.skip_perforation = from.skip_perforation;
  p.page_length_lines = from.page_length_lines;
  p.plotter = from.plotter;
  p.font = from.font;
  home_page(p);
  restore_shared(e, s);
  bit_image_page_restarts(e.interp);
}

void apply_event(Engine& e, const PageEvent& ev) {
  PrinterTarget printer(e);
  switch (ev.kind) {
    case PageEventKind::move_to_line:
      move_to_line(e.printer, ev.value);
      break;
    case PageEventKind::select_emulation:
      if (e.interp.emulation == Emulation::dot_matrix) bit_image_interrupted(e.interp, printer);
      e.interp.emulation = static_cast<Emulation>(ev.value);
      break;
    case PageEventKind::abandon_command:
      give_up_command(e.interp, printer);
      break;
  }
}

// The spool file through the printer page, in runs of at most 256 bytes cut
// at every recorded event. Only the page's own bytes are read back; the
// count of those read is returned.
std::uint64_t replay_bytes(Engine& e) {
  const std::vector<PageEvent>& events = e.page_record.events;
  std::size_t next = 0;
  std::uint64_t offset = 0;
  std::uint8_t block[256];
  for (;;) {
    while (next < events.size() && events[next].offset <= offset) apply_event(e, events[next++]);
    std::size_t want = sizeof block;
    if (next < events.size() && events[next].offset - offset < want)
      want = static_cast<std::size_t>(events[next].offset - offset);
    const std::size_t n = e.spool.read(offset, block, want);
    if (n == 0) break;
    feed_printer_page(e, block, n);
    offset += n;
  }
  return offset;
}

}  // namespace

void note_page_byte(Engine& e) {
  PageRecord& r = e.page_record;
  if (r.bytes == 0) r.start = capture(e);
  r.bytes += 1;
}

void forget_page(Engine& e) {
  e.page_record.events.clear();
  e.page_record.bytes = 0;
  e.page_record.spool_failed = false;
}

void spool_failed(Engine& e) {
  PageRecord& r = e.page_record;
  r.spool_failed = true;
  if (r.spool_failure_told) return;
  r.spool_failure_told = true;
  const FileFailure& why = e.spool.failure();
  e.hooks.error("Unable to write the spool file " + (why.path.empty() ? e.spool.path() : why.path) + ": " +
                    why.reason + "; the page is not printed",
                "Morvane");
}

bool spool_whole(Engine& e) {
  PageRecord& r = e.page_record;
  if (!e.spool.close() && !r.spool_failed) spool_failed(e);
  if (r.spool_failed) return false;
  r.spool_failure_told = false;  // it works again: a new failure is told again
  return true;
}

void record_page_event(Engine& e, PageEventKind kind, std::uint32_t value) {
  // Before the page's first byte the event comes first in the replay, and
  // the state it changes is already in the start taken at that byte.
  e.page_record.events.push_back({e.page_record.bytes, kind, value});
}

bool replay_page(Engine& e) {
  const PageStart live = capture(e);
  start_printer_like_screen(e, e.page_record.start);
  const bool whole = replay_bytes(e) == e.page_record.bytes;
  restore_shared(e, live);
  return whole;
}

}  // namespace morvane
