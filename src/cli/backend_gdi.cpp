// Sheets and printers of the Windows build: GDI sheets, PNG files written from
// their bits, and the Windows default printer for --print. There is no PDF
// writer here.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "cli/backend.h"
#include "print/geometry_printer.h"
#include "gfx/png_writer.h"
#include "gfx/gdi/gdi_surface.h"
#include "io/system_error.h"
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

// The sheet's pixels as 24-bit rows, top row first.
bool sheet_pixels(GdiSurface& sheet, BgrImage& image) {
  const int w = sheet.width(), h = sheet.height();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  image.width = static_cast<std::uint32_t>(w);
  image.height = static_cast<std::uint32_t>(h);
  image.stride = (image.width * 3 + 3) & ~3u;  // rows of whole DWORDs
  image.bytes.assign(std::size_t{image.stride} * image.height, 0);
  // The bitmap must not be selected into a DC while its bits are read: a
  // stand-in takes its place meanwhile.
  HBITMAP stand_in = CreateCompatibleBitmap(sheet.dc(), 1, 1);
  if (stand_in == nullptr) return false;
  HGDIOBJ bitmap = SelectObject(sheet.dc(), stand_in);
  const int rows = GetDIBits(sheet.dc(), sheet.bitmap(), 0, static_cast<UINT>(h), image.bytes.data(), &info,
                             DIB_RGB_COLORS);
  SelectObject(sheet.dc(), bitmap);
  DeleteObject(stand_in);
  return rows == h;
}

}  // namespace

// Only the TrueType face: make_output_printer refuses the dots before any
// sheet is made.
ScreenSheet make_sheet(std::uint32_t width, std::uint32_t height, Face) {
  auto sheet = GdiSurface::create_sheet(nullptr, static_cast<std::int32_t>(width),
                                        static_cast<std::int32_t>(height));
  if (!sheet) {
    // Nothing can be laid out without a sheet.
    std::fprintf(stderr, "morvane: cannot make a sheet of %u x %u pixels\n", width, height);
    std::exit(1);
  }
  GdiSurface* image = sheet.get();
  return {std::move(sheet), image};
}

FaceUsed face_used(const FontDesc& font) {
  auto probe = GdiSurface::create_sheet(nullptr, 1, 1);
  FaceUsed used;
  if (!probe) return used;
  used.family = probe->face_drawn(font);
  // GDI sets nothing up to stand for a face: another face is a stand-in.
  used.stand_in = !used.family.empty() && lstrcmpiA(used.family.c_str(), font.face_name) != 0;
  return used;
}

bool save_sheet_png(GdiSurface& sheet, const std::string& path, bool, std::string& error) {
  BgrImage image;
  if (sheet.bitmap() == nullptr || !sheet_pixels(sheet, image)) {
    error = "the sheet's pixels cannot be read";
    return false;
  }
  WriteFailure failure;
  if (write_png(path, image, failure)) return true;
  error = failure.step;
  if (failure.code != 0) error += ": " + system_error_text(static_cast<int>(failure.code));
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
      std::make_unique<GeometryPrinterSystem>(kOwnPrinterName, caps, metrics));
}

}  // namespace morvane::cli
