// The configuration dialogs the main window opens: connection setup, port
// settings and status, page setup and printer selection.
#pragma once

#include <windows.h>

#include <cstdint>

namespace morvane {

struct App;

// Modal "Connection setup"; may change the port index and the serial line.
void run_connection_setup(App& app, HWND owner);
// The modeless "Serialport status" window: made once, brought to the front
// when asked for again.
void show_serial_port_status(App& app, HWND owner);
// New modem status for the status window, when it is open.
void update_serial_port_status(App& app, int modem_status, std::uint32_t output_lines);
// Modal "Page setup" (the font).
void run_page_setup(App& app, HWND owner);
// The printer-selection dialog.
void select_printer(App& app, HWND owner);
// Frees what the printer selection holds (device mode and names).
void free_printer_selection(App& app);

}  // namespace morvane
