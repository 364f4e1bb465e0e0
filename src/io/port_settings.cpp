#include "io/port_settings.h"

#include <array>
#include <cstddef>

namespace morvane {

namespace {

constexpr std::array<int, 2> kDataBits = {7, 8};
constexpr std::array<int, 3> kParities = {kNoParity, kOddParity, kEvenParity};
constexpr std::array<int, 3> kStopBits = {kOneStopBit, kOneAndHalfStopBits, kTwoStopBits};
constexpr std::array<FlowControl, 3> kFlows = {FlowControl::none, FlowControl::xon_xoff, FlowControl::hardware};

template <typename T, std::size_t N>
T lookup(const std::array<T, N>& table, std::int32_t index, std::int32_t fallback) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) index = fallback;
  return table[static_cast<std::size_t>(index)];
}

}  // namespace

LineConfig resolve_port_settings(const PortSettings& settings) {
  const PortSettings defaults;
  LineConfig config;
  config.baud_rate = lookup(kBaudRates, settings.baudrate, defaults.baudrate);
  config.data_bits = lookup(kDataBits, settings.bytesize, defaults.bytesize);
  config.parity = lookup(kParities, settings.parity, defaults.parity);
  config.stop_bits = lookup(kStopBits, settings.stopbits, defaults.stopbits);
  config.flow = lookup(kFlows, settings.flowctrl, defaults.flowctrl);
  return config;
}

std::string serial_port_name(int index) {
  if (index == 0) return "GEEN";
  return "COM" + std::to_string(index) + ":";
}

}  // namespace morvane
