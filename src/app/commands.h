// The main window's commands from the menu and the toolbar, the menu marks
// and the title.
#pragma once

#include <windows.h>

namespace morvane {

struct App;

void dispatch_command(App& app, HWND hwnd, WPARAM wparam, LPARAM lparam);
void update_menu_marks(App& app, HWND hwnd);
void update_title(App& app, HWND hwnd);

}  // namespace morvane
