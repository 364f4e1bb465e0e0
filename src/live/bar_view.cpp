#include "live/bar_view.h"

#include <cmath>

#include "page/commands.h"
#include "page/engine.h"
#include "view/bar_math.h"
#include "view/view_colors.h"

namespace morvane::live {

namespace {

void set_color(cairo_t* cr, Color c) {
  cairo_set_source_rgb(cr, red_of(c) / 255.0, green_of(c) / 255.0, blue_of(c) / 255.0);
}

// A y of the bar's picture (sheet rows plus 10) in the bar: scrolled with
// the sheet in the original-size view, squeezed like it in the fitted one.
double bar_row(std::int64_t y, ViewMode mode, std::uint32_t sheet_h, std::uint32_t shown_h,
               std::uint32_t scroll_y) {
  if (mode == ViewMode::original_size) return static_cast<double>(y - std::int64_t{scroll_y});
  return sheet_h == 0 ? 0.0 : static_cast<double>(y) * shown_h / sheet_h;
}

}  // namespace

BarView::BarView(ViewState& state, Engine& engine, std::function<SheetLayout()> layout,
                 std::function<void()> scrolled_to_top)
    : state_(state), engine_(engine), layout_(std::move(layout)), scrolled_to_top_(std::move(scrolled_to_top)) {
  area_ = gtk_drawing_area_new();
  gtk_drawing_area_set_content_width(GTK_DRAWING_AREA(area_), kBarWidth);
  gtk_widget_set_vexpand(area_, TRUE);
  auto draw = +[](GtkDrawingArea*, cairo_t* cr, int w, int h, gpointer self) {
    static_cast<BarView*>(self)->draw(cr, w, h);
  };
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(area_), draw, this, nullptr);

  drag_ = gtk_gesture_drag_new();
  gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(drag_), GDK_BUTTON_PRIMARY);
  auto begin = +[](GtkGestureDrag*, double, double y, gpointer self) { static_cast<BarView*>(self)->press(y); };
  auto update = +[](GtkGestureDrag* g, double, double dy, gpointer self) {
    double x0 = 0, y0 = 0;
    gtk_gesture_drag_get_start_point(g, &x0, &y0);
    static_cast<BarView*>(self)->move(y0 + dy);
  };
  auto end = +[](GtkGestureDrag*, double, double, gpointer self) { static_cast<BarView*>(self)->release(); };
  g_signal_connect(drag_, "drag-begin", G_CALLBACK(begin), this);
  g_signal_connect(drag_, "drag-update", G_CALLBACK(update), this);
  g_signal_connect(drag_, "drag-end", G_CALLBACK(end), this);
  // A drag taken away (another grab) ends as a release at the marker's place.
  g_signal_connect(drag_, "cancel", G_CALLBACK(+[](GtkGesture*, GdkEventSequence*, gpointer self) {
                     static_cast<BarView*>(self)->release();
                   }), this);
  gtk_widget_add_controller(area_, GTK_EVENT_CONTROLLER(drag_));
}

std::uint32_t BarView::shown_line() const { return dragging_ ? drag_line_ : engine_.screen.line_count; }

std::uint32_t BarView::marker_y() const {
  const PageState& s = engine_.screen;
  return marker_position(s, s.line_height, shown_line());
}

BarView::Shown BarView::wanted() const {
  const PageState& s = engine_.screen;
  Shown w;
  w.drawn = true;
  w.view_mode = state_.view_mode;
  w.sheet_height = s.paper_height;
  w.shown_height = layout_().copy.shown_height;
  w.scroll_y = state_.scroll_y;
  w.line_height = s.line_height;
  w.line = shown_line();
  w.margin_top = s.margin_top;
  w.margin_bottom = s.margin_bottom;
  return w;
}

void BarView::refresh() {
  if (wanted() == shown_) return;
  gtk_widget_queue_draw(area_);
}

void BarView::draw(cairo_t* cr, int width, int height) {
  shown_ = wanted();
  const Shown& d = shown_;
  const PageState& s = engine_.screen;
  set_color(cr, kViewGrey);  // below the bar
  cairo_paint(cr);
  // The bar reaches 10 pixels above the sheet's top down to its shown foot.
  const double bar_h = std::min<double>(height, d.shown_height + kBarAbove);
  set_color(cr, kBarYellow);
  cairo_rectangle(cr, 0, 0, width, bar_h);
  cairo_fill(cr);
  if (d.sheet_height == 0) return;
  cairo_rectangle(cr, 0, 0, width, bar_h);
  cairo_clip(cr);
  cairo_set_line_width(cr, 1);
  set_color(cr, rgb(0, 0, 0));
  auto row = [&](std::int64_t y) { return bar_row(y, d.view_mode, d.sheet_height, d.shown_height, d.scroll_y); };
  for (const std::uint32_t y : tick_positions(s, d.sheet_height, d.line_height)) {
    const double r = std::floor(row(y)) + 0.5;
    cairo_move_to(cr, 0, r);
    cairo_line_to(cr, width, r);
  }
  cairo_stroke(cr);
  const auto outline = marker_outline(marker_y(), width);
  cairo_move_to(cr, outline[0].x, row(outline[0].y));
  for (std::size_t i = 1; i < outline.size(); ++i) cairo_line_to(cr, outline[i].x, row(outline[i].y));
  cairo_close_path(cr);
  set_color(cr, kViewGrey);
  cairo_fill_preserve(cr);
  set_color(cr, rgb(0, 0, 0));
  cairo_stroke(cr);
}

void BarView::press(double y) {
  const PageState& s = engine_.screen;
  if (state_.view_mode != ViewMode::original_size && state_.scroll_y != 0) {
    state_.scroll_y = 0;
    if (scrolled_to_top_) scrolled_to_top_();
  }
  const auto shown = layout_().copy.shown_height;
  if (!press_grabs_marker(state_.view_mode, static_cast<std::int32_t>(std::lround(y)), s.paper_height, shown,
                          marker_y(), state_.scroll_y)) {
    gtk_gesture_set_state(drag_, GTK_EVENT_SEQUENCE_DENIED);
    return;
  }
  drag_line_ = s.line_count;
  dragging_ = true;
  gtk_gesture_set_state(drag_, GTK_EVENT_SEQUENCE_CLAIMED);
}

void BarView::move(double y) {
  if (!dragging_) return;
  const PageState& s = engine_.screen;
  const std::uint32_t pos = drag_position(state_.view_mode, static_cast<std::int32_t>(std::lround(y)),
                                          s.paper_height, layout_().copy.shown_height, state_.scroll_y);
  if (pos == marker_y()) return;
  drag_line_ = drag_line(pos, s.line_height);
  refresh();
}

void BarView::release() {
  if (!dragging_) return;
  // The line is taken back from where the marker was last drawn.
  const std::uint32_t line = release_line(marker_y(), engine_.screen);
  dragging_ = false;
  move_print_line(engine_, line);
  refresh();
}

}  // namespace morvane::live
