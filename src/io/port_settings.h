// The serial port's settings as stored ("baudrate", "bytesize", "parity",
// "stopbits", "flowctrl" are table indexes) and what they mean for the port.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace morvane {

constexpr int kMaxPortIndex = 20;  // COM1 .. COM20; 0 is no port ("GEEN")

struct PortSettings {
  std::int32_t baudrate = 6;  // 9600
  std::int32_t bytesize = 1;  // 8 data bits
  std::int32_t parity = 0;    // none
  std::int32_t stopbits = 0;  // one
  std::int32_t flowctrl = 0;  // none
};

// The rates of the setting "baudrate", by its index.
inline constexpr std::array<std::uint32_t, 15> kBaudRates = {110,   300,   600,   1200,  2400,  4800,   9600,  14400,
                                                             19200, 38400, 56000, 57600, 115200, 128000, 256000};

constexpr int kNoParity = 0;
constexpr int kOddParity = 1;
constexpr int kEvenParity = 2;
constexpr int kOneStopBit = 0;
constexpr int kOneAndHalfStopBits = 1;
constexpr int kTwoStopBits = 2;

enum class FlowControl { none = 0, xon_xoff = 1, hardware = 2 };

// The modem output lines the program drives, and the modem status bits.
constexpr std::uint32_t kLineDtr = 0x01;
constexpr std::uint32_t kLineRts = 0x02;
constexpr int kModemCts = 0x10;
constexpr int kModemDsr = 0x20;
constexpr int kModemRing = 0x40;
constexpr int kModemRlsd = 0x80;

struct LineConfig {
  std::uint32_t baud_rate = 9600;
  int data_bits = 8;
  int parity = kNoParity;
  int stop_bits = kOneStopBit;
  FlowControl flow = FlowControl::none;
};

// Looks every index up in its table. An index outside its table (a
// hand-edited settings file) counts as that key's default, so no lookup ever
// leaves a table.
LineConfig resolve_port_settings(const PortSettings& settings);

// "GEEN" for 0, "COM<n>:" otherwise.
std::string serial_port_name(int index);

}  // namespace morvane
