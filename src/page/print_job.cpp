#include "page/print_job.h"

namespace morvane {

void PrintJob::printer_opened_now() {
  if (state_ == State::unopened) state_ = State::idle;
}

void PrintJob::page_begins() {
  if (state_ == State::unopened || state_ == State::idle) state_ = State::page;
  else if (state_ == State::between_sheets) state_ = State::page_in_document;
}

void PrintJob::document_started() {
  if (state_ == State::page) state_ = State::page_in_document;
}

void PrintJob::sheet_started() {
  if (state_ == State::page_in_document) state_ = State::page_on_sheet;
}

void PrintJob::ended(SheetEnd end) {
  if (end == SheetEnd::sheet_and_document) {
    document_lost();
  } else if (state_ == State::page_on_sheet) {
    state_ = State::page_in_document;
  }
}

void PrintJob::document_lost() {
  if (state_ == State::between_sheets) state_ = State::idle;
  else if (state_ == State::page_in_document || state_ == State::page_on_sheet) state_ = State::page;
}

void PrintJob::page_done() {
  if (state_ == State::page) state_ = State::idle;
  // A sheet still open here stays part of the document until it ends.
  else if (state_ == State::page_in_document || state_ == State::page_on_sheet) state_ = State::between_sheets;
}

}  // namespace morvane
