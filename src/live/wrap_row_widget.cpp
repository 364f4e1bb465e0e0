#include "live/wrap_row_widget.h"

#include <algorithm>
#include <vector>

#include "live/row_wrap.h"

#define MORVANE_TYPE_WRAP_ROW (morvane_wrap_row_get_type())
G_DECLARE_FINAL_TYPE(MorvaneWrapRow, morvane_wrap_row, MORVANE, WRAP_ROW, GtkWidget)

struct _MorvaneWrapRow {
  GtkWidget parent_instance;
  int gap_x;
  int gap_y;
};

G_DEFINE_TYPE(MorvaneWrapRow, morvane_wrap_row, GTK_TYPE_WIDGET)

namespace {

// The children at their natural size.
std::vector<morvane::live::RowItem> items_of(GtkWidget* row) {
  std::vector<morvane::live::RowItem> items;
  for (GtkWidget* c = gtk_widget_get_first_child(row); c != nullptr; c = gtk_widget_get_next_sibling(c)) {
    if (!gtk_widget_should_layout(c)) continue;
    int w = 0, h = 0;
    gtk_widget_measure(c, GTK_ORIENTATION_HORIZONTAL, -1, nullptr, &w, nullptr, nullptr);
    gtk_widget_measure(c, GTK_ORIENTATION_VERTICAL, -1, nullptr, &h, nullptr, nullptr);
    items.push_back({w, h});
  }
  return items;
}

int widest_minimum(GtkWidget* row) {
  int most = 0;
  for (GtkWidget* c = gtk_widget_get_first_child(row); c != nullptr; c = gtk_widget_get_next_sibling(c)) {
    if (!gtk_widget_should_layout(c)) continue;
    int w = 0;
    gtk_widget_measure(c, GTK_ORIENTATION_HORIZONTAL, -1, &w, nullptr, nullptr, nullptr);
    most = std::max(most, w);
  }
  return most;
}

}  // namespace

static void morvane_wrap_row_measure(GtkWidget* widget, GtkOrientation orientation, int for_size, int* minimum,
                                     int* natural, int* minimum_baseline, int* natural_baseline) {
  MorvaneWrapRow* self = MORVANE_WRAP_ROW(widget);
  const auto items = items_of(widget);
  if (orientation == GTK_ORIENTATION_HORIZONTAL) {
    *minimum = widest_minimum(widget);
    *natural = std::max(*minimum, morvane::live::row_width(items, self->gap_x));
  } else {
    const int width = for_size < 0 ? morvane::live::row_width(items, self->gap_x) : for_size;
    *minimum = *natural = morvane::live::wrap_row(items, width, self->gap_x, self->gap_y).height;
  }
  *minimum_baseline = *natural_baseline = -1;
}

static void morvane_wrap_row_size_allocate(GtkWidget* widget, int width, int, int) {
  MorvaneWrapRow* self = MORVANE_WRAP_ROW(widget);
  const auto layout = morvane::live::wrap_row(items_of(widget), width, self->gap_x, self->gap_y);
  std::size_t i = 0;
  for (GtkWidget* c = gtk_widget_get_first_child(widget); c != nullptr; c = gtk_widget_get_next_sibling(c)) {
    if (!gtk_widget_should_layout(c)) continue;
    const morvane::live::RowPlace& p = layout.places[i++];
    const GtkAllocation a{p.x, p.y, p.width, p.height};
    gtk_widget_size_allocate(c, &a, -1);
  }
}

static GtkSizeRequestMode morvane_wrap_row_get_request_mode(GtkWidget*) {
  return GTK_SIZE_REQUEST_HEIGHT_FOR_WIDTH;
}

static void morvane_wrap_row_dispose(GObject* object) {
  GtkWidget* widget = GTK_WIDGET(object);
  while (GtkWidget* child = gtk_widget_get_first_child(widget)) gtk_widget_unparent(child);
  G_OBJECT_CLASS(morvane_wrap_row_parent_class)->dispose(object);
}

static void morvane_wrap_row_class_init(MorvaneWrapRowClass* klass) {
  G_OBJECT_CLASS(klass)->dispose = morvane_wrap_row_dispose;
  GtkWidgetClass* widget_class = GTK_WIDGET_CLASS(klass);
  widget_class->measure = morvane_wrap_row_measure;
  widget_class->size_allocate = morvane_wrap_row_size_allocate;
  widget_class->get_request_mode = morvane_wrap_row_get_request_mode;
}

static void morvane_wrap_row_init(MorvaneWrapRow* self) {
  self->gap_x = 0;
  self->gap_y = 0;
}

namespace morvane::live {

GtkWidget* wrap_row_new(int gap_x, int gap_y) {
  auto* row = static_cast<MorvaneWrapRow*>(g_object_new(MORVANE_TYPE_WRAP_ROW, nullptr));
  row->gap_x = gap_x;
  row->gap_y = gap_y;
  return GTK_WIDGET(row);
}

void wrap_row_append(GtkWidget* row, GtkWidget* child) { gtk_widget_set_parent(child, row); }

}  // namespace morvane::live
