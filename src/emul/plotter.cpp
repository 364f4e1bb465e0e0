// Placeholder until the plotter emulation lands: bytes pass through.
#include "emul/emulation.h"
#include "page/engine.h"

namespace morvane {

std::uint8_t plotter_byte(Engine&, PageState&, std::uint8_t byte) { return byte; }

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
