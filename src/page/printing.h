// Printing by replay of the spool file, the printer and its documents.
#pragma once

#include "page/print_job.h"

namespace morvane {

struct Engine;

// Text and captions the user sees.
inline constexpr const char* kNoDefaultPrinter = "Unable to get handle to default printer";
inline constexpr const char* kCannotStartJob = "Unable to start print job";
inline constexpr const char* kNoPrinterContext = "Unable to open the printer";
inline constexpr const char* kCaption = "Morvane";
inline constexpr const char* kDocumentName = "PrintFile_TI994A";

// Makes sure the printer's context exists and measures the printer page;
// false when no printer can be used (the pages are then laid out for a
// fallback printer and nothing is printed).
bool open_printer(Engine& e);
bool find_default_printer(Engine& e);
// Opens a print document, the printer page measured afresh.
bool start_print_job(Engine& e);
// Prints the page that has just ended on the screen page, by replaying it.
void print_page(Engine& e);
// Ends the open sheet (and, with sheet_and_document, the document); true when
// a sheet was open and is printed or stored for good.
bool end_printer_page(Engine& e, SheetEnd end);
void start_printer_page(Engine& e);
void discard_page_bitmap(Engine& e);
// Drops the printer (a new one is chosen): the next measurement uses it.
void replace_printer(Engine& e);

// Program exit: the document ended, the sheet and printer released, and an
// unfinished page's spool file closed and deleted.
void end_run(Engine& e);

}  // namespace morvane
