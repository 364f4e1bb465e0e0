// Sheets and printers of the Windows build: GDI sheets, PNG files written from
// their bits, and the Windows default printer for --print. There is no PDF
// writer here.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/backend.h"
#include "print/geometry_printer.h"
#include "gfx/png_writer.h"
#include "gfx/gdi/gdi_surface.h"
#include "print/win32/win32_printer.h"

namespace morvane::cli {

namespace {

class GdiOutput final : public OutputPrinter {
 public:
  explicit GdiOutput(std::unique_ptr<PrinterSystem> system) : system_(std::move(system)) {}
  PrinterSystem& system() override { return *system_; }
  bool finish(int, std::string&, bool& removed_earlier) override {
    removed_earlier = false;
    system_.reset();
    return true;
  }

 private:
  std::unique_ptr<PrinterSystem> system_;
};

// The sheet's pixels as RGB rows, top row first.
bool sheet_rgb(GdiSurface& sheet, std::vector<std::uint8_t>& rgb) {
  const int w = sheet.width(), h = sheet.height();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(w) * h * 4);
  // The bitmap must not be selected into a DC while its bits are read: a
  // stand-in takes its place meanwhile.
  HBITMAP stand_in = CreateCompatibleBitmap(sheet.dc(), 1, 1);
  if (stand_in == nullptr) return false;
  HGDIOBJ bitmap = SelectObject(sheet.dc(), stand_in);
  const int rows = GetDIBits(sheet.dc(), sheet.bitmap(), 0, static_cast<UINT>(h), bgra.data(), &info,
                             DIB_RGB_COLORS);
  SelectObject(sheet.dc(), bitmap);
  DeleteObject(stand_in);
  if (rows != h) return false;
  rgb.resize(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0, j = 0; i < bgra.size(); i += 4, j += 3) {
    rgb[j] = bgra[i + 2];
    rgb[j + 1] = bgra[i + 1];
    rgb[j + 2] = bgra[i];
  }
  return true;
}

}  // namespace

// Only the TrueType face: make_output_printer refuses the dots before any
// sheet is made.
std::unique_ptr<Surface> make_sheet(std::uint32_t width, std::uint32_t height, Face) {
  auto sheet = GdiSurface::create_sheet(nullptr, static_cast<std::int32_t>(width),
                                        static_cast<std::int32_t>(height));
  if (!sheet) {
    // Nothing can be laid out without a sheet.
    std::fprintf(stderr, "morvane: cannot make a sheet of %u x %u pixels\n", width, height);
    std::exit(1);
  }
  return sheet;
}

bool save_sheet_png(Surface& sheet, const std::string& path, bool, std::string& error) {
  auto* gdi = dynamic_cast<GdiSurface*>(&sheet);
  std::vector<std::uint8_t> rgb;
  if (gdi == nullptr || gdi->bitmap() == nullptr || !sheet_rgb(*gdi, rgb)) {
    error = "the sheet's pixels cannot be read";
    return false;
  }
  errno = 0;
  if (write_png(path, static_cast<std::uint32_t>(gdi->width()), static_cast<std::uint32_t>(gdi->height()), rgb))
    return true;
  error = errno != 0 ? std::strerror(errno) : "write failed";
  return false;
}

std::string print_command(const std::string& queue) { return queue.empty() ? "default printer" : queue; }

std::unique_ptr<OutputPrinter> make_output_printer(const PrinterSetup& setup, std::string& error) {
  if (setup.face == Face::dots) {
    error = "--face dots is not available in the Windows build";
    return nullptr;
  }
  if (setup.pdf_path) {
    error = "PDF output is not available in the Windows build (--print prints on the default printer)";
    return nullptr;
  }
  if (setup.print && !setup.print_queue.empty()) {
    error = "--print=QUEUE is not available in the Windows build (--print prints on the default printer)";
    return nullptr;
  }
  if (setup.print) return std::make_unique<GdiOutput>(std::make_unique<Win32PrinterSystem>());
  DeviceCaps caps;
  if (!paper_caps(setup.paper, setup.dpi, setup.offset, caps)) {
    error = "the offset leaves no printable area";
    return nullptr;
  }
  auto metrics = [] { return std::unique_ptr<Surface>(GdiSurface::create_sheet(nullptr, 1, 1)); };
  return std::make_unique<GdiOutput>(
      std::make_unique<GeometryPrinterSystem>(kPrinterName, caps, metrics));
}

}  // namespace morvane::cli
