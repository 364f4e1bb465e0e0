// The Windows printer: the default printer from the profile, printer device
// contexts, documents with the progress window and the abort procedure.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gfx/gdi/gdi_surface.h"
#include "print/printer.h"

namespace morvane {

// Posted to the owner when "Abort printing" could not cancel the document:
// the driver refused, so the pages already sent will be printed. The next
// page starts a new document.
inline constexpr UINT kDocumentNotCancelled = WM_APP + 1;

class Win32PrinterDevice : public PrinterDevice {
 public:
  // Takes over a printer DC (from CreateDCA or the printer selection dialog)
  // and deletes it at the end. Null for a null DC.
  static std::unique_ptr<Win32PrinterDevice> adopt(HDC dc);
  ~Win32PrinterDevice() override;
  Win32PrinterDevice(const Win32PrinterDevice&) = delete;
  Win32PrinterDevice& operator=(const Win32PrinterDevice&) = delete;

  // The window that owns the progress window, is enabled again on abort and
  // hears of a cancel the driver refused.
  void set_owner(HWND owner) { owner_ = owner; }

  DeviceCaps caps() override;
  Surface& surface() override { return *surface_; }
  bool start_doc(const std::string& name) override;
  void start_page() override;
  bool end_page() override;
  std::string failure() const override { return failure_; }
  void end_doc() override;
  void abort_doc() override;
  bool aborted() const override { return aborted_; }

  HDC dc() const { return dc_; }
  HWND progress_window() const { return progress_; }
  bool document_open() const { return doc_open_; }
  bool page_open() const { return page_open_; }

  // "Abort printing": cancels the document and removes the progress window.
  void abort_by_user();
  // One round of the abort procedure: dispatches waiting messages while the
  // document is not cancelled; false once it is.
  bool keep_printing();

 private:
  explicit Win32PrinterDevice(HDC dc);
  void prepare_dc();
  // Cancels the open document; false when the driver could only end it.
  bool cancel_document();
  void install_abort_procedure();
  void show_progress();
  void close_progress();

  HDC dc_;
  std::unique_ptr<GdiSurface> surface_;
  HWND owner_ = nullptr;
  HWND progress_ = nullptr;
  bool doc_open_ = false;
  bool page_open_ = false;
  bool aborted_ = false;
  std::string failure_;
};

class Win32PrinterSystem : public PrinterSystem {
 public:
  std::string default_device_string() override;
  std::unique_ptr<PrinterDevice> create_device(const PrinterNames& names) override;
  // Owner window handed to every device made from now on.
  void set_owner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace morvane
