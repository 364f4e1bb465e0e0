// The printer and its print documents: which printer, its device context,
// the document and sheet that are open, and the user's printing choices.
#pragma once

#include <memory>
#include <string>

#include "print/printer.h"

namespace morvane {

// What end_printer_page ends: the sheet, or the sheet and the document.
enum class SheetEnd { sheet = 1, sheet_and_document = 3 };

struct PrintJob {
  PrinterNames printer_names;
  std::unique_ptr<PrinterDevice> printer_dc;
  bool printer_ready = false;     // the printer was opened (or tried) once
  bool printer_measured = false;  // printer_dc was measured, not the fallback
  std::string unusable_printer;   // the printer whose context could not be made, told once
  bool job_active = false;        // a print document is open
  bool page_started = false;      // a sheet is open
  bool print_aborted = false;
  bool printer_enabled = true;    // "Enable printer"
  bool close_document = true;     // "Close document after printing every page"
  // True while a finished page is being printed: the shell must not feed the
  // screen page then (input stays queued) nor end the document.
  bool page_printing = false;
};

}  // namespace morvane
