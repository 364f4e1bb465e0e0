// Sheets and printers of the portable build: cairo images for the screen
// sheet, the virtual PDF printer for print documents.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "cli/backend.h"
#include "gfx/damage_sheet.h"
#include "print/geometry_printer.h"
#include "gfx/cairo/cairo_pdf_surface.h"
#include "gfx/cairo/cairo_sheet.h"
#include "gfx/cairo/font_cache.h"
#include "print/virtual/print_command.h"
#include "print/virtual/virtual_printer.h"

namespace morvane::cli {

namespace {

morvane::Face gfx_face(Face face) {
  return face == Face::dots ? morvane::Face::dots : morvane::Face::truetype;
}

VirtualPrinterConfig virtual_config(const PrinterSetup& setup) {
  VirtualPrinterConfig c;
  c.face = gfx_face(setup.face);
  c.paper = setup.paper == Paper::a4 ? morvane::Paper::a4 : morvane::Paper::letter;
  c.dpi = static_cast<std::uint32_t>(setup.dpi);
  c.offset = static_cast<std::uint32_t>(setup.offset);
  return c;
}

// Documents printed without a PDF of the run go through files of their own
// in a private temporary directory, removed once the queue has taken them.
std::string make_spool_dir(std::string& error) {
  std::error_code ec;
  const auto base = std::filesystem::temp_directory_path(ec);
  for (int i = 0; !ec && i < 1000; ++i) {
    const auto dir = base / ("morvane-print-" + std::to_string(std::random_device{}()));
    if (std::filesystem::create_directory(dir, ec)) return dir.string();
  }
  error = "cannot make a temporary directory for printing: " +
          (ec ? ec.message() : std::string("no free name"));
  return {};
}

class CairoOutput final : public OutputPrinter {
 public:
  CairoOutput(const PrinterSetup& setup, std::unique_ptr<PrinterSystem> system,
              VirtualPrinterSystem* pdf, std::string spool_dir)
      : setup_(setup), system_(std::move(system)), pdf_(pdf), spool_dir_(std::move(spool_dir)) {}

  ~CairoOutput() override {
    std::error_code ec;
    if (!spool_dir_.empty()) std::filesystem::remove_all(spool_dir_, ec);
  }

  PrinterSystem& system() override { return *system_; }

  bool finish(int sheets, std::string& error) override {
    int failures = pdf_ != nullptr ? pdf_->wait_print_jobs() : 0;
    system_.reset();  // completes the run's file
    pdf_ = nullptr;
    if (setup_.pdf_path && sheets > 0) {
      if (!std::filesystem::exists(*setup_.pdf_path)) {
        error = "cannot write PDF " + *setup_.pdf_path;
        return false;
      }
      if (setup_.print) failures += print_file(*setup_.pdf_path);
    }
    if (failures > 0) {
      error = "the print command \"" + print_command(setup_.print_queue) + "\" failed for " +
              std::to_string(failures) + " document(s)";
      return false;
    }
    return true;
  }

 private:
  int print_file(const std::string& path) {
    PrintJobs jobs;
    const bool started = jobs.start(print_command(setup_.print_queue), path);
    jobs.wait_all();
    return (started ? 0 : 1) + jobs.failures();
  }

  PrinterSetup setup_;
  std::unique_ptr<PrinterSystem> system_;
  VirtualPrinterSystem* pdf_;
  std::string spool_dir_;
};

}  // namespace

std::unique_ptr<Surface> make_sheet(std::uint32_t width, std::uint32_t height, Face face) {
  return std::make_unique<CairoSheet>(static_cast<std::int32_t>(width),
                                      static_cast<std::int32_t>(height), gfx_face(face));
}

FaceUsed face_used(const FontDesc& font) {
  FontCache fonts;
  return {fonts.family_of(font), fonts.is_stand_in(font)};
}

bool save_sheet_png(Surface& sheet, const std::string& path, std::string& error) {
  // A sheet shown in the window is the image it wraps.
  if (auto* shown = dynamic_cast<DamageSheet*>(&sheet)) return save_sheet_png(shown->inner(), path, error);
  auto* image = dynamic_cast<CairoSheet*>(&sheet);
  if (image == nullptr) {
    error = "the sheet is not an image";
    return false;
  }
  errno = 0;
  if (image->save_png(path)) return true;
  error = errno != 0 ? std::strerror(errno) : "write failed";
  return false;
}

std::string print_command(const std::string& queue) {
  return queue.empty() ? "lp" : "lp -d " + queue;
}

std::unique_ptr<OutputPrinter> make_output_printer(const PrinterSetup& setup, std::string& error) {
  VirtualPrinterConfig config = virtual_config(setup);
  if (!setup.wants_output()) {
    auto geometry = std::make_unique<GeometryPrinterSystem>(
        kPrinterName, virtual_printer_caps(config), [] { return std::make_unique<CairoPdfSurface>(); });
    return std::make_unique<CairoOutput>(setup, std::move(geometry), nullptr, "");
  }
  // Found out before any work, not after the last page.
  if (setup.print && !print_command_available(print_command(setup.print_queue), error)) return nullptr;
  std::string spool_dir;
  if (setup.pdf_path) {
    // The run is one file; it goes to the queue once complete.
    config.output_path = *setup.pdf_path;
    config.one_file = true;
  } else {
    spool_dir = make_spool_dir(error);
    if (spool_dir.empty()) return nullptr;
    config.output_path = (std::filesystem::path(spool_dir) / "morvane.pdf").string();
    config.one_file = false;
    config.print_command = print_command(setup.print_queue);
  }
  auto pdf = std::make_unique<VirtualPrinterSystem>(config);
  VirtualPrinterSystem* raw = pdf.get();
  return std::make_unique<CairoOutput>(setup, std::move(pdf), raw, spool_dir);
}

}  // namespace morvane::cli
