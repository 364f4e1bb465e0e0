// The printer the program brings itself: the virtual PDF printer, or, where
// nothing is to be printed, a printer that is only measured. Its name and its
// paper are the same on every platform.
#pragma once

#include <cstdint>

#include "print/printer.h"

namespace morvane {

// The name under which the printer appears.
inline constexpr const char* kOwnPrinterName = "Morvane PDF";

enum class Paper { letter, a4 };

struct PaperPixels {
  std::uint32_t width;
  std::uint32_t height;
};

// The sheet in device pixels at `dpi` dots per inch.
PaperPixels paper_pixels(Paper paper, std::uint32_t dpi);

// The widest unprintable strip that still leaves an inch printable each way.
std::uint32_t widest_offset(Paper paper, std::uint32_t dpi);

// The device capabilities of the paper at `dpi` with the same unprintable
// strip of `offset` pixels on every side; `offset` is at most widest_offset.
DeviceCaps own_printer_caps(Paper paper, std::uint32_t dpi, std::uint32_t offset);

}  // namespace morvane
