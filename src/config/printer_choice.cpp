#include "config/printer_choice.h"

namespace morvane {

namespace {

constexpr std::size_t kHeaderSize = 8;

std::size_t offset_at(const std::uint8_t* block, std::size_t word) {
  return static_cast<std::size_t>(block[2 * word]) |
         static_cast<std::size_t>(block[2 * word + 1]) << 8;
}

std::string name_at(const std::uint8_t* block, std::size_t size, std::size_t offset) {
  if (offset < kHeaderSize || offset >= size) return {};
  std::string name;
  for (std::size_t i = offset; i < size && block[i] != 0 && name.size() < kMaxPrinterName; ++i)
    name += static_cast<char>(block[i]);
  return name;
}

}  // namespace

PrinterNames read_device_names(const std::uint8_t* block, std::size_t size) {
  PrinterNames names;
  if (block == nullptr || size < kHeaderSize) return names;
  names.driver = name_at(block, size, offset_at(block, 0));
  names.device = name_at(block, size, offset_at(block, 1));
  names.port = name_at(block, size, offset_at(block, 2));
  if (names.port.empty() && !names.device.empty()) names.port = kNoPortName;
  return names;
}

}  // namespace morvane
