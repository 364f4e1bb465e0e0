// The two byte interpreters and what the feed loop and the printer path call
// of them. Each interpreter takes one byte for a page and returns 0 (consumed),
// 10 (line feed), 12 (form feed), 13 (carriage return) or a character.
#pragma once

#include <cstdint>

namespace morvane {

struct Engine;
struct PageState;

std::uint8_t dot_matrix_byte(Engine& e, PageState& page, std::uint8_t byte);
std::uint8_t plotter_byte(Engine& e, PageState& page, std::uint8_t byte);

// Readies the plotter's command collection for a new page.
void reset_plotter_parse(Engine& e, PageState& page);
// Hands over to the plotter in graphic mode (ESC # of either emulation).
void enter_graphic_mode(Engine& e, PageState& page);

// Bit images of the dot-matrix emulation.
void bit_image_start(Engine& e);
void bit_image_column(Engine& e, PageState& page, std::uint8_t byte);
void release_bit_image(Engine& e);
// The page starts again while an image is arriving (a clear, or the replay
// of a page that began after one): the columns that came before are not on it.
void bit_image_page_restarts(Engine& e);
// The printer page leaves the dot-matrix emulation while an image is still
// arriving (the user chose the plotter): the columns the sheet shows go on
// paper now, in the order the sheet got them; the rest follow when the
// emulation comes back.
void bit_image_interrupted(Engine& e);
// A bit image cut off by its sender: it ends now, the columns that came stay
// as they are and the missing ones are drawn nowhere.
void bit_image_cut_off(Engine& e, PageState& page);

// True while the active interpreter is inside a command that a form feed
// would not end: a bit image, an escape or parameter sequence, a tab list.
// A plotter command line in graphic mode is not counted: a form feed carries
// it out.
bool command_pending(const Engine& e, const PageState& page);
// Brings the active interpreter back to idle without drawing anything or
// changing a style: the rest of a bit image is consumed unseen, an open
// sequence is dropped, a tab list ends with the stops it has.
void give_up_command(Engine& e, PageState& page);

}  // namespace morvane
