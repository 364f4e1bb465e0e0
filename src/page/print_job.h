// The printer and its print documents: which printer, its device context,
// where the document and its sheet stand, and the user's printing choices.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "print/printer.h"

namespace morvane {

// What end_printer_page ends: the sheet, or the sheet and the document.
enum class SheetEnd { sheet = 1, sheet_and_document = 3 };

class PrintJob {
 public:
  // Where the job stands. A finished page is printed in the three page_
  // states and only then: meanwhile the screen page takes no bytes and no
  // command ends the document (input stays queued at its channel).
  enum class State : std::uint8_t {
    unopened,          // the first feed or repaint opens (or tries) the printer
    idle,              // no document open
    between_sheets,    // a document open, waiting for its next page
    page,              // a finished page is being printed; no document open (yet, or it could not start)
    page_in_document,  // ... the page replayed into the open document, no sheet yet
    page_on_sheet,     // ... and its drawing has opened the sheet
  };

  State state() const { return state_; }
  bool printer_opened() const { return state_ != State::unopened; }
  bool printing_page() const {
    return state_ == State::page || state_ == State::page_in_document || state_ == State::page_on_sheet;
  }
  bool document_open() const {
    return state_ == State::between_sheets || state_ == State::page_in_document || state_ == State::page_on_sheet;
  }
  bool sheet_open() const { return state_ == State::page_on_sheet; }

  // The changes of state, each from the states it applies to; from any
  // other it changes nothing.
  void printer_opened_now();  // unopened -> idle
  void page_begins();         // idle -> page, between_sheets -> page_in_document
  void document_started();    // page -> page_in_document
  void sheet_started();       // page_in_document -> page_on_sheet
  void ended(SheetEnd end);   // the sheet closes; with the document, the document too
  void document_lost();       // the user cancelled it: as if it had ended
  void page_done();           // page -> idle, page_in_document -> between_sheets

  // "Enable printer" and "Close document after printing every page".
  bool printer_enabled() const { return printer_enabled_; }
  bool close_document() const { return close_document_; }
  void set_printer_enabled(bool on) { printer_enabled_ = on; }
  void set_close_document(bool on) { close_document_ = on; }

  PrinterNames printer_names;
  // Made at the first need, replaced when another printer is chosen. It is
  // measured whenever it is made: the printer page is laid out for it.
  std::unique_ptr<PrinterDevice> printer_dc;
  std::string unusable_printer;  // the printer whose context could not be made, told once

 private:
  State state_ = State::unopened;
  bool printer_enabled_ = true;
  bool close_document_ = true;
};

}  // namespace morvane
