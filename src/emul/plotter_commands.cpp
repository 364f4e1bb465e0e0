// Carrying out a plotter command line: pen moves, lines, labels, origin,
// pen colour, line type, text direction and character size.
#include <cstdint>
#include <cstring>

#include "emul/plotter_internal.h"

namespace morvane {

namespace {

constexpr std::int64_t kPageUnits = 800;  // steps x 800 / 960 = page units
constexpr std::int64_t kSteps = 960;

std::int32_t clamp32(std::int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

// A line of the current pen from the pen position to each accepted pair:
// D sets the pen to the pair, J moves it by the pair. A rejected pair ends
// the command line (false). The sheet is opened and the pen taken before any
// pair is read, so a D or J that draws nothing still opens the printed sheet.
bool draw_pairs(Interpreters& in, PageTarget& t, PlotScan& s, bool relative) {
  PageState& page = t.page;
  PlotterPen& p = page.plotter;
  Surface* surface = t.drawing_surface();
  if (surface) surface->set_pen(p.pen_color, plotter_dash(in.os_version, page));
  while (!s.at_end()) {
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (!read_pair(s, x, y)) return false;
    const PagePoint from = plotter_page_point(page, p.pen_x, p.pen_y);
    p.pen_x = relative ? add_steps(p.pen_x, x) : x;
    p.pen_y = relative ? add_steps(p.pen_y, y) : y;
    const PagePoint to = plotter_page_point(page, p.pen_x, p.pen_y);
    if (!surface) continue;
    surface->move_to(from.x, from.y);
    surface->line_to(to.x, to.y);
  }
  return true;
}

// M and R: the pen moves without drawing.
bool move_pairs(PageState& page, PlotScan& s, bool relative) {
  PlotterPen& p = page.plotter;
  while (!s.at_end()) {
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (!read_pair(s, x, y)) return false;
    p.pen_x = relative ? add_steps(p.pen_x, x) : x;
    p.pen_y = relative ? add_steps(p.pen_y, y) : y;
  }
  return true;
}

// The label's top-left corner for the text direction. A label running
// downwards goes where the printer puts it on both pages, so that the sheet
// shows what the paper will.
PagePoint label_origin(const PageState& page) {
  const PlotterPen& p = page.plotter;
  const PagePoint pen = plotter_page_point(page, p.pen_x, p.pen_y);
  const std::int64_t px = pen.x;
  const std::int64_t py = pen.y;
  const std::int64_t cw = page.char_width;
  const std::int64_t lh = page.line_height;
  switch (p.text_angle) {
    case 0:
      return {clamp32(px + cw), clamp32(py - lh)};
    case 1800:
      return {clamp32(px + cw), clamp32(py + lh / 2)};
    case 2700:
      return {clamp32(px + cw), clamp32(py)};
    default:
      return {clamp32(px), clamp32(py)};
  }
}

// P: the rest of the line is the label, commas and letters included. Like
// D and J, an empty P still opens the printed sheet.
void print_label(Interpreters& in, PageTarget& t, const PlotScan& s) {
  const char* text = s.line + s.pos;
  const std::size_t length = std::strlen(text);
  if (in.plotter_face == PlotterFace::strokes) {
    stroke_label(t, text, length);
    return;
  }
  Surface* surface = t.drawing_surface();
  if (!surface || length == 0) return;
  const PagePoint at = label_origin(t.page);
  surface->draw_text(at.x, at.y, text, length, t.current_font(), t.page.plotter.pen_color);
}

// A: back to text mode; the text goes on at the pen's height, within the
// printable area of the page.
void leave_graphic_mode(PageState& page) {
  PlotterPen& p = page.plotter;
  p.graphic_mode = 0;
  p.origin_x = 0;
  p.pen_x = 0;
  page.cur_x = page.margin_left;
  const std::int64_t top = page.margin_top;
  const std::int64_t bottom = static_cast<std::int64_t>(page.paper_height) -
                              page.margin_bottom - page.line_height;
  std::int64_t y = plotter_page_point(page, p.pen_x, p.pen_y).y;
  if (y > bottom) y = bottom;
  if (y < top) y = top;
  page.cur_y = static_cast<std::uint32_t>(y);
}

void text_direction(Interpreters& in, PageState& page, std::int32_t n) {
  static constexpr std::int32_t kAngles[4] = {0, 2700, 1800, 900};
  if (n >= 0 && n <= 3) page.plotter.text_angle = kAngles[n];
  in.font_changed = true;
}

// One command letter; false when the line ends with it.
bool run_command(Interpreters& in, PageTarget& t, PlotScan& s, char letter) {
  PageState& page = t.page;
  PlotterPen& p = page.plotter;
  switch (letter) {
    case 'A':
      leave_graphic_mode(page);
      return true;
    case 'C': {
      const std::int32_t n = read_number(s);
      if (n >= 0 && n <= 3) p.pen_color = kPlotterPens[static_cast<std::size_t>(n)];
      return true;
    }
    case 'D':
      return draw_pairs(in, t, s, false);
    case 'F':
      p.pen_x = 0;
      return true;
    case 'H':
      p.pen_x = 0;
      p.pen_y = 0;
      return true;
    case 'I':
      p.origin_x = add_steps(p.origin_x, p.pen_x);
      p.origin_y = add_steps(p.origin_y, -static_cast<std::int64_t>(p.pen_y));
      p.pen_x = 0;
      p.pen_y = 0;
      return true;
    case 'J':
      return draw_pairs(in, t, s, true);
    case 'L': {
      const std::int32_t n = read_number(s);
      if (n >= 0 && n <= 15) p.line_type = n;
      return true;
    }
    case 'M':
      return move_pairs(page, s, false);
    case 'P':
      print_label(in, t, s);
      return false;
    case 'Q':
      text_direction(in, page, read_number(s));
      return true;
    case 'R':
      return move_pairs(page, s, true);
    case 'S': {
      const std::int32_t n = read_number(s);
      if (n >= 0 && n <= 15) p.char_size = n;
      in.font_changed = true;
      return true;
    }
    default:
      return true;  // anything else is passed over on its own
  }
}

}  // namespace

std::int32_t add_steps(std::int32_t a, std::int64_t b) { return clamp32(a + b); }

void run_plotter_line(Interpreters& in, PageTarget& target) {
  PlotterState& st = in.plot;
  std::int32_t length = st.plot_length;
  if (length < 0) length = 0;
  if (length > kPlotLineMax) length = kPlotLineMax;
  st.plot_line[static_cast<std::size_t>(length)] = '\0';

  PlotScan s{st.plot_line.data()};
  while (!s.at_end()) {
    const char letter = s.peek();
    ++s.pos;
    if (!run_command(in, target, s, letter)) break;
  }

  st.plot_collecting = 1;
  st.plot_line_open = 1;
  st.plot_length = 0;
}

PagePoint plotter_page_point(const PageState& page, std::int32_t pen_x, std::int32_t pen_y) {
  const PlotterPen& p = page.plotter;
  // Multiply first, then divide truncating toward zero, as the plotter counts.
  const std::int64_t dx = (static_cast<std::int64_t>(p.origin_x) + pen_x) * kPageUnits / kSteps;
  const std::int64_t dy = (static_cast<std::int64_t>(p.origin_y) - pen_y) * kPageUnits / kSteps;
  return {clamp32(page.margin_left + dx), clamp32(page.margin_top + dy)};
}

bool dashes_available(std::int32_t os_version) {
  return os_version == 0 || os_version % 100 == 2;
}

std::int32_t plotter_dash(std::int32_t os_version, const PageState& page) {
  const std::int32_t type = page.plotter.line_type;
  if (type < 1 || type > 14 || !dashes_available(os_version)) return 0;
  return type;
}

}  // namespace morvane
