// Prints a known two-sheet document on the default printer for
// printer_e2e.sh, which renders the output and checks where the dots landed.
// Prints the device capabilities it measured: "dpi_x dpi_y offset_x offset_y".
#include <cstdio>
#include <vector>

#include "print/win32/win32_printer.h"

using namespace morvane;

namespace {

void draw_first_sheet(Surface& s) {
  std::vector<std::uint8_t> full(100, 0xFF);
  s.blit_columns(100, 200, full.data(), full.size());  // a solid 100 x 8 block
  std::vector<std::uint8_t> top(40, 0x80);
  s.blit_columns(100, 300, top.data(), top.size());  // only the top row
  s.set_pen(rgb(0, 0, 0), 0);
  s.move_to(300, 500);
  s.line_to(600, 500);
  FontDesc f;
  f.height = -24;
  f.weight = 400;
  f.set_face("Courier New");
  s.draw_text(100, 700, "Morvane", 7, f, rgb(0, 0, 0));
}

}  // namespace

int main() {
  Win32PrinterSystem system;
  PrinterNames names = parse_device_string(system.default_device_string());
  if (!names.complete()) {
    std::fprintf(stderr, "no default printer\n");
    return 3;
  }
  auto device = system.create_device(names);
  if (!device) {
    std::fprintf(stderr, "no device context for %s\n", names.device.c_str());
    return 4;
  }
  DeviceCaps c = device->caps();
  std::printf("%u %u %u %u\n", c.dpi_x, c.dpi_y, c.phys_offset_x, c.phys_offset_y);
  if (!device->start_doc("PrintFile_TI994A")) {
    std::fprintf(stderr, "Unable to start print job\n");
    return 5;
  }
  device->start_page();
  draw_first_sheet(device->surface());
  device->end_page();
  device->start_page();
  device->surface().fill_rect(100, 100, 200, 150, rgb(0, 0, 0));
  device->end_page();
  device->end_doc();
  return 0;
}
