#include "config/port_labels.h"

#include "config/checked_index.h"

namespace morvane {

const std::array<std::string_view, kPortCount> kPortLabels = {
    "GEEN",   "COM1:",  "COM2:",  "COM3:",  "COM4:",  "COM5:",  "COM6:",
    "COM7:",  "COM8:",  "COM9:",  "COM10:", "COM11:", "COM12:", "COM13:",
    "COM14:", "COM15:", "COM16:", "COM17:", "COM18:", "COM19:", "COM20:"};

const std::array<std::string_view, kBaudCount> kBaudLabels = {
    "110",  "300",  "600", "1200", "2400",  "4800", "9600", "14k4",
    "19k2", "38k4", "56k", "57k6", "115k2", "128k", "256k"};

const std::array<std::string_view, kByteSizeCount> kByteSizeLabels = {"7", "8"};

const std::array<std::string_view, kParityCount> kParityLabels = {"No Parity", "Odd Parity",
                                                                  "Even parity"};

const std::array<std::string_view, kStopBitsCount> kStopBitsLabels = {"1 stopbit", "1.5 stopbits",
                                                                      "2 stopbits"};

const std::array<std::string_view, kFlowCount> kFlowLabels = {"None", "Xon/Xoff", "Hardware"};

const std::array<std::string_view, kParityCount> kParityLetters = {"n", "o", "e"};

const std::array<std::string_view, kStopBitsCount> kStopBitsShort = {"1", "1.5", "2"};

std::string serial_line_label(int position) { return std::to_string(position + 1); }

std::string format_port_description(const Settings& s) {
  const int com = checked_index(s.com, kPortCount, 0);
  if (com == 0) return {};
  return format_port_description("com" + std::to_string(com), s);
}

std::string format_port_description(const std::string& port, const Settings& s) {
  const Settings defaults;
  const auto baud = kBaudLabels[checked_index(s.baudrate, kBaudCount, defaults.baudrate)];
  const auto parity = kParityLetters[checked_index(s.parity, kParityCount, defaults.parity)];
  const auto bits = kByteSizeLabels[checked_index(s.bytesize, kByteSizeCount, defaults.bytesize)];
  const auto stop = kStopBitsShort[checked_index(s.stopbits, kStopBitsCount, defaults.stopbits)];
  std::string out = port;
  for (const std::string_view part : {baud, parity, bits, stop}) {
    out += '-';
    out += part;
  }
  return out;
}

}  // namespace morvane
