// e2e-driver: drives a running Morvane.exe from outside, as a user would,
// for the end-to-end tests under Wine. One action per run:
//
//   wait-window MS          wait until the main window exists and has its title
//   title                   print the main window's title
//   pid                     print the process id of the main window's program
//   command ID              post a menu command
//   button ID               post a toolbar button click
//   paper-rect              print the paper window's client area on the screen: x y w h
//   close MS                post WM_CLOSE and wait until the window is gone
//   boxes                   print the text of every message box that is open
//   close-boxes             close every open message box (as its OK button)
//   keepalive               keep a hidden window until stop-keepalive (Wine's
//                           desktop process stays up between programs)
//   stop-keepalive
//
// Exit status: 0 done, 1 bad usage, 2 no main window, 3 timed out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kMainClass = "Morvane";
constexpr const char* kKeepAliveClass = "MorvaneE2EKeepAlive";
constexpr int kExitUsage = 1;
constexpr int kExitNoWindow = 2;
constexpr int kExitTimeout = 3;

HWND main_window() { return FindWindowA(kMainClass, nullptr); }

std::string title_of(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// Polls until pred() holds or ms milliseconds have passed.
template <typename Pred>
bool wait_for(DWORD ms, Pred pred) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
}

int wait_window(DWORD ms) {
  // Start-up sets the full title ("... Printer: ...") once the window is up.
  const bool ok = wait_for(ms, [] {
    HWND w = main_window();
    return w && title_of(w).find(" Printer: ") != std::string::npos;
  });
  if (!ok) {
    std::fprintf(stderr, "e2e-driver: no Morvane window after %lu ms\n", static_cast<unsigned long>(ms));
    return kExitTimeout;
  }
  std::printf("%s\n", title_of(main_window()).c_str());
  return 0;
}

int post_command(int id, bool from_button) {
  HWND w = main_window();
  if (!w) return kExitNoWindow;
  // A button's notification carries its control handle; any non-null one will do.
  const LPARAM control = from_button ? reinterpret_cast<LPARAM>(w) : 0;
  const WPARAM wparam = MAKEWPARAM(id, from_button ? BN_CLICKED : 0);
  return PostMessageA(w, WM_COMMAND, wparam, control) ? 0 : kExitNoWindow;
}

int paper_rect() {
  HWND w = main_window();
  if (!w) return kExitNoWindow;
  HWND paper = FindWindowExA(w, nullptr, "PaperWindow", nullptr);
  if (!paper) return kExitNoWindow;
  RECT r{};
  GetClientRect(paper, &r);
  POINT origin{0, 0};
  ClientToScreen(paper, &origin);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right - r.left, r.bottom - r.top);
  return 0;
}

int close_window(DWORD ms) {
  HWND w = main_window();
  if (!w) return kExitNoWindow;
  PostMessageA(w, WM_CLOSE, 0, 0);
  if (!wait_for(ms, [] { return main_window() == nullptr; })) {
    std::fprintf(stderr, "e2e-driver: the window did not close within %lu ms\n",
                 static_cast<unsigned long>(ms));
    return kExitTimeout;
  }
  return 0;
}

BOOL CALLBACK print_box(HWND hwnd, LPARAM) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  std::printf("[%s]", title_of(hwnd).c_str());
  for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string text = title_of(c);
    if (!text.empty()) std::printf(" %s", text.c_str());
  }
  std::printf("\n");
  return TRUE;
}

BOOL CALLBACK close_box(HWND hwnd, LPARAM) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd)) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return TRUE;
}

LRESULT CALLBACK keepalive_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

int keepalive() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = keepalive_procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kKeepAliveClass;
  if (!RegisterClassA(&wc)) return kExitNoWindow;
  HWND w = CreateWindowExA(0, kKeepAliveClass, "e2e keepalive", WS_OVERLAPPED, 0, 0, 10, 10,
                           nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return kExitNoWindow;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

int stop_keepalive() {
  HWND w = FindWindowA(kKeepAliveClass, nullptr);
  if (!w) return kExitNoWindow;
  PostMessageA(w, WM_CLOSE, 0, 0);
  return 0;
}

DWORD ms_arg(int argc, char** argv, DWORD fallback) {
  return argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: e2e-driver ACTION [ARG]  (see the source for actions)\n");
    return kExitUsage;
  }
  const std::string action = argv[1];
  if (action == "wait-window") return wait_window(ms_arg(argc, argv, 20000));
  if (action == "title") {
    HWND w = main_window();
    if (!w) return kExitNoWindow;
    std::printf("%s\n", title_of(w).c_str());
    return 0;
  }
  if (action == "pid") {
    HWND w = main_window();
    DWORD pid = 0;
    if (!w || !GetWindowThreadProcessId(w, &pid)) return kExitNoWindow;
    std::printf("%lu\n", static_cast<unsigned long>(pid));
    return 0;
  }
  if ((action == "command" || action == "button") && argc == 3)
    return post_command(std::atoi(argv[2]), action == "button");
  if (action == "paper-rect") return paper_rect();
  if (action == "close") return close_window(ms_arg(argc, argv, 20000));
  if (action == "boxes") {
    EnumWindows(print_box, 0);
    return 0;
  }
  if (action == "close-boxes") {
    EnumWindows(close_box, 0);
    return 0;
  }
  if (action == "keepalive") return keepalive();
  if (action == "stop-keepalive") return stop_keepalive();
  std::fprintf(stderr, "e2e-driver: unknown action %s\n", action.c_str());
  return kExitUsage;
}
