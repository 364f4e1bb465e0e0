#include "config/connection_choice.h"

#include "config/checked_index.h"
#include "config/port_labels.h"
#include "io/serial_line.h"
#include "io/serial_port.h"

namespace morvane {

int serial_line_position(int line_number) {
  if (line_number < 1 || line_number > kSerialLineCount) return kNoSelection;
  return line_number - 1;
}

int port_position(int com) {
  if (com < 0 || com >= kPortCount) return kNoSelection;
  return com;
}

int setting_position(int value, int count) { return checked_index(value, count, 0); }

int line_number_of(int line_position) {
  if (line_position < 0 || line_position >= kSerialLineCount) return 0;
  return line_position + 1;
}

ConnectionEnables enables_at_open(int com) { return {com <= 0, com > 0}; }

ConnectionEnables enables_for_port(int port_position) {
  return {port_position == 0, port_position != 0};
}

void apply_connection_choice(SerialLine& line, SerialPort& port, Settings& settings,
                             int line_position, int port_position) {
  const int pending_line = line_number_of(line_position);
  // Anything not in the port list counts as no selection.
  const int pending_port = port_position >= 0 && port_position < kPortCount ? port_position
                                                                            : kNoSelection;
  line.close_serial_line();
  settings.com = pending_port;
  if (settings.com == 0) {
    line.open_serial_line(pending_line);
    settings.lyn = line.state().line_number;
  }
  settings.com = port.select_serial_port(settings.com);
}

void apply_port_settings(SerialPort& port, Settings& settings, const PortSettings& chosen) {
  store_port_settings(settings, chosen);
  port.set_port_settings(chosen);
  port.configure_serial_port();
}

}  // namespace morvane
