// What the desktop knows the live window by: the program's names, its
// application id and window class, its icon, and its About box.
#pragma once

#include <gtk/gtk.h>

namespace morvane::live {

// The window's application id; its icon and its desktop entry have this name.
inline constexpr const char* kAppId = "org.morvane.Morvane";

// Before GTK starts: the program's names, and software drawing (see
// software_drawing()).
void prepare_toolkit();
// Once GTK has started, before the window is made: the class windows are
// grouped by, and the icon from the program's own files, so that it shows
// whether or not the icon theme has it installed.
void prepare_display();
// The window's application id and icon.
void identify(GtkWindow* window);
// The About box: name, version, what the program is, the licence.
void show_about(GtkWindow* parent);

}  // namespace morvane::live
