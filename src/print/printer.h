// Printer interface: what the page engine needs of a printer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/surface.h"

namespace morvane {

// The eight device capabilities, in device pixels and dots per inch.
struct DeviceCaps {
  std::uint32_t horz_res = 0;       // HORZRES
  std::uint32_t vert_res = 0;       // VERTRES
  std::uint32_t dpi_x = 0;          // LOGPIXELSX
  std::uint32_t dpi_y = 0;          // LOGPIXELSY
  std::uint32_t phys_width = 0;     // PHYSICALWIDTH
  std::uint32_t phys_height = 0;    // PHYSICALHEIGHT
  std::uint32_t phys_offset_x = 0;  // PHYSICALOFFSETX
  std::uint32_t phys_offset_y = 0;  // PHYSICALOFFSETY
};

// The chosen printer's names, as cut from "device,driver,port".
struct PrinterNames {
  std::string device;
  std::string driver;
  std::string port;
  bool complete() const { return !device.empty() && !driver.empty() && !port.empty(); }
};

// The names in a profile string "device,driver,port", cut the way the
// platform's tokenizer does: at most 255 characters, empty tokens skipped.
// Incomplete when fewer than three tokens remain.
PrinterNames parse_device_string(std::string text);

// A printer's device context: measured, drawn on in page units, and driven
// through documents and sheets. Drawing goes to surface() between start_page
// and end_page.
class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;
  virtual DeviceCaps caps() = 0;
  virtual Surface& surface() = 0;
  // Opens a document; false when the printer refuses it. The Windows backend
  // also shows the progress window and installs the abort procedure here.
  virtual bool start_doc(const std::string& name) = 0;
  virtual void start_page() = 0;
  // Ends the open sheet. True once the sheet is printed or stored for good;
  // false when it could not be (failure() says why) or no sheet was open.
  virtual bool end_page() = 0;
  virtual void end_doc() = 0;
  virtual void abort_doc() = 0;
  // True once the user has cancelled the open document.
  virtual bool aborted() const { return false; }
  // Why the last sheet could not be printed or stored, for the user: the
  // file or printer and the system's reason. Empty when nothing failed.
  virtual std::string failure() const { return {}; }
};

// Where printers come from: the system's default printer and device contexts.
class PrinterSystem {
 public:
  virtual ~PrinterSystem() = default;
  // The profile string "windows"/"device" of the system ("name,driver,port"),
  // or the default ",,," when there is none.
  virtual std::string default_device_string() = 0;
  // A device context for the named printer, or null when it cannot be made.
  virtual std::unique_ptr<PrinterDevice> create_device(const PrinterNames& names) = 0;
};

}  // namespace morvane
