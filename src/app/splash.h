// The splash screen: the program's picture in a thin border, centred and
// above all windows at start-up, closed by the input poll a little more than
// three seconds later.
#pragma once

#include <windows.h>

namespace morvane {

struct App;

inline constexpr const char* kSplashClass = "SPLASH_SCREEN";

struct SplashState {
  HWND window = nullptr;
  HBITMAP bitmap = nullptr;
  int width = 300;  // the picture's size once it is known
  int height = 200;
  DWORD start = 0;
  HINSTANCE instance = nullptr;  // the class is unregistered for it
};

void show_splash_screen(App& app, HWND main_window);
// Closes the splash screen once it has been shown long enough.
void check_splash_timeout(App& app);

}  // namespace morvane
