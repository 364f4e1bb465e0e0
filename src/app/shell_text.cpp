#include "app/shell_text.h"

#include <cstdio>

#include "config/paths.h"
#include "menu_ids.h"
#include "page/commands.h"

namespace morvane {

std::string folder_in_use_text(const std::string& folder, unsigned long holder) {
  const std::string who = holder != 0 ? "Morvane (process " + std::to_string(holder) + ")" : "another Morvane";
  return "The spool file \"Morvane.$$$\" in " + folder + " is in use by " + who +
         ".\nTwo programs in one folder would print each other's pages.\n\n"
         "Start this Morvane from another folder (each folder keeps its own "
         "\"Morvane.ini\" and \"Morvane.$$$\").";
}

std::string title_text(const std::string& title, std::int32_t port_index,
                       const std::string& port_description, std::int32_t line_number,
                       bool printer_enabled) {
  char buf[256];
  const char* state = printer_enabled ? "Enabled" : "Disabled";
  if (port_index != 0) {
    std::snprintf(buf, sizeof buf, "%s - %s Printer: %s", title.c_str(), port_description.c_str(),
                  state);
  } else {
    std::snprintf(buf, sizeof buf, "%s - Lyn%d Printer: %s", title.c_str(),
                  static_cast<int>(line_number), state);
  }
  return buf;
}

int toolbar_command(int button_id) {
  switch (button_id) {
    case IDB_ENABLE_PRINTER: return IDM_ENABLE_PRINTER;
    case IDB_PRINT_PAGE_NOW: return IDM_PRINT_PAGE_NOW;
    case IDB_CLOSE_DOCUMENT_NOW: return IDM_CLOSE_DOCUMENT_NOW;
    case IDB_CLEAR_PAGE: return IDM_CLEAR_PAGE;
    case IDB_BROTHER: return IDM_BROTHER;
    case IDB_SONY: return IDM_SONY;
    case IDB_PEN_BLACK: return IDM_PEN_BLACK;
    case IDB_PEN_BLUE: return IDM_PEN_BLUE;
    case IDB_PEN_GREEN: return IDM_PEN_GREEN;
    case IDB_PEN_RED: return IDM_PEN_RED;
    default: return 0;
  }
}

std::string help_file_path(const std::string& directory) {
  return path_in_directory(directory, "morvane.hlp", '\\');
}

std::array<MenuMark, 16> menu_marks(ViewMode view_mode, Emulation emulation, bool printer_enabled,
                                    bool close_document, std::uint32_t pen, bool printing) {
  const bool idle = !printing;
  const bool printer = printer_enabled && idle;
  const bool plotter = emulation == Emulation::plotter && idle;
  return {{
      {IDM_FIT_TO_WINDOW, view_mode == ViewMode::fit_to_window, true, true, false},
      {IDM_ORIGINAL_SIZE, view_mode == ViewMode::original_size, true, true, false},
      {IDM_BROTHER, emulation == Emulation::dot_matrix, idle, true, true},
      {IDM_SONY, emulation == Emulation::plotter, idle, true, true},
      {IDM_ENABLE_PRINTER, printer_enabled, idle, true, true},
      {IDM_CLOSE_AFTER_PAGE, close_document, true, true, false},
      {IDM_PRINT_PAGE_NOW, false, printer, false, true},
      {IDM_CLOSE_DOCUMENT_NOW, false, printer, false, true},
      {IDM_CLEAR_PAGE, false, idle, false, true},
      {IDM_CONNECTION_SETUP, false, idle, false, true},
      {IDM_PAGE_SETUP, false, idle, false, true},
      {IDM_PRINTER_SETUP, false, idle, false, true},
      {IDM_PEN_BLACK, pen == pen_color(kBlackPen), plotter, true, true},
      {IDM_PEN_BLUE, pen == pen_color(kBluePen), plotter, true, true},
      {IDM_PEN_GREEN, pen == pen_color(kGreenPen), plotter, true, true},
      {IDM_PEN_RED, pen == pen_color(kRedPen), plotter, true, true},
  }};
}

}  // namespace morvane
