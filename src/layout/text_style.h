// How the print styles shape text: the font a page's styles give, and where a
// character goes and how far the print position then moves.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "layout/page_state.h"

namespace morvane {

// The page font as the settings give it, with the fixed fields of the page's
// base font description.
FontDesc base_font(std::int32_t height, std::int32_t weight, std::int32_t italic, const char* face);

// The current font for a page's font description and print styles.
FontDesc make_font(const PageState& page, Emulation emulation);

// Where a character goes below the print line and how far the print position
// then moves, by the styles.
struct CharStep {
  std::uint32_t y_offset;
  std::uint32_t advance;
};
CharStep char_step(const PageState& page);

// Text colour: black in the dot-matrix emulation, the pen in the plotter's.
Color text_color(const PageState& page, Emulation emulation);

}  // namespace morvane
