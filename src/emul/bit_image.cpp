// Bit-image graphics of the dot-matrix emulation: columns of eight dots,
// collected in the bit-image buffer, shown on the sheet as they arrive and put
// on the printer page as one strip when the image is complete.
#include <algorithm>

#include "emul/emulation.h"
#include "page/engine.h"
#include "page/printing.h"

namespace morvane {

namespace {

void clear_buffer(BitImageBuffer& b) {
  b.columns.fill(0);
  b.exists = true;
}

// The screen shows each column as it arrives; copying only the new column
// gives the same picture as copying the whole received prefix again.
void show_column(Engine& e, const PageState& page, std::int32_t index) {
  Surface* sheet = page_surface(e, page);
  if (sheet == nullptr) return;
  const auto x = static_cast<std::int32_t>(page.cur_x + static_cast<std::uint32_t>(index));
  sheet->blit_columns(x, static_cast<std::int32_t>(page.cur_y), &e.bit_image.columns[index], 1);
}

// The printer gets the columns [from, to) of the current run at once,
// opaque, where the sheet showed them. Like text, they reach paper only
// inside an open document.
void print_run(Engine& e, std::int32_t from, std::int32_t to) {
  if (to > kBitImageWidth) to = kBitImageWidth;
  if (from < 0 || to <= from) return;  // an image cut off before a column came shows nothing
  if (e.job_active == 0 || e.printer_enabled == 0 || !e.printer_dc) return;
  start_printer_page(e);
  const BitImageBuffer& b = e.bit_image;
  const std::uint32_t x = b.run_x + static_cast<std::uint32_t>(from);
  e.printer_dc->surface().blit_columns(
      static_cast<std::int32_t>(x), static_cast<std::int32_t>(b.run_y),
      &b.columns[static_cast<std::size_t>(from)], static_cast<std::size_t>(to - from));
}

// On the printer page: the run goes on where the print position still is;
// if it moved (the marker was dragged) what came so far is printed and a
// new run starts here.
void follow_position(Engine& e, const PageState& page, std::int32_t index) {
  BitImageBuffer& b = e.bit_image;
  if (index != b.run_first && (page.cur_x != b.run_x || page.cur_y != b.run_y)) {
    print_run(e, b.run_first, index);
    b.run_first = index;
  }
  if (index == b.run_first) {
    b.run_x = page.cur_x;
    b.run_y = page.cur_y;
  }
}

// The image takes its whole count of columns on the line, however many of
// them came; the printer gets the columns up to `end` that did.
void finish_image(Engine& e, PageState& page, std::uint32_t end) {
  DotMatrixState& d = e.dot;
  d.bit_image_mode = 0;
  if (page.is_printer == 1) {
    const std::uint32_t last = std::min<std::uint32_t>(end, kBitImageWidth);
    print_run(e, e.bit_image.run_first, static_cast<std::int32_t>(last));
  }
  page.cur_x += d.bit_image_count;
  e.short_line_feed = 1;
}

}  // namespace

void bit_image_start(Engine& e) {
  clear_buffer(e.bit_image);
  e.bit_image.run_first = 0;
  e.dot.bit_image_received = 0;
}

void bit_image_page_restarts(Engine& e) {
  BitImageBuffer& b = e.bit_image;
  const std::int32_t received = e.dot.bit_image_received;
  b.run_first = received;
  // The columns still to come start white, as after the image's start.
  if (received >= 0 && received < kBitImageWidth)
    std::fill(b.columns.begin() + received, b.columns.end(), std::uint8_t{0});
}

void bit_image_interrupted(Engine& e) {
  if (e.dot.bit_image_mode == 0) return;
  print_run(e, e.bit_image.run_first, e.dot.bit_image_received);
  bit_image_page_restarts(e);
}

void bit_image_column(Engine& e, PageState& page, std::uint8_t byte) {
  DotMatrixState& d = e.dot;
  // A buffer released while an image was arriving is made again (white), so
  // the image still ends after exactly its count of data bytes.
  if (!e.bit_image.exists) clear_buffer(e.bit_image);
  const std::int32_t index = d.bit_image_received;
  const bool stored = index >= 0 && index < kBitImageWidth;
  if (stored) e.bit_image.columns[index] |= byte;
  d.bit_image_received += 1;
  if (stored && page.is_printer == 0) show_column(e, page, index);
  if (stored && page.is_printer == 1) follow_position(e, page, index);
  if (static_cast<std::uint32_t>(d.bit_image_received) >= d.bit_image_count)
    finish_image(e, page, d.bit_image_count);
}

void bit_image_cut_off(Engine& e, PageState& page) {
  if (e.dot.bit_image_mode == 0) return;
  const std::int32_t received = e.dot.bit_image_received;
  finish_image(e, page, received > 0 ? static_cast<std::uint32_t>(received) : 0u);
}

void release_bit_image(Engine& e) {
  e.bit_image.exists = false;
}

}  // namespace morvane
