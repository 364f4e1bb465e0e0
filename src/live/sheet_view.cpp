#include "live/sheet_view.h"

#include <cmath>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/damage_sheet.h"
#include "live/tile_render.h"
#include "page/engine.h"
#include "view/view_geometry.h"

// The area's widget type: it only hands its drawing and its size to the view.
#define MORVANE_TYPE_SHEET_AREA (morvane_sheet_area_get_type())
G_DECLARE_FINAL_TYPE(MorvaneSheetArea, morvane_sheet_area, MORVANE, SHEET_AREA, GtkWidget)

struct _MorvaneSheetArea {
  GtkWidget parent_instance;
  morvane::live::SheetView* view;
};

G_DEFINE_TYPE(MorvaneSheetArea, morvane_sheet_area, GTK_TYPE_WIDGET)

static void morvane_sheet_area_snapshot(GtkWidget* widget, GtkSnapshot* snapshot) {
  MorvaneSheetArea* self = MORVANE_SHEET_AREA(widget);
  if (self->view != nullptr) self->view->snapshot(snapshot);
}

static void morvane_sheet_area_size_allocate(GtkWidget* widget, int, int, int) {
  MorvaneSheetArea* self = MORVANE_SHEET_AREA(widget);
  if (self->view != nullptr) self->view->allocated();
}

static void morvane_sheet_area_class_init(MorvaneSheetAreaClass* klass) {
  GtkWidgetClass* widget_class = GTK_WIDGET_CLASS(klass);
  widget_class->snapshot = morvane_sheet_area_snapshot;
  widget_class->size_allocate = morvane_sheet_area_size_allocate;
}

static void morvane_sheet_area_init(MorvaneSheetArea* self) { self->view = nullptr; }

namespace morvane::live {

namespace {

constexpr std::int32_t kTile = 128;
constexpr double kWheelLines = 3;

bool same_copy(const ViewCopy& a, const ViewCopy& b) {
  return a.src_x == b.src_x && a.src_y == b.src_y && a.src_w == b.src_w && a.src_h == b.src_h &&
         a.dst_x == b.dst_x && a.dst_y == b.dst_y && a.dst_w == b.dst_w && a.dst_h == b.dst_h &&
         a.stretch == b.stretch;
}

std::uint32_t at_least_one(std::uint32_t v) { return v > 0 ? v : 1; }

}  // namespace

bool SheetView::Geometry::operator==(const Geometry& o) const {
  return width == o.width && height == o.height && scale == o.scale &&
         layout.copy_empty == o.layout.copy_empty && same_copy(layout.copy, o.layout.copy);
}

SheetView::SheetView(ViewState& state, const Engine& engine) : state_(state), engine_(engine) {
  // Held until this view goes, which may be after the window's widgets.
  area_ = GTK_WIDGET(g_object_ref_sink(g_object_new(MORVANE_TYPE_SHEET_AREA, nullptr)));
  MORVANE_SHEET_AREA(area_)->view = this;
  gtk_widget_set_hexpand(area_, TRUE);
  gtk_widget_set_vexpand(area_, TRUE);
  gtk_widget_set_overflow(area_, GTK_OVERFLOW_HIDDEN);
  gtk_widget_set_focusable(area_, TRUE);

  hadj_ = GTK_ADJUSTMENT(g_object_ref_sink(gtk_adjustment_new(0, 0, 1, 1, 1, 1)));
  vadj_ = GTK_ADJUSTMENT(g_object_ref_sink(gtk_adjustment_new(0, 0, 1, 1, 1, 1)));
  hbar_ = gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL, hadj_);
  vbar_ = gtk_scrollbar_new(GTK_ORIENTATION_VERTICAL, vadj_);
  auto moved = +[](GtkAdjustment*, gpointer self) { static_cast<SheetView*>(self)->scroll_bar_moved(); };
  g_signal_connect(hadj_, "value-changed", G_CALLBACK(moved), this);
  g_signal_connect(vadj_, "value-changed", G_CALLBACK(moved), this);

  GtkEventController* wheel = gtk_event_controller_scroll_new(GTK_EVENT_CONTROLLER_SCROLL_BOTH_AXES);
  auto on_wheel = +[](GtkEventControllerScroll*, double dx, double dy, gpointer self) -> gboolean {
    return static_cast<SheetView*>(self)->scrolled(dx, dy);
  };
  g_signal_connect(wheel, "scroll", G_CALLBACK(on_wheel), this);
  gtk_widget_add_controller(area_, wheel);

  grid_ = gtk_grid_new();
  gtk_grid_attach(GTK_GRID(grid_), area_, 0, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid_), vbar_, 1, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid_), hbar_, 0, 1, 1, 1);
  view_changed();
}

SheetView::~SheetView() {
  MORVANE_SHEET_AREA(area_)->view = nullptr;
  g_signal_handlers_disconnect_by_data(hadj_, this);
  g_signal_handlers_disconnect_by_data(vadj_, this);
  drop_tiles();
  g_object_unref(hadj_);
  g_object_unref(vadj_);
  g_object_unref(area_);
}

void SheetView::drop_tiles() {
  for (Tile& t : tiles_) {
    if (t.texture != nullptr) g_object_unref(t.texture);
  }
  tiles_.clear();
}

SheetLayout SheetView::layout() const {
  const auto cw = static_cast<std::uint32_t>(std::max(gtk_widget_get_width(area_), 0));
  const auto ch = static_cast<std::uint32_t>(std::max(gtk_widget_get_height(area_), 0));
  const PageState& s = engine_.screen;
  const ViewCopy v = view_copy(state_.view_mode, cw, ch, s.paper_width, s.paper_height,
                               state_.scroll_x, state_.scroll_y);
  return layout_sheet(v, cw, ch, s.paper_width, s.paper_height);
}

SheetView::Geometry SheetView::current_geometry() const {
  Geometry g;
  g.width = gtk_widget_get_width(area_);
  g.height = gtk_widget_get_height(area_);
  g.scale = std::max(gtk_widget_get_scale_factor(area_), 1);
  g.layout = layout();
  return g;
}

void SheetView::rebuild(const Geometry& g) {
  drop_tiles();
  geometry_ = g;
  grid_tiles_ = tile_grid(g.width, g.height, kTile);
  tiles_.resize(static_cast<std::size_t>(grid_tiles_.count()));
}

void SheetView::show(DamageSheet& changes, CairoSheet& image) {
  const SheetArea damage = changes.take_damage();
  if (&image != sheet_) {
    sheet_ = &image;
    for (Tile& t : tiles_) t.stale = true;
    update_scroll_bars();
    gtk_widget_queue_draw(area_);
    return;
  }
  const ViewRect changed = view_damage(damage, geometry_.layout);
  const std::vector<std::int32_t> reached = tiles_meeting(grid_tiles_, changed);
  for (const std::int32_t i : reached) tiles_[static_cast<std::size_t>(i)].stale = true;
  if (!reached.empty()) gtk_widget_queue_draw(area_);
}

void SheetView::forget_sheet() { sheet_ = nullptr; }

void SheetView::render(Tile& tile, const ViewRect& r) {
  const int scale = geometry_.scale;
  const int w = (r.right - r.left) * scale, h = (r.bottom - r.top) * scale;
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, w);
  const gsize size = static_cast<gsize>(stride) * static_cast<gsize>(h);
  auto* data = static_cast<unsigned char*>(g_malloc(size));
  cairo_surface_t* target = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, w, h, stride);
  render_tile(sheet_ != nullptr ? sheet_->image() : nullptr, geometry_.layout, r, scale, target);
  cairo_surface_destroy(target);
  // The texture takes the pixels over; cairo's ARGB32 is GDK's default layout.
  GBytes* bytes = g_bytes_new_take(data, size);
  GdkTexture* texture = gdk_memory_texture_new(w, h, GDK_MEMORY_DEFAULT, bytes, static_cast<gsize>(stride));
  g_bytes_unref(bytes);
  if (tile.texture != nullptr) g_object_unref(tile.texture);
  tile.texture = texture;
  tile.stale = false;
}

void SheetView::snapshot(GtkSnapshot* snapshot) {
  const Geometry g = current_geometry();
  if (!(g == geometry_) || tiles_.size() != static_cast<std::size_t>(grid_tiles_.count())) rebuild(g);
  for (std::int32_t i = 0; i < grid_tiles_.count(); ++i) {
    Tile& tile = tiles_[static_cast<std::size_t>(i)];
    const ViewRect r = tile_rect(grid_tiles_, i);
    if (r.empty()) continue;
    // Tiles kept from the last frame are the same textures: the renderer
    // repaints only the ones made anew.
    if (tile.stale || tile.texture == nullptr) render(tile, r);
    const graphene_rect_t bounds = GRAPHENE_RECT_INIT(static_cast<float>(r.left), static_cast<float>(r.top),
                                                      static_cast<float>(r.right - r.left),
                                                      static_cast<float>(r.bottom - r.top));
    gtk_snapshot_append_texture(snapshot, tile.texture, &bounds);
  }
}

void SheetView::allocated() {
  update_scroll_bars();
  if (on_layout_) on_layout_();
}

void SheetView::view_changed() {
  const bool original = state_.view_mode == ViewMode::original_size;
  gtk_widget_set_visible(hbar_, original);
  gtk_widget_set_visible(vbar_, original);
  update_scroll_bars();
  gtk_widget_queue_draw(area_);
  if (on_layout_) on_layout_();
}

// The bars of the original-size view: the sheet's extent seen through the
// area, stepping by a line or a character.
void SheetView::update_scroll_bars() {
  if (state_.view_mode != ViewMode::original_size) return;
  const PageState& s = engine_.screen;
  const double cw = std::max(gtk_widget_get_width(area_), 1), ch = std::max(gtk_widget_get_height(area_), 1);
  configuring_ = true;
  gtk_adjustment_configure(hadj_, state_.scroll_x, 0, std::max<double>(s.paper_width, cw),
                           at_least_one(s.char_width), cw, cw);
  gtk_adjustment_configure(vadj_, state_.scroll_y, 0, std::max<double>(s.paper_height, ch),
                           at_least_one(s.line_height), ch, ch);
  configuring_ = false;
  scroll_bar_moved();
}

void SheetView::scroll_bar_moved() {
  if (configuring_ || state_.view_mode != ViewMode::original_size) return;
  const auto x = static_cast<std::uint32_t>(std::lround(gtk_adjustment_get_value(hadj_)));
  const auto y = static_cast<std::uint32_t>(std::lround(gtk_adjustment_get_value(vadj_)));
  if (x == state_.scroll_x && y == state_.scroll_y) return;
  state_.scroll_x = x;
  state_.scroll_y = y;
  gtk_widget_queue_draw(area_);
  if (on_layout_) on_layout_();
}

bool SheetView::scrolled(double dx, double dy) {
  if (state_.view_mode != ViewMode::original_size) return false;
  const PageState& s = engine_.screen;
  gtk_adjustment_set_value(hadj_, gtk_adjustment_get_value(hadj_) + dx * kWheelLines * at_least_one(s.char_width));
  gtk_adjustment_set_value(vadj_, gtk_adjustment_get_value(vadj_) + dy * kWheelLines * at_least_one(s.line_height));
  return true;
}

}  // namespace morvane::live
