// The progress window and the abort procedure of a Win32PrinterDevice, and
// the device's life as the owner of its DC.
#include <algorithm>
#include <utility>
#include <vector>

#include "gfx/gdi/window_placement.h"
#include "print/win32/win32_printer.h"
#include "resource_ids.h"

namespace morvane {

namespace {

// The abort procedure is given only the DC: find the device that owns it.
std::vector<std::pair<HDC, Win32PrinterDevice*>>& devices() {
  static std::vector<std::pair<HDC, Win32PrinterDevice*>> list;
  return list;
}

Win32PrinterDevice* device_of(HDC dc) {
  for (auto& entry : devices()) {
    if (entry.first == dc) return entry.second;
  }
  return nullptr;
}

BOOL CALLBACK abort_procedure(HDC dc, int /*error*/) {
  Win32PrinterDevice* device = device_of(dc);
  return device && device->keep_printing() ? TRUE : FALSE;
}

INT_PTR CALLBACK progress_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(window, DWLP_USER, lparam);
      EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
      centre_window(window);
      return FALSE;  // no focus: the window must not take it from the main window
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_ABORT_PRINTING) {
        auto* device = reinterpret_cast<Win32PrinterDevice*>(GetWindowLongPtrA(window, DWLP_USER));
        if (device) device->abort_by_user();
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

Win32PrinterDevice::Win32PrinterDevice(HDC dc) : dc_(dc), surface_(GdiSurface::on_printer(dc)) {
  devices().emplace_back(dc, this);
  prepare_dc();
}

void Win32PrinterDevice::install_abort_procedure() { SetAbortProc(dc_, abort_procedure); }

Win32PrinterDevice::~Win32PrinterDevice() {
  // Sheets already drawn are not thrown away: a document still open is ended.
  if (doc_open_) end_doc();
  close_progress();
  auto& list = devices();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [this](const auto& entry) { return entry.second == this; }),
             list.end());
  surface_.reset();  // gives the DC its own pen and font back first
  DeleteDC(dc_);
}

bool Win32PrinterDevice::keep_printing() {
  MSG msg;
  while (!aborted_ && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    // The main loop must see a quit request; taking it here would lose it.
    if (msg.message == WM_QUIT) break;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return !aborted_;
}

void Win32PrinterDevice::show_progress() {
  close_progress();
  progress_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), owner_,
                                 progress_procedure, reinterpret_cast<LPARAM>(this));
  // Above its owner, but every printed page must not take the focus from
  // whatever the user is doing.
  if (progress_) ShowWindow(progress_, SW_SHOWNOACTIVATE);
}

void Win32PrinterDevice::close_progress() {
  if (!progress_) return;
  HWND window = progress_;
  progress_ = nullptr;
  DestroyWindow(window);
}

}  // namespace morvane
