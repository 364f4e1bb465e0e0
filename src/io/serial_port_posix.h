// The termios side of the serial port, open for tests.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

#include "io/port_settings.h"
#include "io/serial_port.h"

namespace morvane {

// Raw, receive-ready line settings for config. Rates without a termios
// constant are left to set_custom_baud_rate after the settings are applied.
void make_line_termios(termios& settings, const LineConfig& config);
bool is_standard_baud_rate(std::uint32_t rate);

// TIOCM_* line bits to the modem status bits (kModemCts ...).
int modem_status_from_lines(int lines);

// Why a device refused us for permissions, and what the user can do:
// the group that may open it, or that only its owner may.
std::string permission_hint(const std::string& path);

// open_system_serial_device with its lock file in lock_directory.
DeviceOpenResult open_device_locked(const std::string& path, const std::string& lock_directory);

// Any rate, where the system allows it; false otherwise.
bool set_custom_baud_rate(int fd, std::uint32_t rate);
// The line's input rate in bits per second, 0 when unknown.
std::uint32_t read_baud_rate(int fd);

}  // namespace morvane
