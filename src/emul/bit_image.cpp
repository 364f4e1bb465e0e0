// Bit-image graphics of the dot-matrix emulation: columns of eight dots,
// collected in the bit-image buffer, shown on the sheet as they arrive and put
// on the printer page as one strip when the image is complete.
#include <algorithm>

#include "emul/emulation.h"

namespace morvane {

namespace {

void clear_buffer(BitImageBuffer& b) {
  b.columns.fill(0);
  b.exists = true;
}

// The printer gets the columns [from, to) of the current run at once,
// opaque, where the sheet showed them. Like text, they reach paper only
// inside an open document.
void print_run(Interpreters& in, PageTarget& t, std::int32_t from, std::int32_t to) {
  if (to > kBitImageWidth) to = kBitImageWidth;
  if (from < 0 || to <= from) return;  // an image cut off before a column came shows nothing
  Surface* paper = t.drawing_surface();
  if (paper == nullptr) return;
  const BitImageBuffer& b = in.bit_image;
  const std::uint32_t x = b.run_x + static_cast<std::uint32_t>(from);
  paper->blit_columns(
      static_cast<std::int32_t>(x), static_cast<std::int32_t>(b.run_y),
      &b.columns[static_cast<std::size_t>(from)], static_cast<std::size_t>(to - from));
}

// The image takes its whole count of columns on the line, however many of
// them came; the page takes the first `end` columns, those that did.
void finish_image(Interpreters& in, PageTarget& t, std::uint32_t end) {
  DotMatrixState& d = in.dot;
  d.bit_image_mode = 0;
  t.image_complete(in, end);
  t.page.cur_x += d.bit_image_count;
  in.short_line_feed = true;
}

}  // namespace

// Copying only the new column gives the same picture as copying the whole
// received prefix again.
void show_image_column(Interpreters& in, PageTarget& t, std::int32_t index) {
  Surface* sheet = t.drawing_surface();
  if (sheet == nullptr) return;
  const PageState& page = t.page;
  const auto x = static_cast<std::int32_t>(page.cur_x + static_cast<std::uint32_t>(index));
  sheet->blit_columns(x, static_cast<std::int32_t>(page.cur_y), &in.bit_image.columns[index], 1);
}

// The run goes on while the print position stays where it was; if it moved
// (the marker was dragged) what came so far is printed and a new run starts.
void gather_image_column(Interpreters& in, PageTarget& t, std::int32_t index) {
  BitImageBuffer& b = in.bit_image;
  const PageState& page = t.page;
  if (index != b.run_first && (page.cur_x != b.run_x || page.cur_y != b.run_y)) {
    print_run(in, t, b.run_first, index);
    b.run_first = index;
  }
  if (index == b.run_first) {
    b.run_x = page.cur_x;
    b.run_y = page.cur_y;
  }
}

void print_image_run(Interpreters& in, PageTarget& t, std::uint32_t received) {
  const std::uint32_t last = std::min<std::uint32_t>(received, kBitImageWidth);
  print_run(in, t, in.bit_image.run_first, static_cast<std::int32_t>(last));
}

void bit_image_start(Interpreters& in) {
  clear_buffer(in.bit_image);
  in.bit_image.run_first = 0;
  in.dot.bit_image_received = 0;
}

void bit_image_page_restarts(Interpreters& in) {
  BitImageBuffer& b = in.bit_image;
  const std::int32_t received = in.dot.bit_image_received;
  b.run_first = received;
  // The columns still to come start white, as after the image's start.
  if (received >= 0 && received < kBitImageWidth)
    std::fill(b.columns.begin() + received, b.columns.end(), std::uint8_t{0});
}

void bit_image_interrupted(Interpreters& in, PageTarget& target) {
  if (in.dot.bit_image_mode == 0) return;
  print_run(in, target, in.bit_image.run_first, in.dot.bit_image_received);
  bit_image_page_restarts(in);
}

void bit_image_column(Interpreters& in, PageTarget& target, std::uint8_t byte) {
  DotMatrixState& d = in.dot;
  // A buffer released while an image was arriving is made again (white), so
  // the image still ends after exactly its count of data bytes.
  if (!in.bit_image.exists) clear_buffer(in.bit_image);
  const std::int32_t index = d.bit_image_received;
  const bool stored = index >= 0 && index < kBitImageWidth;
  if (stored) in.bit_image.columns[index] |= byte;
  d.bit_image_received += 1;
  if (stored) target.image_column(in, index);
  if (static_cast<std::uint32_t>(d.bit_image_received) >= d.bit_image_count)
    finish_image(in, target, d.bit_image_count);
}

void bit_image_cut_off(Interpreters& in, PageTarget& target) {
  if (in.dot.bit_image_mode == 0) return;
  const std::int32_t received = in.dot.bit_image_received;
  finish_image(in, target, received > 0 ? static_cast<std::uint32_t>(received) : 0u);
}

void release_bit_image(Interpreters& in) { in.bit_image.exists = false; }

}  // namespace morvane
