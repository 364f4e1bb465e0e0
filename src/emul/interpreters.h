// What the two byte interpreters keep over the whole run (one instance,
// shared by the screen page and the printer page), what they work on, and
// what they tell the feed loop about each byte.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/surface.h"
#include "layout/page_state.h"

namespace morvane {

struct DotMatrixState {
  std::uint8_t esc_pending = 0;
  std::uint8_t param_pending = 0;
  std::uint8_t count_high_pending = 0;
  std::uint8_t tab_collecting = 0;
  std::int32_t esc_command = 0;
  std::int32_t esc_a_value = 0;
  std::int32_t count_low = 0;
  std::uint32_t bit_image_count = 0;
  std::int32_t bit_image_mode = 0;
  std::int32_t bit_image_received = 0;
};

constexpr int kBitImageWidth = 1920;

// The bit-image buffer: one byte per column, bit 7 the top dot. The printer
// page puts the columns where the sheet showed them: column k of the run
// that starts at column `run_first` goes to (run_x + k, run_y). A new run
// starts only where the print position moved while the image was arriving.
struct BitImageBuffer {
  bool exists = false;
  std::array<std::uint8_t, kBitImageWidth> columns{};
  std::int32_t run_first = 0;
  std::uint32_t run_x = 0;
  std::uint32_t run_y = 0;
};

constexpr int kPlotLineMax = 132;

struct PlotterState {
  std::uint8_t plot_esc = 0;
  std::uint8_t plot_param = 0;
  std::uint8_t plot_collecting = 0;
  std::uint8_t plot_line_open = 0;
  std::int32_t plot_command = 0;
  std::array<char, kPlotLineMax + 1> plot_line{};
  std::int32_t plot_length = 0;
};

// Everything the interpreters keep between bytes; one instance per run.
struct Interpreters {
  Emulation emulation = Emulation::dot_matrix;
  DotMatrixState dot;
  BitImageBuffer bit_image;
  PlotterState plot;
  TabTable tab_table;            // the live tab stops of the dot-matrix emulation
  bool font_changed = false;     // a style changed: the feed loop makes the current font again
  bool short_line_feed = false;  // an image line was drawn: the next line feed moves 8 units
  std::int32_t os_version = 0;   // the platform's version code; decides dashed plotter lines
  PlotterFace plotter_face = PlotterFace::truetype;  // how the plotter draws characters
};

// The page an interpreter lays out, and where it may draw on it.
class PageTarget {
 public:
  explicit PageTarget(PageState& page) : page(page) {}
  virtual ~PageTarget() = default;
  PageTarget(const PageTarget&) = delete;
  PageTarget& operator=(const PageTarget&) = delete;

  PageState& page;
  // The surface to draw on now, with the printed sheet opened first where
  // that is needed; null while nothing may be drawn (the printer page outside
  // a print document).
  virtual Surface* drawing_surface() = 0;
  // The font text is drawn in (the plotter's labels).
  virtual const FontDesc& current_font() const = 0;
  // How this page takes a bit image (emulation.h has the two ways): column
  // `index` of the buffer has just been stored...
  virtual void image_column(Interpreters& in, std::int32_t index) = 0;
  // ...and the image is complete; the first `received` of its columns came.
  virtual void image_complete(Interpreters& in, std::uint32_t received) = 0;
};

// What the feed loop does with a byte once its interpreter has had it.
struct ByteResult {
  enum class Kind : std::uint8_t { consumed, line_feed, form_feed, carriage_return, character };
  Kind kind = Kind::consumed;
  std::uint8_t byte = 0;  // with `character`: drawn when printable, dropped otherwise

  static constexpr ByteResult consumed() { return {Kind::consumed, 0}; }
  static constexpr ByteResult carriage_return() { return {Kind::carriage_return, 13}; }
  static constexpr ByteResult line_feed() { return {Kind::line_feed, 10}; }
  // A byte passed through as it came: NUL, LF, FF and CR keep their meaning
  // for the feed loop, every other byte is a character.
  static constexpr ByteResult passed(std::uint8_t b) {
    switch (b) {
      case 0: return consumed();
      case 10: return line_feed();
      case 12: return {Kind::form_feed, 12};
      case 13: return carriage_return();
      default: return {Kind::character, b};
    }
  }
  friend bool operator==(const ByteResult&, const ByteResult&) = default;
};

}  // namespace morvane
