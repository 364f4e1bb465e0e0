// Win32PrinterSystem and the document and sheet steps of Win32PrinterDevice.
#include "print/win32/win32_printer.h"

namespace morvane {

std::unique_ptr<Win32PrinterDevice> Win32PrinterDevice::adopt(HDC dc) {
  if (!dc) return nullptr;
  return std::unique_ptr<Win32PrinterDevice>(new Win32PrinterDevice(dc));
}

DeviceCaps Win32PrinterDevice::caps() {
  auto cap = [this](int index) {
    int value = GetDeviceCaps(dc_, index);
    return value > 0 ? static_cast<std::uint32_t>(value) : 0u;
  };
  DeviceCaps c;
  c.horz_res = cap(HORZRES);
  c.vert_res = cap(VERTRES);
  c.dpi_x = cap(LOGPIXELSX);
  c.dpi_y = cap(LOGPIXELSY);
  c.phys_width = cap(PHYSICALWIDTH);
  c.phys_height = cap(PHYSICALHEIGHT);
  c.phys_offset_x = cap(PHYSICALOFFSETX);
  c.phys_offset_y = cap(PHYSICALOFFSETY);
  return c;
}

void Win32PrinterDevice::prepare_dc() {
  // The engine draws in hundredths of an inch; the surface negates y for it.
  SetMapMode(dc_, MM_LOENGLISH);
  SetBkMode(dc_, TRANSPARENT);
  // A printer's origin is the corner of its printable area, but page units
  // count from the corner of the sheet (the margins are the unprintable
  // strips): moving the origin out to the sheet's corner puts every dot on
  // paper where it stands on the screen sheet.
  SetViewportOrgEx(dc_, -GetDeviceCaps(dc_, PHYSICALOFFSETX), -GetDeviceCaps(dc_, PHYSICALOFFSETY),
                   nullptr);
}

bool Win32PrinterDevice::start_doc(const std::string& name) {
  if (doc_open_) end_doc();
  aborted_ = false;
  page_open_ = false;
  prepare_dc();
  show_progress();
  install_abort_procedure();
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = name.c_str();
  // StartDoc gives a job number above zero; zero and below are failures.
  if (StartDocA(dc_, &info) <= 0) {
    close_progress();
    return false;
  }
  doc_open_ = true;
  return true;
}

void Win32PrinterDevice::start_page() {
  if (!doc_open_ || page_open_) return;
  StartPage(dc_);
  page_open_ = true;
  // Some drivers reset the DC's attributes at every sheet.
  prepare_dc();
}

bool Win32PrinterDevice::end_page() {
  if (!page_open_) return false;
  page_open_ = false;
  if (!doc_open_) return false;
  // EndPage hands the sheet to the spooler; zero and below are failures.
  if (EndPage(dc_) > 0) return true;
  failure_ = "the printer refused the sheet (error " + std::to_string(GetLastError()) + ")";
  return false;
}

void Win32PrinterDevice::end_doc() {
  end_page();
  if (doc_open_) EndDoc(dc_);
  doc_open_ = false;
  close_progress();
}

void Win32PrinterDevice::abort_doc() { cancel_document(); }

bool Win32PrinterDevice::cancel_document() {
  bool cancelled = true;
  // A driver that cannot cancel (Wine's PostScript driver refuses AbortDoc)
  // would keep the job open and refuse every later document: end it instead.
  if (doc_open_ && AbortDoc(dc_) <= 0) {
    EndDoc(dc_);
    cancelled = false;
  }
  doc_open_ = false;
  page_open_ = false;
  close_progress();
  return cancelled;
}

void Win32PrinterDevice::abort_by_user() {
  aborted_ = true;
  const bool cancelled = cancel_document();
  if (!owner_) return;
  EnableWindow(owner_, TRUE);
  // Told once a message loop runs again, not from inside the printing call
  // that dispatched the button.
  if (!cancelled) PostMessageA(owner_, kDocumentNotCancelled, 0, 0);
}

std::string Win32PrinterSystem::default_device_string() {
  char buffer[256] = {};
  GetProfileStringA("windows", "device", ",,,", buffer, 255);
  return buffer;
}

std::unique_ptr<PrinterDevice> Win32PrinterSystem::create_device(const PrinterNames& names) {
  HDC dc = CreateDCA(names.driver.c_str(), names.device.c_str(), names.port.c_str(), nullptr);
  auto device = Win32PrinterDevice::adopt(dc);
  if (device) device->set_owner(owner_);
  return device;
}

}  // namespace morvane
