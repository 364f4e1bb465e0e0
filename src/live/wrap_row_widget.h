// A row of widgets that wraps onto more lines when the window is narrow
// (the places come from wrap_row()).
#pragma once

#include <gtk/gtk.h>

namespace morvane::live {

GtkWidget* wrap_row_new(int gap_x, int gap_y);
void wrap_row_append(GtkWidget* row, GtkWidget* child);

}  // namespace morvane::live
