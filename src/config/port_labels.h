// The texts of the connection lists and of the port description in the main
// window's title. In every list an entry's position is the value kept in the
// settings, so entry 0 is value 0.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "io/port_settings.h"

namespace morvane {

// Port list: 0 is the shared-memory serial line, n is COMn.
constexpr int kPortCount = 21;
extern const std::array<std::string_view, kPortCount> kPortLabels;

// Serial line list: "1" to "99", line number = position + 1.
constexpr int kSerialLineCount = 99;
std::string serial_line_label(int position);

// The labels of the rates of io's kBaudRates, in its order.
constexpr int kBaudCount = static_cast<int>(kBaudRates.size());
extern const std::array<std::string_view, kBaudCount> kBaudLabels;

constexpr int kByteSizeCount = 2;
extern const std::array<std::string_view, kByteSizeCount> kByteSizeLabels;

constexpr int kParityCount = 3;
extern const std::array<std::string_view, kParityCount> kParityLabels;

constexpr int kStopBitsCount = 3;
extern const std::array<std::string_view, kStopBitsCount> kStopBitsLabels;

constexpr int kFlowCount = 3;
extern const std::array<std::string_view, kFlowCount> kFlowLabels;

// The short forms used only in the port description.
extern const std::array<std::string_view, kParityCount> kParityLetters;
extern const std::array<std::string_view, kStopBitsCount> kStopBitsShort;

// "com<n>-<baud>-<parity>-<data bits>-<stop bits>", e.g. "com1-9600-n-8-1";
// empty when no serial port is chosen ("com" 0, or not a port at all). An index
// outside its table is described by the setting's default.
std::string format_port_description(const Settings& settings);
// The same for a port by its name ("/dev/ttyUSB0-9600-n-8-1"), whatever "com" holds.
std::string format_port_description(const std::string& port, const Settings& settings);

}  // namespace morvane
