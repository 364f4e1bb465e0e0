#include "page/targets.h"

#include "emul/emulation.h"
#include "page/engine.h"
#include "page/feed.h"
#include "page/printing.h"

namespace morvane {

const FontDesc& FeedTarget::current_font() const { return e_.current_font; }

ScreenTarget::ScreenTarget(Engine& e) : FeedTarget(e, e.screen) {}

Surface* ScreenTarget::drawing_surface() { return e_.page_bitmap.get(); }

void ScreenTarget::image_column(Interpreters& in, std::int32_t index) {
  show_image_column(in, *this, index);
}

// A page that cannot be spooled whole cannot be printed (a partial replay
// would misplace it): once a byte failed, the page is not spooled further.
void ScreenTarget::byte_arrives(std::uint8_t byte) {
  note_page_byte(e_);
  page.dirty = 1;
  if (e_.page_record.spool_failed) return;
  if (!e_.spool.append(byte)) spool_failed(e_);
}

// The page goes to paper while the sheet still shows it; the next byte
// starts a new page record on a blank sheet.
void ScreenTarget::page_ends() {
  reset_plotter_parse(e_.interp, e_.printer);
  e_.hooks.page_ending(*e_.page_bitmap);
  print_page(e_);
  forget_page(e_);
  clear_page(e_, *e_.page_bitmap);
}

// Once per run of bytes: the spool file on disk holds everything received.
void ScreenTarget::run_ends() {
  if (!e_.spool.flush()) spool_failed(e_);
  e_.hooks.show_page(*e_.page_bitmap);
}

PrinterTarget::PrinterTarget(Engine& e) : FeedTarget(e, e.printer) {}

void PrinterTarget::image_column(Interpreters& in, std::int32_t index) {
  gather_image_column(in, *this, index);
}

void PrinterTarget::image_complete(Interpreters& in, std::uint32_t received) {
  print_image_run(in, *this, received);
}

}  // namespace morvane
