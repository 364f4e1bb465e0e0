// The plotter emulation's own pieces, shared by its text-mode interpreter,
// its command-line runner and their tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "emul/interpreters.h"
#include "gfx/surface.h"

namespace morvane {

// Pens 0 to 3: black, blue, green, red.
inline constexpr std::array<Color, 4> kPlotterPens{0x000000, 0x840000, 0x008000, 0x000080};

// Carries out the collected command line on the page and readies the next one.
void run_plotter_line(Interpreters& in, PageTarget& target);

// A scan over a zero-terminated command line; the zero byte is its end.
struct PlotScan {
  const char* line;
  std::size_t pos = 0;
  bool at_end() const { return line[pos] == '\0'; }
  char peek() const { return line[pos]; }
};

// The integer at the scan position (blanks, sign, digits; 0 when there are
// none; saturated far outside every accepted range), then on to the separator.
std::int32_t read_number(PlotScan& s);

// One coordinate pair in whole steps; false when rejected (no y, or a value
// outside -999..999), which ends the line.
bool read_pair(PlotScan& s, std::int32_t& x, std::int32_t& y);

// Past a single comma; a doubled comma ends the line.
void skip_separator(PlotScan& s);

// A P label in the stroke face, drawn from the pen position in the page's
// character size and text direction; the pen then stands after it.
void stroke_label(PageTarget& t, const char* text, std::size_t length);

// A pen or origin coordinate moved by b steps, saturating instead of
// wrapping on endless relative moves.
std::int32_t add_steps(std::int32_t a, std::int64_t b);

// The dash length of the plotter's pen: 0 for solid.
std::int32_t plotter_dash(std::int32_t os_version, const PageState& page);

// Whether the backend draws dashed lines: every NT-based Windows (platform
// id 2) and the portable backends (os_version 0).
bool dashes_available(std::int32_t os_version);

// Page units of a pen position (steps from the origin, y upwards).
struct PagePoint {
  std::int32_t x;
  std::int32_t y;
};
PagePoint plotter_page_point(const PageState& page, std::int32_t pen_x, std::int32_t pen_y);

}  // namespace morvane
