#include "print/virtual/virtual_printer.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace morvane {
namespace {

constexpr std::uint32_t kDefaultDpi = 600;
constexpr std::uint32_t kMinDpi = 72;
constexpr std::uint32_t kMaxDpi = 4800;

std::uint32_t usable_dpi(std::uint32_t dpi) {
  return dpi == 0 ? kDefaultDpi : std::clamp(dpi, kMinDpi, kMaxDpi);
}

}  // namespace

DeviceCaps virtual_printer_caps(const VirtualPrinterConfig& config) {
  const std::uint32_t dpi = usable_dpi(config.dpi);
  // An inch of the sheet stays printable, whatever the strips asked.
  const std::uint32_t offset = std::min(config.offset, widest_offset(config.paper, dpi));
  return own_printer_caps(config.paper, dpi, offset);
}

std::string numbered_path(const std::string& path, int n) {
  std::filesystem::path p(path);
  char number[16];
  std::snprintf(number, sizeof number, "-%04d", n);
  std::filesystem::path name = p.stem();
  name += number;
  name += p.has_extension() ? p.extension() : std::filesystem::path(".pdf");
  return (p.parent_path() / name).string();
}

VirtualPrinterRun::~VirtualPrinterRun() {
  std::string ignored;
  close_files(ignored);
  jobs.wait_all();
}

bool VirtualPrinterRun::complete(PdfFile& file) {
  const std::string path = file.path();
  std::string error;
  if (file.close(error)) {
    if (!config.print_command.empty()) jobs.start(config.print_command, path);
    return true;
  }
  if (error.empty()) return true;  // a file without pages: nothing to complete
  failures += (failures.empty() ? "" : "; ") + ("cannot write PDF " + path + ": " + error);
  return false;
}

bool VirtualPrinterRun::close_files(std::string& error) {
  if (run_file.is_open()) complete(run_file);
  error = failures;
  failures.clear();
  return error.empty();
}

namespace {

cairo_status_t append_to_page(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

VirtualPrinterDevice::VirtualPrinterDevice(std::shared_ptr<VirtualPrinterRun> run)
    : run_(std::move(run)), surface_(run_->config.face) {
  const DeviceCaps caps = virtual_printer_caps(run_->config);
  width_pt_ = caps.phys_width * 72.0 / caps.dpi_x;
  height_pt_ = caps.phys_height * 72.0 / caps.dpi_y;
}

VirtualPrinterDevice::~VirtualPrinterDevice() {
  // A document still open when the printer goes keeps what it printed.
  end_doc();
}

bool VirtualPrinterDevice::open_file(PdfFile& file, const std::string& path, PdfFile::Naming naming) {
  std::string error;
  if (file.open(path, naming, run_->config.sync_each_page, error)) return true;
  failure_ = "cannot write PDF " + path + ": " + error;
  return false;
}

bool VirtualPrinterDevice::start_doc(const std::string& name) {
  if (file_ != nullptr) return false;  // one document at a time
  VirtualPrinterRun& run = *run_;
  title_ = name;
  if (run.config.one_file) {
    if (!run.run_file.is_open() &&
        !open_file(run.run_file, run.config.output_path, PdfFile::Naming::replace)) {
      return false;
    }
    file_ = &run.run_file;
    return true;
  }
  // A new file per document; files of earlier runs are never overwritten.
  std::string path;
  do {
    path = numbered_path(run.config.output_path, ++run.last_number);
  } while (std::filesystem::exists(path) && run.last_number < 1000000);
  if (!open_file(doc_file_, path, PdfFile::Naming::fresh)) return false;
  file_ = &doc_file_;
  return true;
}

void VirtualPrinterDevice::start_page() {
  if (file_ == nullptr || sheet_ != nullptr) return;
  // Recorded first: text is laid out with the font options the screen
  // sheet uses, whatever the PDF surface would pick.
  cairo_rectangle_t extents{0, 0, width_pt_, height_pt_};
  sheet_ = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  surface_.begin(sheet_);
}

void VirtualPrinterDevice::drop_page() {
  surface_.end();
  if (sheet_ != nullptr) cairo_surface_destroy(sheet_);
  sheet_ = nullptr;
}

// The recorded sheet as a one-page PDF document of its own, in memory.
bool VirtualPrinterDevice::sheet_document(std::string& pdf, std::string& error) {
  pdf.clear();
  cairo_surface_t* page = cairo_pdf_surface_create_for_stream(append_to_page, &pdf, width_pt_, height_pt_);
  cairo_pdf_surface_set_metadata(page, CAIRO_PDF_METADATA_TITLE, title_.c_str());
  cairo_pdf_surface_set_metadata(page, CAIRO_PDF_METADATA_CREATOR, "Morvane");
  cairo_t* cr = cairo_create(page);
  cairo_set_source_surface(cr, sheet_, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_finish(page);
  const cairo_status_t status = cairo_surface_status(page);
  cairo_surface_destroy(page);
  if (status == CAIRO_STATUS_SUCCESS) return true;
  error = std::string("the page could not be drawn: ") + cairo_status_to_string(status);
  return false;
}

bool VirtualPrinterDevice::end_page() {
  if (sheet_ == nullptr) return false;
  surface_.end();
  std::string error;
  const bool stored = sheet_document(page_, error) && file_->add_page(page_, error);
  failure_ = stored ? std::string() : "cannot write PDF " + file_->path() + ": " + error;
  page_.clear();
  drop_page();
  return stored;
}

void VirtualPrinterDevice::end_doc() {
  if (sheet_ != nullptr) end_page();
  if (file_ == &doc_file_) run_->complete(doc_file_);
  file_ = nullptr;
}

void VirtualPrinterDevice::abort_doc() {
  // The open sheet is lost with the document. With a file per document the
  // whole file goes; in the run's file the sheets already added stay.
  drop_page();
  if (file_ == &doc_file_) doc_file_.discard();
  file_ = nullptr;
}

VirtualPrinterSystem::VirtualPrinterSystem(VirtualPrinterConfig config)
    : run_(std::make_shared<VirtualPrinterRun>(std::move(config))) {}

std::string VirtualPrinterSystem::default_device_string() {
  return std::string(kOwnPrinterName) + ",morvane," + run_->config.output_path;
}

std::unique_ptr<PrinterDevice> VirtualPrinterSystem::create_device(const PrinterNames& names) {
  if (names.device != kOwnPrinterName) return nullptr;
  return std::make_unique<VirtualPrinterDevice>(run_);
}

int VirtualPrinterSystem::wait_print_jobs() {
  run_->jobs.wait_all();
  return run_->jobs.failures();
}

}  // namespace morvane
