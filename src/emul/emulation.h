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

}  // namespace morvane
