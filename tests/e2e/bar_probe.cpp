// bar-probe: looks at and drives the toolbar, the head-position bar and the
// splash screen of a running Morvane.exe, for the end-to-end checks under
// Wine. One action per run:
//
//   wait-window MS     wait until the main window exists and has its full title
//   splash             print "shown X Y W H" for the splash window, or "none"
//   watch-splash MS    wait up to MS for the splash window, then until it is
//                      gone: print "shown W H VISIBLE_MS" (the last size)
//   enabled ID...      print ID=1 for each enabled toolbar button ID, ID=0 else
//   click ID           post the button's click to the main window
//   bar-rect           print the bar's client area on the screen: x y w h
//   button-rect ID     the same for toolbar button ID
//   tooltips           print the program's tooltip windows: tool count and
//                      background colour (0xBBGGRR) of each
//   paper-rect         the same for the paper window
//   syscolors          print the 3D light, highlight, shadow, dark shadow and
//                      button face colours as RRGGBB
//   drag FROM TO       press the bar at y FROM, move to y TO, release there
//   close MS           close the main window and wait until it is gone
//
// Exit status: 0 done, 1 bad usage, 2 no such window, 3 timed out.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

constexpr int kExitUsage = 1;
constexpr int kExitNoWindow = 2;
constexpr int kExitTimeout = 3;
constexpr int kBarX = 2;

HWND main_window() { return FindWindowA("Morvane", nullptr); }

HWND child(const char* cls) {
  HWND w = main_window();
  return w ? FindWindowExA(w, nullptr, cls, nullptr) : nullptr;
}

int wait_window(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND w = main_window();
    char title[512] = {};
    if (w) GetWindowTextA(w, title, sizeof title);
    if (std::strstr(title, " Printer: ")) return 0;
    if (GetTickCount() - start > ms) return kExitTimeout;
    Sleep(20);
  }
}

int splash() {
  HWND s = FindWindowA("SPLASH_SCREEN", nullptr);
  if (!s || !IsWindowVisible(s)) {
    std::printf("none\n");
    return 0;
  }
  RECT r{};
  GetWindowRect(s, &r);
  std::printf("shown %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}

HWND visible_splash() {
  HWND s = FindWindowA("SPLASH_SCREEN", nullptr);
  return s && IsWindowVisible(s) ? s : nullptr;
}

int watch_splash(DWORD ms) {
  const DWORD start = GetTickCount();
  HWND s = nullptr;
  while (!(s = visible_splash())) {
    if (GetTickCount() - start > ms) return kExitTimeout;
    Sleep(5);
  }
  const DWORD seen = GetTickCount();
  // The window is placed at a default size first and then sized to its
  // picture: report the size it was last shown at.
  RECT r{};
  while (visible_splash() && GetWindowRect(s, &r)) {
    if (GetTickCount() - seen > 20000) return kExitTimeout;
    Sleep(5);
  }
  std::printf("shown %ld %ld %lu\n", r.right - r.left, r.bottom - r.top,
              static_cast<unsigned long>(GetTickCount() - seen));
  return 0;
}

int enabled(int argc, char** argv) {
  HWND w = main_window();
  if (!w) return kExitNoWindow;
  for (int i = 2; i < argc; ++i) {
    HWND b = GetDlgItem(w, std::atoi(argv[i]));
    if (!b) return kExitNoWindow;
    std::printf("%s%s=%d", i > 2 ? " " : "", argv[i], IsWindowEnabled(b) ? 1 : 0);
  }
  std::printf("\n");
  return 0;
}

int click(int id) {
  HWND w = main_window();
  HWND b = w ? GetDlgItem(w, id) : nullptr;
  if (!b) return kExitNoWindow;
  PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
  return 0;
}

int rect_of(HWND hwnd) {
  if (!hwnd) return kExitNoWindow;
  RECT r{};
  GetClientRect(hwnd, &r);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right, r.bottom);
  return 0;
}

// The messages a user's drag produces, with the key flags the bar reads.
int drag(int from, int to) {
  HWND bar = child("Slidebar");
  if (!bar) return kExitNoWindow;
  PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kBarX, from));
  PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(kBarX, (from + to) / 2));
  PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(kBarX, to));
  PostMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(kBarX, to));
  return 0;
}

int close(DWORD ms) {
  HWND w = main_window();
  if (!w) return kExitNoWindow;
  PostMessageA(w, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  while (main_window()) {
    if (GetTickCount() - start > ms) return kExitTimeout;
    Sleep(20);
  }
  return 0;
}

BOOL CALLBACK print_tooltip(HWND hwnd, LPARAM process) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != static_cast<DWORD>(process) || std::strcmp(cls, "tooltips_class32") != 0) return TRUE;
  const auto tools = SendMessageA(hwnd, TTM_GETTOOLCOUNT, 0, 0);
  const auto colour = SendMessageA(hwnd, TTM_GETTIPBKCOLOR, 0, 0);
  std::printf("tools=%ld background=0x%06lX\n", static_cast<long>(tools),
              static_cast<unsigned long>(colour));
  return TRUE;
}

int tooltips() {
  HWND w = main_window();
  if (!w) return kExitNoWindow;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  EnumWindows(print_tooltip, static_cast<LPARAM>(pid));
  return 0;
}

int syscolors() {
  for (const int index : {COLOR_3DLIGHT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW,
                          COLOR_BTNFACE}) {
    const COLORREF c = GetSysColor(index);
    std::printf("%02X%02X%02X%s", GetRValue(c), GetGValue(c), GetBValue(c),
                index == COLOR_BTNFACE ? "\n" : " ");
  }
  return 0;
}

int number(const char* text) { return std::atoi(text); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bar-probe ACTION [ARGS]  (see the source for actions)\n");
    return kExitUsage;
  }
  const std::string action = argv[1];
  if (action == "wait-window" && argc == 3) return wait_window(static_cast<DWORD>(number(argv[2])));
  if (action == "splash") return splash();
  if (action == "watch-splash" && argc == 3) return watch_splash(static_cast<DWORD>(number(argv[2])));
  if (action == "enabled" && argc >= 3) return enabled(argc, argv);
  if (action == "click" && argc == 3) return click(number(argv[2]));
  if (action == "bar-rect") return rect_of(child("Slidebar"));
  if (action == "button-rect" && argc == 3) {
    HWND w = main_window();
    return rect_of(w ? GetDlgItem(w, number(argv[2])) : nullptr);
  }
  if (action == "tooltips") return tooltips();
  if (action == "syscolors") return syscolors();
  if (action == "paper-rect") return rect_of(child("PaperWindow"));
  if (action == "close" && argc == 3) return close(static_cast<DWORD>(number(argv[2])));
  if (action == "drag" && argc == 4) return drag(number(argv[2]), number(argv[3]));
  std::fprintf(stderr, "bar-probe: unknown action or arguments\n");
  return kExitUsage;
}
