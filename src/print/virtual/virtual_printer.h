// The virtual printer: a printer of a chosen paper size and resolution that
// writes every print document as PDF and can hand it to the print queue.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/cairo/cairo_pdf_surface.h"
#include "print/own_printer.h"
#include "print/printer.h"
#include "print/virtual/pdf_file.h"
#include "print/virtual/print_command.h"

namespace morvane {

struct VirtualPrinterConfig {
  Paper paper = Paper::letter;
  std::uint32_t dpi = 600;     // 0 means 600; kept within 72..4800
  std::uint32_t offset = 150;  // unprintable strip on every side, device pixels
  std::string output_path = "Morvane.pdf";
  // true: every document of the run goes into output_path as further sheets;
  // false: one file per document, output_path numbered ("name-0001.pdf").
  bool one_file = true;
  // Run after each finished file (one file: when the run ends), e.g.
  // "lp -d QUEUE"; see print_arguments. Empty: nothing is run.
  std::string print_command;
  // Every page on the disk itself before it counts as stored (else the file
  // is synced once, as it is completed; a killed program loses no page
  // either way, only a crash of the system itself could).
  bool sync_each_page = true;
  // How the dot-matrix emulation's text and bit images are drawn.
  Face face = Face::truetype;
};

// The device capabilities the configuration gives.
DeviceCaps virtual_printer_caps(const VirtualPrinterConfig& config);

// The file of the n-th document (from 1) when every document has its own.
std::string numbered_path(const std::string& path, int n);

// What the system and its devices share for the whole run.
struct VirtualPrinterRun {
  explicit VirtualPrinterRun(VirtualPrinterConfig c) : config(std::move(c)) {}
  ~VirtualPrinterRun();
  VirtualPrinterRun(const VirtualPrinterRun&) = delete;
  VirtualPrinterRun& operator=(const VirtualPrinterRun&) = delete;

  // Finishes a file and hands it to the print command; false with the
  // reason (kept in `failures`) when it could not be completed.
  bool complete(PdfFile& file);
  // Completes the run's file; false with the reasons of every file that
  // could not be completed.
  bool close_files(std::string& error);

  VirtualPrinterConfig config;
  std::string failures;  // of files completed so far, for the end of the run
  PdfFile run_file;  // the one file, once the first document opened it
  int last_number = 0;
  PrintJobs jobs;
};

class VirtualPrinterDevice : public PrinterDevice {
 public:
  explicit VirtualPrinterDevice(std::shared_ptr<VirtualPrinterRun> run);
  ~VirtualPrinterDevice() override;

  DeviceCaps caps() override { return virtual_printer_caps(run_->config); }
  Surface& surface() override { return surface_; }
  bool start_doc(const std::string& name) override;
  void start_page() override;
  bool end_page() override;
  void end_doc() override;
  void abort_doc() override;
  std::string failure() const override { return failure_; }

 private:
  bool open_file(PdfFile& file, const std::string& path, PdfFile::Naming naming);
  void drop_page();
  bool sheet_document(std::string& pdf, std::string& error);

  std::shared_ptr<VirtualPrinterRun> run_;
  CairoPdfSurface surface_;
  PdfFile doc_file_;  // the document's own file, one file per document
  PdfFile* file_ = nullptr;  // where the open document's sheets go
  cairo_surface_t* sheet_ = nullptr;  // the open sheet, recorded
  std::string page_;  // the sheet as a one-page PDF document

  std::string title_;
  std::string failure_;
  double width_pt_ = 0;
  double height_pt_ = 0;
};

class VirtualPrinterSystem : public PrinterSystem {
 public:
  explicit VirtualPrinterSystem(VirtualPrinterConfig config = {});

  std::string default_device_string() override;
  std::unique_ptr<PrinterDevice> create_device(const PrinterNames& names) override;

  const VirtualPrinterConfig& config() const { return run_->config; }
  // Completes the run's file (see VirtualPrinterRun::close_files).
  bool close_files(std::string& error) { return run_->close_files(error); }
  // Print commands that could not start or failed, after waiting for all.
  int wait_print_jobs();

 private:
  std::shared_ptr<VirtualPrinterRun> run_;
};

}  // namespace morvane
