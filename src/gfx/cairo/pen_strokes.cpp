#include "gfx/cairo/pen_strokes.h"

#include "gfx/cairo/text.h"

namespace morvane {

void stroke_pen_path(cairo_t* cr, const Strokes& strokes, Color color) {
  if (strokes.empty()) return;
  cairo_save(cr);
  cairo_new_path(cr);
  for (std::size_t k = 0; k < strokes.starts.size(); ++k) {
    const std::size_t end = strokes.line_end(k);
    for (std::size_t i = strokes.starts[k]; i < end; ++i) {
      const PenPoint& p = strokes.points[i];
      if (i == strokes.starts[k]) cairo_move_to(cr, p.x + 0.5, p.y + 0.5);
      else cairo_line_to(cr, p.x + 0.5, p.y + 0.5);
    }
    // A polyline of one point is a dot of the pen.
    if (end == strokes.starts[k] + 1u) cairo_rel_line_to(cr, 0, 0);
  }
  cairo_set_line_width(cr, 1);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_dash(cr, nullptr, 0, 0);
  set_source_color(cr, color);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace morvane
