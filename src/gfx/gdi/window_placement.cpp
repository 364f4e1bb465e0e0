#include "gfx/gdi/window_placement.h"

#include "gfx/placement.h"

namespace morvane {

namespace {

ScreenBox box_of(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

void centre_window(HWND window, HWND over) {
  if (!window) return;
  if (!over) over = GetWindow(window, GW_OWNER);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  HMONITOR m = MonitorFromWindow(over ? over : window, MONITOR_DEFAULTTONEAREST);
  if (!m || !GetMonitorInfoA(m, &monitor)) return;
  const ScreenBox work = box_of(monitor.rcWork);
  RECT target = monitor.rcWork;
  if (over && !IsIconic(over)) GetWindowRect(over, &target);
  RECT own{};
  GetWindowRect(window, &own);
  const ScreenPoint at =
      centred_origin(box_of(target), own.right - own.left, own.bottom - own.top, work);
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace morvane
