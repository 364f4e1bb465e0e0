// Printing by replay of the spool file, the printer and its documents.
#pragma once

namespace morvane {

struct Engine;

// Text and captions the user sees.
inline constexpr const char* kNoDefaultPrinter = "Unable to get handle to default printer";
inline constexpr const char* kCannotStartJob = "Unable to start print job";
inline constexpr const char* kNoPrinterContext = "Unable to open the printer";
inline constexpr const char* kCaption = "Morvane";
inline constexpr const char* kDocumentName = "PrintFile_TI994A";

int open_printer(Engine& e);
int find_default_printer(Engine& e);
int start_print_job(Engine& e);
void print_page(Engine& e);
// Mode 1 ends the sheet, mode 3 the sheet and the document.
void end_printer_page(Engine& e, int mode);
void start_printer_page(Engine& e);
void discard_page_bitmap(Engine& e);
// Drops the printer (a new one is chosen): the next measurement uses it.
void replace_printer(Engine& e);

// Program exit: the document ended, the sheet and printer released, and an
// unfinished page's spool file closed and deleted.
void end_run(Engine& e);

}  // namespace morvane
