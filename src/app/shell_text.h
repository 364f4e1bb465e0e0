// The main window's texts and command tables, kept apart from the window
// system so that they can be checked on their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "layout/page_state.h"
#include "view/view_geometry.h"

namespace morvane {

// "Morvane - com1-9600-n-8-1 Printer: Enabled" with a serial port in use
// (port_index not 0), else "Morvane - Lyn1 Printer: Disabled"; cut as a
// 256-byte buffer would cut it.
std::string title_text(const std::string& title, std::int32_t port_index,
                       const std::string& port_description, std::int32_t line_number,
                       bool printer_enabled);

// Said by a second program started in a folder where another one runs: the
// spool file "Morvane.$$$" there is the other's (the holder's process id, 0
// when unknown), and the pages of the two would mix.
std::string folder_in_use_text(const std::string& folder, unsigned long holder);

// Said when "Abort printing" could not cancel the document.
inline constexpr const char* kNotCancelledText =
    "The printer could not cancel the document: the pages sent to it so far "
    "will still be printed.\nThe next page starts a new document.";

// The about box's text format: arguments major, minor, revision letter, date.
inline constexpr const char* kAboutFormat =
    "Morvane\n"
    "\n"
    "A Ti99/4A printer emulator to print\n"
    "incoming data from a serialport\n"
    "to a windows printer\n"
    "\n"
    "Call: Morvane\n"
    "\n"
    "Version %d.%d%c %ld\n";
// The version's major and minor numbers are the program's own (morvane_version.h).
inline constexpr char kVersionLetter = 'a';
inline constexpr long kVersionDate = 20040408L;

// The menu command a toolbar button stands for; 0 for an id that is no button.
int toolbar_command(int button_id);

// The help file in the given directory: a backslash goes between them unless
// the directory already ends with one.
std::string help_file_path(const std::string& directory);

// How one menu item is marked.
struct MenuMark {
  int id;
  bool checked;
  bool enabled;
  bool sets_check;   // the item's check mark follows `checked`
  bool sets_enable;  // the item is grayed and disabled unless `enabled`
};

// The marks of every item update_menu_marks touches. While a page is being
// printed (`printing`) every command that would feed the page, end the
// document, switch the printer or the emulation, or open a dialog that
// changes them is grayed: it could not act then.
std::array<MenuMark, 16> menu_marks(ViewMode view_mode, Emulation emulation, bool printer_enabled,
                                    bool close_document, std::uint32_t screen_pen_color, bool printing = false);

}  // namespace morvane
