// Win32PrinterDevice: documents, the progress window and the abort procedure.
// Tests that need a real printer skip when the prefix has no default printer
// (tests/print/printer_e2e.sh makes one that prints to a file).
#include <gtest/gtest.h>

#include <string>

#include "print/win32/win32_printer.h"
#include "resource_ids.h"

namespace morvane {
namespace {

// A plain top-level window standing in for the main window.
struct Owner {
  HWND hwnd = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ~Owner() { DestroyWindow(hwnd); }
};

class RealPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    names_ = parse_device_string(system_.default_device_string());
    if (!names_.complete()) GTEST_SKIP() << "no default printer in this prefix";
    system_.set_owner(owner_.hwnd);
    auto made = system_.create_device(names_);
    ASSERT_NE(made, nullptr) << "CreateDCA failed for the default printer";
    device_.reset(static_cast<Win32PrinterDevice*>(made.release()));
  }
  Win32PrinterSystem system_;
  Owner owner_;
  PrinterNames names_;
  std::unique_ptr<Win32PrinterDevice> device_;
};

TEST_F(RealPrinter, MeasuresTheDevice) {
  DeviceCaps c = device_->caps();
  EXPECT_GT(c.dpi_x, 0u);
  EXPECT_GT(c.dpi_y, 0u);
  EXPECT_GT(c.horz_res, 0u);
  EXPECT_GE(c.phys_width, c.horz_res + c.phys_offset_x);
  EXPECT_GE(c.phys_height, c.vert_res + c.phys_offset_y);
  EXPECT_EQ(GetMapMode(device_->dc()), MM_LOENGLISH);
  // Metrics come in page units: a 24-unit font is about a quarter inch, not
  // 24 device pixels.
  FontDesc f;
  f.height = -24;
  f.set_face("Courier New");
  TextMetrics tm = device_->surface().text_metrics(f);
  EXPECT_GE(tm.height, 24);
  EXPECT_LT(tm.height, 48);
  // Whatever face the printer has for it, characters advance as in a
  // fixed-pitch face, about 0.6 of the size (a printer may list a face of
  // another name for a missing one).
  EXPECT_LE(tm.max_char_width * 10, 24 * 7);
}

TEST_F(RealPrinter, DocumentShowsProgressWindowUntilItEnds) {
  ASSERT_TRUE(device_->start_doc("PrintFile_TI994A"));
  HWND progress = device_->progress_window();
  ASSERT_NE(progress, nullptr);
  char caption[64] = {};
  GetWindowTextA(progress, caption, sizeof caption);
  EXPECT_STREQ(caption, "Morvane");
  EXPECT_EQ(GetWindow(progress, GW_OWNER), owner_.hwnd);
  // Shown, but without taking the focus.
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_NE(GetForegroundWindow(), progress);
  UINT close = GetMenuState(GetSystemMenu(progress, FALSE), SC_CLOSE, MF_BYCOMMAND);
  EXPECT_TRUE(close & MF_GRAYED);
  char button[64] = {};
  GetDlgItemTextA(progress, IDC_ABORT_PRINTING, button, sizeof button);
  EXPECT_STREQ(button, "Abort printing");

  device_->start_page();
  EXPECT_TRUE(device_->page_open());
  device_->surface().set_pen(0, 0);
  device_->surface().move_to(100, 100);
  device_->surface().line_to(200, 100);
  const std::uint8_t dots[] = {0xFF, 0x81, 0xFF};
  device_->surface().blit_columns(100, 150, dots, sizeof dots);
  device_->end_page();
  EXPECT_FALSE(device_->page_open());
  device_->end_doc();
  EXPECT_FALSE(device_->document_open());
  EXPECT_EQ(device_->progress_window(), nullptr);
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_FALSE(device_->aborted());
}

TEST_F(RealPrinter, AbortPrintingButtonCancelsTheDocument) {
  EnableWindow(owner_.hwnd, FALSE);
  ASSERT_TRUE(device_->start_doc("PrintFile_TI994A"));
  device_->start_page();
  HWND progress = device_->progress_window();
  ASSERT_NE(progress, nullptr);
  SendMessageA(progress, WM_COMMAND, MAKEWPARAM(IDC_ABORT_PRINTING, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(progress, IDC_ABORT_PRINTING)));
  EXPECT_TRUE(device_->aborted());
  EXPECT_FALSE(device_->document_open());
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_TRUE(IsWindowEnabled(owner_.hwnd));
  EXPECT_FALSE(device_->keep_printing());
  // Wine's PostScript driver refuses AbortDoc: the document is ended instead
  // and the owner hears of it, to tell the user.
  MSG told{};
  EXPECT_TRUE(PeekMessageA(&told, owner_.hwnd, kDocumentNotCancelled, kDocumentNotCancelled, PM_REMOVE));
  // The engine still ends the sheet and the document later: harmless now.
  device_->end_page();
  device_->end_doc();
  // A new document starts afresh.
  ASSERT_TRUE(device_->start_doc("PrintFile_TI994A"));
  EXPECT_FALSE(device_->aborted());
  device_->end_doc();
}

TEST(PrinterDevice, NoDeviceForUnknownPrinterOrNullDc) {
  Win32PrinterSystem system;
  PrinterNames bogus{"No Such Printer", "nosuch.drv", "nowhere"};
  EXPECT_EQ(system.create_device(bogus), nullptr);
  EXPECT_EQ(Win32PrinterDevice::adopt(nullptr), nullptr);
}

TEST(PrinterDevice, DefaultDeviceStringHasThreeFields) {
  Win32PrinterSystem system;
  std::string s = system.default_device_string();
  EXPECT_LT(s.size(), 255u);
  EXPECT_GE(std::count(s.begin(), s.end(), ','), 2) << s;
}

// A DC that is no printer refuses documents: no progress window is left.
TEST(PrinterDevice, RefusedDocumentLeavesNoProgressWindow) {
  auto device = Win32PrinterDevice::adopt(CreateCompatibleDC(nullptr));
  ASSERT_NE(device, nullptr);
  EXPECT_FALSE(device->start_doc("PrintFile_TI994A"));
  EXPECT_EQ(device->progress_window(), nullptr);
  EXPECT_FALSE(device->document_open());
  device->start_page();  // no document: nothing to start
  EXPECT_FALSE(device->page_open());
}

LRESULT CALLBACK counting_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    ++*reinterpret_cast<int*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(PrinterDevice, AbortProcedureDispatchesButLeavesQuitForTheMainLoop) {
  auto device = Win32PrinterDevice::adopt(CreateCompatibleDC(nullptr));
  ASSERT_NE(device, nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = counting_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MorvaneCounting";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "MorvaneCounting", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  int count = 0;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
  PostMessageA(hwnd, WM_APP, 0, 0);
  PostMessageA(hwnd, WM_APP, 0, 0);
  EXPECT_TRUE(device->keep_printing());
  EXPECT_EQ(count, 2);

  PostQuitMessage(7);
  EXPECT_TRUE(device->keep_printing());
  MSG msg{};
  // Only the quit message matters: the desktop may have queued others.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace morvane
