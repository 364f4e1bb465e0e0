// The printer the printer-selection dialog returned, read from its
// device-names block: a header of four 16-bit words (driver, device and
// output offsets in characters from the block's start, a default flag)
// followed by the three zero-terminated names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "print/printer.h"

namespace morvane {

// The printer-names buffer holds 255 characters: no name is longer.
constexpr std::size_t kMaxPrinterName = 255;
// Port of a printer whose block names none, so the choice stays complete.
inline constexpr const char* kNoPortName = "nul:";

// Each name is read where its offset points, up to its terminator, the
// block's end or kMaxPrinterName characters, whichever comes first; an offset
// inside the header or past the block gives an empty name. Names are taken
// whole: a comma in one is part of it.
PrinterNames read_device_names(const std::uint8_t* block, std::size_t size);

}  // namespace morvane
