// What the connection dialogs decide, apart from the windows that show them:
// which list entry stands for a setting, which controls are usable, and what
// OK does to the channels. In every list an entry's position is the value.
#pragma once

#include "config/settings.h"
#include "io/port_settings.h"

namespace morvane {

class SerialLine;
class SerialPort;

constexpr int kNoSelection = -1;

// Serial line list entry of a line number (position line - 1); a number
// outside 1..99 selects nothing.
int serial_line_position(int line_number);
// Port list entry of a "com" value; a value outside 0..20 selects nothing.
int port_position(int com);
// One of the five port-settings lists: a value that is no position in a list
// of count entries selects the first entry.
int setting_position(int value, int count);

// Line number chosen by a serial line list position; none gives 0, which
// leaves the line's current number when the line is opened.
int line_number_of(int line_position);

struct ConnectionEnables {
  bool line_list = false;
  bool settings_button = false;
};

// On opening: a chosen port disables the line list, otherwise "Settings" is disabled.
ConnectionEnables enables_at_open(int com);
// After the port list changed: the line list for the serial line only,
// "Settings" for a port only.
ConnectionEnables enables_for_port(int port_position);

// OK in "Connection setup", in order: the serial line is closed, "com" takes
// the chosen port, the line is opened again when no port is chosen (and
// "lyn" follows it), then the port is selected and "com" is what it gave.
// No port selection (kNoSelection) opens neither and leaves "com" 0.
void apply_connection_choice(SerialLine& line, SerialPort& port, Settings& settings,
                             int line_position, int port_position);

// OK in "Comport settings": the five positions are stored and the open port
// (if any) is configured with them.
void apply_port_settings(SerialPort& port, Settings& settings, const PortSettings& chosen);

}  // namespace morvane
