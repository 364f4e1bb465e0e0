// The two byte interpreters and what the feed loop and the printer path call
// of them. Each takes one byte for the page of a target and tells the feed
// loop what to do with it.
#pragma once

#include <cstdint>

#include "emul/interpreters.h"

namespace morvane {

ByteResult dot_matrix_byte(Interpreters& in, PageTarget& target, std::uint8_t byte);
ByteResult plotter_byte(Interpreters& in, PageTarget& target, std::uint8_t byte);

// A text-mode character of the plotter in the stroke face, inside its cell:
// top-left corner (x, y), `advance` wide, `line_height` tall, turned about
// the corner by `escapement` as the page's font turns text.
struct StrokeCell {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t advance = 0;
  std::int32_t line_height = 0;
  std::int32_t escapement = 0;
};
void stroke_cell_char(Surface& s, char ch, const StrokeCell& cell, Color color);

// Readies the plotter's command collection for a new page.
void reset_plotter_parse(Interpreters& in, const PageState& page);
// Hands over to the plotter in graphic mode (ESC # of either emulation).
void enter_graphic_mode(Interpreters& in, PageState& page);

// Bit images of the dot-matrix emulation.
void bit_image_start(Interpreters& in);
// The two ways a page takes a bit image's columns. The sheet shows each
// column as it arrives:
void show_image_column(Interpreters& in, PageTarget& target, std::int32_t index);
// paper gathers them in runs at the print position they came at, printing a
// run as one strip where the position moved and once the image is complete.
void gather_image_column(Interpreters& in, PageTarget& target, std::int32_t index);
void print_image_run(Interpreters& in, PageTarget& target, std::uint32_t received);
void bit_image_column(Interpreters& in, PageTarget& target, std::uint8_t byte);
void release_bit_image(Interpreters& in);
// A bit image cut off by its sender: it ends now, the columns that came stay
// as they are and the missing ones are drawn nowhere.
void bit_image_cut_off(Interpreters& in, PageTarget& target);
// The page starts again while an image is arriving (a clear, or the replay
// of a page that began after one): the columns that came before are not on it.
void bit_image_page_restarts(Interpreters& in);
// The printer page leaves the dot-matrix emulation while an image is still
// arriving (the user chose the plotter): the columns the sheet shows go on
// paper now, in the order the sheet got them; the rest follow when the
// emulation comes back.
void bit_image_interrupted(Interpreters& in, PageTarget& target);

// True while the active interpreter is inside a command that a form feed
// would not end: a bit image, an escape or parameter sequence, a tab list.
// A plotter command line in graphic mode is not counted: a form feed carries
// it out.
bool command_pending(const Interpreters& in, const PageState& page);
// Brings the active interpreter back to idle without drawing anything or
// changing a style: the rest of a bit image is consumed unseen, an open
// sequence is dropped, a tab list ends with the stops it has.
void give_up_command(Interpreters& in, PageTarget& target);

}  // namespace morvane
