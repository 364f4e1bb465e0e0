// Giving up a command whose sender stopped part-way through it.
#include "emul/emulation.h"

namespace morvane {

namespace {

bool dot_matrix_pending(const DotMatrixState& d) {
  return d.bit_image_mode != 0 || d.esc_pending || d.param_pending || d.count_high_pending ||
         d.tab_collecting;
}

// Outside graphic mode: an escape, a parameter sequence, or the collection
// that text mode starts in after graphic mode ended.
bool plotter_pending(const PlotterState& s, const PageState& page) {
  if (page.plotter.graphic_mode) return false;
  return s.plot_esc || s.plot_param || s.plot_collecting || s.plot_line_open;
}

}  // namespace

bool command_pending(const Interpreters& in, const PageState& page) {
  if (in.emulation == Emulation::dot_matrix) return dot_matrix_pending(in.dot);
  if (in.emulation == Emulation::plotter) return plotter_pending(in.plot, page);
  return false;
}

void give_up_command(Interpreters& in, PageTarget& target) {
  if (!command_pending(in, target.page)) return;
  if (in.emulation == Emulation::dot_matrix) {
    bit_image_cut_off(in, target);
    DotMatrixState& d = in.dot;
    d.esc_pending = 0;
    d.param_pending = 0;
    d.count_high_pending = 0;
    d.tab_collecting = 0;
    return;
  }
  PlotterState& s = in.plot;
  s.plot_esc = 0;
  s.plot_param = 0;
  s.plot_collecting = 0;
  s.plot_line_open = 0;
}

}  // namespace morvane
