// Opening windows centred on the window they belong to.
#pragma once

#include <windows.h>

namespace morvane {

// Centres `window` on `over` (on its owner when `over` is null), kept on the
// work area of the monitor that shows `over`. Without either, or while `over`
// is minimized, it is centred on that work area.
void centre_window(HWND window, HWND over = nullptr);

}  // namespace morvane
