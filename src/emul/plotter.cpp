// The plotter's byte interpreter: text mode with its pen and size sequences,
// and the collection of command lines in graphic mode.
#include "emul/emulation.h"
#include "emul/plotter_internal.h"

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

ByteResult graphic_byte(Interpreters& in, PageTarget& target, std::uint8_t byte) {
  PlotterState& st = in.plot;
  switch (byte) {
    case kLf:
      return ByteResult::consumed();
    case kFf:
      st.plot_collecting = 0;
      run_plotter_line(in, target);
      target.page.plotter.graphic_mode = 0;
      return ByteResult::passed(kFf);
    case kCr:
      st.plot_collecting = 0;
      run_plotter_line(in, target);
      return ByteResult::consumed();
    default:
      if (st.plot_collecting && st.plot_line_open) append_to_line(st, byte);
      return ByteResult::consumed();  // bytes past the end of a full line are dropped
  }
}

ByteResult parameter_byte(PlotterState& st, PageState& page, std::uint8_t byte) {
  if (byte == kLf) {
    st.plot_line_open = 0;
    st.plot_param = 0;
    return ByteResult::consumed();
  }
  if (byte == kCr) {
    st.plot_collecting = 0;
    st.plot_param = 0;
    apply_parameter(st, page);
    return ByteResult::consumed();
  }
  if (is_digit(byte))
    return append_to_line(st, byte) ? ByteResult::consumed() : ByteResult::passed(byte);
  st.plot_param = 0;
  st.plot_collecting = 0;
  st.plot_line_open = 0;
  return ByteResult::passed(byte);
}

void escape_byte(Interpreters& in, PageState& page, std::uint8_t byte) {
  PlotterState& st = in.plot;
  st.plot_esc = 0;
  st.plot_command = byte;
  if (byte == '#') enter_graphic_mode(in, page);
  else if (byte == 'C') start_parameter(st);
}

// Text mode, outside any sequence. Positions compare unsigned.
ByteResult text_byte(PlotterState& st, PageState& page, std::uint8_t byte) {
  switch (byte) {
    case kBs:
      if (page.cur_x > page.margin_left + page.char_width) page.cur_x -= page.char_width;
      else page.cur_x = page.margin_left;
      return ByteResult::consumed();
    case kVt:
      if (page.cur_y > page.margin_top + page.line_height) page.cur_y -= page.line_height;
      else page.cur_y = page.margin_top;
      return ByteResult::consumed();
    case kDc2:
      st.plot_command = kDc2;
      start_parameter(st);
      return ByteResult::consumed();
    case kEsc:
      st.plot_esc = 1;
      return ByteResult::consumed();
    default:
      return ByteResult::passed(byte);
  }
}

}  // namespace

ByteResult plotter_byte(Interpreters& in, PageTarget& target, std::uint8_t byte) {
  PlotterState& st = in.plot;
  PageState& page = target.page;
  if (page.plotter.graphic_mode == 1) return graphic_byte(in, target, byte);
  if (st.plot_param || st.plot_collecting || st.plot_line_open)
    return parameter_byte(st, page, byte);
  if (st.plot_esc) {
    escape_byte(in, page, byte);
    return ByteResult::consumed();
  }
  return text_byte(st, page, byte);
}

void reset_plotter_parse(Interpreters& in, const PageState& page) {
  in.plot.plot_length = 0;
  in.plot.plot_collecting = page.plotter.graphic_mode;
  in.plot.plot_line_open = page.plotter.graphic_mode;
}

void enter_graphic_mode(Interpreters& in, PageState& page) {
  in.emulation = Emulation::plotter;
  page.plotter.graphic_mode = 1;
  in.plot.plot_collecting = 1;
  in.plot.plot_line_open = 1;
  in.plot.plot_length = 0;
  page.plotter.origin_x = 0;
  page.plotter.pen_x = 0;
  page.plotter.pen_y = 0;
  page.plotter.origin_y = static_cast<std::int32_t>(page.cur_y * 960u / 800u);
}

}  // namespace morvane
