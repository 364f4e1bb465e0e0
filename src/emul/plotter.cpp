// The plotter's byte interpreter: text mode with its pen and size sequences,
// and the collection of command lines in graphic mode.
#include "emul/emulation.h"
#include "emul/plotter_internal.h"
#include "page/engine.h"

namespace morvane {

namespace {

constexpr std::uint8_t kBs = 8;
constexpr std::uint8_t kLf = 10;
constexpr std::uint8_t kVt = 11;
constexpr std::uint8_t kFf = 12;
constexpr std::uint8_t kCr = 13;
constexpr std::uint8_t kDc2 = 18;
constexpr std::uint8_t kEsc = 27;

bool is_digit(std::uint8_t b) { return b >= '0' && b <= '9'; }

// Appends a byte and keeps the line zero-terminated; false when it is full.
bool append_to_line(PlotterState& st, std::uint8_t byte) {
  if (st.plot_length < 0 || st.plot_length >= kPlotLineMax) return false;
  st.plot_line[static_cast<std::size_t>(st.plot_length)] = static_cast<char>(byte);
  st.plot_length += 1;
  st.plot_line[static_cast<std::size_t>(st.plot_length)] = '\0';
  return true;
}

void start_parameter(PlotterState& st) {
  st.plot_param = 1;
  st.plot_collecting = 1;
  st.plot_line_open = 1;
  st.plot_length = 0;
}

// A parameter sequence ended by CR: DC2 with one or two digits sets the
// character size, ESC C with one pen digit the pen colour.
void apply_parameter(const PlotterState& st, PageState& page) {
  const char* digits = st.plot_line.data();
  if (st.plot_command == kDc2 && (st.plot_length == 1 || st.plot_length == 2)) {
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < st.plot_length; ++i) n = n * 10 + (digits[i] - '0');
    page.plotter.char_size = n;
  } else if (st.plot_command == 'C' && st.plot_length == 1 && digits[0] >= '0' &&
             digits[0] <= '3') {
    page.plotter.pen_color = kPlotterPens[static_cast<std::size_t>(digits[0] - '0')];
  }
}

std::uint8_t graphic_byte(Engine& e, PageState& page, std::uint8_t byte) {
  PlotterState& st = e.plot;
  switch (byte) {
    case kLf:
      return 0;
    case kFf:
      st.plot_collecting = 0;
      run_plotter_line(e, page);
      page.plotter.graphic_mode = 0;
      return kFf;
    case kCr:
      st.plot_collecting = 0;
      run_plotter_line(e, page);
      return 0;
    default:
      if (st.plot_collecting && st.plot_line_open) append_to_line(st, byte);
      return 0;  // bytes past the end of a full line are dropped
  }
}

std::uint8_t parameter_byte(PlotterState& st, PageState& page, std::uint8_t byte) {
  if (byte == kLf) {
    st.plot_line_open = 0;
    st.plot_param = 0;
    return 0;
  }
  if (byte == kCr) {
    st.plot_collecting = 0;
    st.plot_param = 0;
    apply_parameter(st, page);
    return 0;
  }
  if (is_digit(byte)) return append_to_line(st, byte) ? 0 : byte;
  st.plot_param = 0;
  st.plot_collecting = 0;
  st.plot_line_open = 0;
  return byte;
}

void escape_byte(Engine& e, PageState& page, std::uint8_t byte) {
  PlotterState& st = e.plot;
  st.plot_esc = 0;
  st.plot_command = byte;
  if (byte == '#') enter_graphic_mode(e, page);
  else if (byte == 'C') start_parameter(st);
}

// Text mode, outside any sequence. Positions compare unsigned.
std::uint8_t text_byte(PlotterState& st, PageState& page, std::uint8_t byte) {
  switch (byte) {
    case kBs:
      if (page.cur_x > page.margin_left + page.char_width) page.cur_x -= page.char_width;
      else page.cur_x = page.margin_left;
      return 0;
    case kVt:
      if (page.cur_y > page.margin_top + page.line_height) page.cur_y -= page.line_height;
      else page.cur_y = page.margin_top;
      return 0;
    case kDc2:
      st.plot_command = kDc2;
      start_parameter(st);
      return 0;
    case kEsc:
      st.plot_esc = 1;
      return 0;
    default:
      return byte;
  }
}

}  // namespace

std::uint8_t plotter_byte(Engine& e, PageState& page, std::uint8_t byte) {
  PlotterState& st = e.plot;
  if (page.plotter.graphic_mode == 1) return graphic_byte(e, page, byte);
  if (st.plot_param || st.plot_collecting || st.plot_line_open)
    return parameter_byte(st, page, byte);
  if (st.plot_esc) {
    escape_byte(e, page, byte);
    return 0;
  }
  return text_byte(st, page, byte);
}

void reset_plotter_parse(Engine& e, PageState& page) {
  e.plot.plot_length = 0;
  e.plot.plot_collecting = page.plotter.graphic_mode;
  e.plot.plot_line_open = page.plotter.graphic_mode;
}

void enter_graphic_mode(Engine& e, PageState& page) {
  e.emulation = 1;
  page.plotter.graphic_mode = 1;
  e.plot.plot_collecting = 1;
  e.plot.plot_line_open = 1;
  e.plot.plot_length = 0;
  page.plotter.origin_x = 0;
  page.plotter.pen_x = 0;
  page.plotter.pen_y = 0;
  page.plotter.origin_y = static_cast<std::int32_t>(page.cur_y * 960u / 800u);
}

}  // namespace morvane
