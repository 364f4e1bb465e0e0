// The user's commands on the page, the same for every shell: what the menu,
// the toolbar, the live window's buttons and the end of input do to the
// engine. Each returns false, doing nothing, while a page is being printed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "config/settings.h"
#include "layout/page_state.h"
#include "print/printer.h"
#include "print/stored_file.h"

namespace morvane {

struct Engine;

// The settings' choices for the engine: emulation, printing switches and the
// page font.
void configure_engine(Engine& e, const Settings& settings);

// How a shell sets its run up, before the first byte; each is refused
// (false, nothing changes) once the printer is opened or a page spooled.
// The spool file in place at `path`, opened now and held against other
// programs. False with the reason in e.spool.failure() (`holder` names a
// program that holds it); the first byte then tries again at that path.
bool hold_spool_file(Engine& e, std::string path, unsigned long& holder);
// The spool file is `file`, a private one the shell made.
bool use_spool_file(Engine& e, std::unique_ptr<StoredFile> file);
// The platform's version code, which decides how the plotter dashes lines.
bool set_platform_version(Engine& e, std::int32_t version);
// How the plotter draws characters; the printer page is measured for it.
bool set_plotter_face(Engine& e, PlotterFace face);

// "Enable printer": refused while a page prints, since that page is printed
// as the switch stood when it ended.
bool set_printer_enabled(Engine& e, bool on);
// "Close document after printing every page": taken at once, also while a
// page prints, whose sheet then ends as the switch stands at its end.
void set_close_document(Engine& e, bool on);

// "Print page now": a form feed, spooled and printed like a received one.
bool print_page_now(Engine& e);
// "Clear page": the page in progress is dropped without printing.
bool clear_page_now(Engine& e);
// "Close document now": a page in progress is ended first, then the document.
bool close_document_now(Engine& e);
// The plotter's pens by their numbers, as its pen-select command names them.
enum PenNumber : int { kBlackPen = 0, kBluePen = 1, kGreenPen = 2, kRedPen = 3 };

// A pen of the plotter: its pen-select command, fed like received data.
bool select_pen(Engine& e, int pen);
// The pen, 0 to 3, whose colour the screen page draws in; -1 for none of them.
int current_pen(const Engine& e);
// The colour of pen 0 to 3; black for any other.
Color pen_color(int pen);
// An emulation chosen by the user: the bytes from here on are read for it.
bool select_emulation(Engine& e, Emulation emulation);
// The print-line marker dropped on line `line`: both pages go there.
bool move_print_line(Engine& e, std::uint32_t line);

// Another page font (the font chooser) or another printer (the printer
// selection): the open document is ended, the printer page is measured
// again, and the sheet is made anew at the next feed or repaint. A page in
// progress goes with the sheet, as "Clear page" drops it, so that the
// printed page never holds lines the sheet no longer shows.
bool change_page_font(Engine& e, const FontDesc& font);
// `device` null: the printer is made from `names` when it is next needed.
bool change_printer(Engine& e, const PrinterNames& names, std::unique_ptr<PrinterDevice> device);

// At the end of input or after a pause in the data: the active interpreter is
// brought back to idle so that a following form feed really ends the page,
// and the page stays exactly as the bytes that came left it (the rest of a
// bit image is not drawn, an open sequence changes no style). Nothing is
// spooled for it: the print replay gives the command up at the same byte.
// Returns true when a command was given up.
bool abandon_incomplete_command(Engine& e);
// The end of input: an unfinished command is given up and a page in progress
// is ended as "Print page now" ends it.
bool finish_input(Engine& e);

// The plotter's own pen-select command for pen 0..3: "C<n>\r\n" in graphic
// mode, ESC "C<n>\r\n" in text mode. Empty for any other pen.
std::string pen_command(int pen, bool graphic_mode);

}  // namespace morvane
