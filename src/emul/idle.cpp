#include "emul/idle.h"

#include "emul/emulation.h"
#include "page/engine.h"
#include "page/page_record.h"

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

bool command_pending(const Engine& e, const PageState& page) {
  if (e.emulation == 0) return dot_matrix_pending(e.dot);
  if (e.emulation == 1) return plotter_pending(e.plot, page);
  return false;
}

void give_up_command(Engine& e, PageState& page) {
  if (!command_pending(e, page)) return;
  if (e.emulation == 0) {
    bit_image_cut_off(e, page);
    DotMatrixState& d = e.dot;
    d.esc_pending = 0;
    d.param_pending = 0;
    d.count_high_pending = 0;
    d.tab_collecting = 0;
    return;
  }
  PlotterState& s = e.plot;
  s.plot_esc = 0;
  s.plot_param = 0;
  s.plot_collecting = 0;
  s.plot_line_open = 0;
}

bool abandon_incomplete_command(Engine& e) {
  if (!command_pending(e, e.screen)) return false;
  record_page_event(e, PageEventKind::abandon_command, 0);
  give_up_command(e, e.screen);
  return true;
}

}  // namespace morvane
