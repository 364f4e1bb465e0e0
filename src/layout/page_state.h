// The page-layout record and its companions.
//
// Two instances exist for a run: the screen page (is_printer 0), laid out into
// the sheet bitmap, and the printer page (is_printer 1), laid out again into
// the printer when a finished page is replayed. What the two do differently
// comes from the target each is laid out on, not from the flag. Lengths and
// positions are hundredths of an inch from the sheet's top-left corner and
// unsigned.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/surface.h"
#include "print/printer.h"

namespace morvane {

constexpr int kMaxTabStops = 28;

// Which printer the bytes are read for (settings key "printertype"). The
// settings file may hold any number: other values pass bytes through as they
// are.
enum class Emulation : std::int32_t { dot_matrix = 0, plotter = 1 };

// How the plotter draws characters: in the page's TrueType font, as the
// desktop program does, or with its pen in the stroke face, sized and
// advanced as on the device.
enum class PlotterFace : std::uint8_t { truetype, strokes };

// The plotter's character size at power-on and after a reset, per face.
inline constexpr std::int32_t kResetCharSize = 7;
inline constexpr std::int32_t kStrokesResetCharSize = 1;

struct PlotterPen {
  std::uint8_t graphic_mode = 0;
  Color pen_color = 0;
  std::int32_t char_size = kResetCharSize;
  std::int32_t text_angle = 0;
  std::int32_t line_type = 0;
  std::int32_t origin_x = 0;
  std::int32_t origin_y = 0;
  std::int32_t pen_x = 0;
  std::int32_t pen_y = 0;
};

// The print styles of a page: the seven style flags, the line spacing (kept,
// never applied) and the page's snapshot of the tab stops. They are reset,
// carried from the screen page to the printer page and taken at a page's
// first byte always together, as one value.
struct PrintStyles {
  std::uint8_t double_width = 0;
  std::uint8_t condensed = 0;
  std::uint8_t emphasized = 0;
  std::uint8_t double_strike = 0;
  std::uint8_t superscript = 0;
  std::uint8_t subscript = 0;
  std::uint8_t expanded = 0;
  std::int32_t spacing_num = 0;
  std::int32_t spacing_den = 0;
  std::int32_t tab_count = 0;
  std::array<std::int32_t, kMaxTabStops> tab_stops{};

  friend bool operator==(const PrintStyles&, const PrintStyles&) = default;
};

struct PageState {
  std::int32_t is_printer = 0;
  std::uint32_t lines_per_page = 0;
  std::uint32_t page_length_lines = 0;
  std::uint32_t skip_perforation = 0;
  std::uint32_t chars_per_line = 0;
  std::uint32_t line_height = 0;
  std::uint32_t char_width = 0;
  std::uint32_t line_count = 0;
  std::uint32_t margin_left = 0;
  std::uint32_t margin_right = 0;
  std::uint32_t margin_top = 0;
  std::uint32_t margin_bottom = 0;
  std::uint32_t cur_x = 0;
  std::uint32_t cur_y = 0;
  std::uint32_t paper_width = 0;
  std::uint32_t paper_height = 0;
  std::uint32_t wrap_width = 0;
  std::uint32_t wrap_margin = 0;
  PrintStyles styles;
  PlotterPen plotter;
  FontDesc font;
  std::int32_t dirty = 0;

  // Before any printer was measured: the plotter sub-record starts zeroed too.
  PageState() { plotter.char_size = 0; }
};

// The live horizontal tab stops of the dot-matrix emulation, in character columns.
struct TabTable {
  std::int32_t count = 16;
  std::array<std::int32_t, kMaxTabStops> stops{8,  16, 24, 32, 40,  48,  56,  64,
                                               72, 80, 88, 96, 104, 112, 120, 128};
};

// The printer's device metrics as last measured.
using PrinterMetrics = DeviceCaps;

}  // namespace morvane
