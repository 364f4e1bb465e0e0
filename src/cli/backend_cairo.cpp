// Sheets and printers of the portable build: cairo images for the screen
// sheet, the virtual PDF printer for print documents.
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>

#include <stdlib.h>

#include "cli/backend.h"
#include "print/geometry_printer.h"
#include "gfx/cairo/cairo_pdf_surface.h"
#include "gfx/cairo/cairo_sheet.h"
#include "gfx/cairo/font_cache.h"
#include "print/stored_file_posix.h"
#include "print/virtual/pdf_file.h"
#include "print/virtual/print_command.h"
#include "print/virtual/virtual_printer.h"

namespace morvane::cli {

namespace {

VirtualPrinterConfig virtual_config(const PrinterSetup& setup) {
  VirtualPrinterConfig c;
  c.sync_each_page = setup.sync_each_page;
  c.face = setup.face;
  c.paper = setup.paper;
  c.dpi = static_cast<std::uint32_t>(setup.dpi);
  c.offset = static_cast<std::uint32_t>(setup.offset);
  return c;
}

// Documents printed without a PDF of the run go through files of their own
// in a private temporary directory (this user's only), removed once the
// queue has taken them.
std::string make_spool_dir(std::string& error) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/morvane-print-XXXXXX";
  if (::mkdtemp(folder.data()) != nullptr) return folder;
  error = "cannot make a temporary directory for printing: " + std::string(std::strerror(errno));
  return {};
}

class CairoOutput final : public OutputPrinter {
 public:
  CairoOutput(const PrinterSetup& setup, std::unique_ptr<PrinterSystem> system,
              VirtualPrinterSystem* pdf, std::string spool_dir, EarlierFile earlier)
      : setup_(setup), system_(std::move(system)), pdf_(pdf), spool_dir_(std::move(spool_dir)),
        earlier_(earlier) {}

  ~CairoOutput() override {
    std::error_code ec;
    if (!spool_dir_.empty()) std::filesystem::remove_all(spool_dir_, ec);
  }

  PrinterSystem& system() override { return *system_; }

  bool finish(int sheets, std::string& error, bool& removed_earlier) override {
    removed_earlier = false;
    std::string unwritten;
    const bool written = pdf_ == nullptr || pdf_->close_files(unwritten);
    int failures = pdf_ != nullptr ? pdf_->wait_print_jobs() : 0;
    system_.reset();
    pdf_ = nullptr;
    if (!written) {
      error = unwritten;
      return false;
    }
    if (setup_.pdf_path && sheets == 0) removed_earlier = remove_earlier_file(*setup_.pdf_path, earlier_);
    if (setup_.pdf_path && sheets > 0 && setup_.print) failures += print_file(*setup_.pdf_path);
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
  EarlierFile earlier_;  // what stood at the PDF's name when the run began
};

}  // namespace

ScreenSheet make_sheet(std::uint32_t width, std::uint32_t height, Face face) {
  auto sheet = std::make_unique<CairoSheet>(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                                            face);
  CairoSheet* image = sheet.get();
  return {std::move(sheet), image};
}

FaceUsed face_used(const FontDesc& font) {
  FontCache fonts;
  return {fonts.family_of(font), fonts.is_stand_in(font)};
}

namespace {

cairo_status_t append_png(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool save_sheet_png(CairoSheet& sheet, const std::string& path, bool sync, std::string& error) {
  if (sheet.image() == nullptr) {
    error = "the sheet is not an image";
    return false;
  }
  // Encoded in memory, then written by us: every write is checked.
  std::string png;
  const cairo_status_t status = cairo_surface_write_to_png_stream(sheet.image(), append_png, &png);
  if (status != CAIRO_STATUS_SUCCESS) {
    error = cairo_status_to_string(status);
    return false;
  }
  FileFailure failure;
  if (replace_file(path, png, sync, failure)) return true;
  error = failure.reason;
  return false;
}

std::string print_command(const std::string& queue) {
  return queue.empty() ? "lp" : "lp -d " + queue;
}

std::unique_ptr<OutputPrinter> make_output_printer(const PrinterSetup& setup, std::string& error) {
  VirtualPrinterConfig config = virtual_config(setup);
  if (!setup.wants_output()) {
    auto geometry = std::make_unique<GeometryPrinterSystem>(
        kOwnPrinterName, virtual_printer_caps(config), [] { return std::make_unique<CairoPdfSurface>(); });
    return std::make_unique<CairoOutput>(setup, std::move(geometry), nullptr, "", EarlierFile{});
  }
  // Found out before any work, not after the last page.
  if (setup.print && !print_command_available(print_command(setup.print_queue), error)) return nullptr;
  std::string spool_dir;
  EarlierFile earlier;
  if (setup.pdf_path) {
    if (!check_pdf_target(*setup.pdf_path, earlier, error)) {
      error = "cannot write PDF " + *setup.pdf_path + ": " + error;
      return nullptr;
    }
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
  return std::make_unique<CairoOutput>(setup, std::move(pdf), raw, spool_dir, earlier);
}

}  // namespace morvane::cli
