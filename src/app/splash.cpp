#include "app/splash.h"

#include "app/app.h"
#include "app/splash_timing.h"
#include "app/toolbar_look.h"

namespace morvane {

namespace {

// Paints the picture, and always validates: a paint request left pending
// would come back at once and hold back the timer ticks that close the window.
void on_paint(const SplashState& s, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc && s.bitmap) {
    HDC mem = CreateCompatibleDC(dc);
    if (mem) {
      HGDIOBJ old = SelectObject(mem, s.bitmap);
      BitBlt(dc, 0, 0, s.width, s.height, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK splash_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) attach_app(hwnd, lparam);
  App* app = app_of(hwnd);
  if (msg == WM_PAINT && app) {
    on_paint(app->splash, hwnd);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

ATOM register_splash_class(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = splash_procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = kSplashClass;
  return RegisterClassA(&wc);
}

int centred(int screen, int size) { return (screen - size) / 2; }

// The picture's width and height from its header, or false when unknown.
bool picture_size(HWND main_window, HBITMAP bitmap, int& width, int& height) {
  HDC dc = GetDC(main_window);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  const int ok = dc ? GetDIBits(dc, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS) : 0;
  if (dc) ReleaseDC(main_window, dc);
  if (ok == 0 || info.bmiHeader.biWidth <= 0 || info.bmiHeader.biHeight == 0) return false;
  width = info.bmiHeader.biWidth;
  height = info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
  return true;
}

}  // namespace

void show_splash_screen(App& app, HWND main_window) {
  SplashState& s = app.splash;
  if (register_splash_class(app.instance) == 0) return;
  s.instance = app.instance;
  const int cx = GetSystemMetrics(SM_CXFULLSCREEN);
  const int cy = GetSystemMetrics(SM_CYFULLSCREEN);
  s.window = CreateWindowExA(WS_EX_TOPMOST, kSplashClass, "", WS_POPUP | WS_VISIBLE | WS_BORDER,
                             centred(cx, s.width), centred(cy, s.height), s.width, s.height,
                             main_window, nullptr, app.instance, &app);
  s.bitmap = LoadBitmapA(app.instance, MAKEINTRESOURCEA(kSplashPicture));
  if (s.bitmap) picture_size(main_window, s.bitmap, s.width, s.height);
  if (s.window)
    MoveWindow(s.window, centred(cx, s.width), centred(cy, s.height), s.width, s.height, TRUE);
  s.start = GetTickCount();
}

void check_splash_timeout(App& app) {
  SplashState& s = app.splash;
  if (!s.window || !splash_expired(GetTickCount(), s.start)) return;
  DestroyWindow(s.window);
  UnregisterClassA(kSplashClass, s.instance);
  if (s.bitmap) DeleteObject(s.bitmap);
  s.bitmap = nullptr;
  s.window = nullptr;
}

}  // namespace morvane
