// A printer that prints nothing and remembers every document and sheet call in
// a log shared by the system and its devices, for tests of printing.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gfx/recording/recording_surface.h"
#include "print/printer.h"

namespace morvane {

enum class PrinterCall { create_device, start_doc, start_page, end_page, end_doc, abort_doc };

const char* printer_call_name(PrinterCall call);

struct PrinterEvent {
  PrinterCall call = PrinterCall::start_doc;
  // create_device: "device,driver,port" asked for; start_doc: the document name.
  std::string name;
  // end_page: everything drawn on the sheet that ends.
  std::vector<DrawRecord> drawing;
};

class RecordingPrinterDevice;

struct RecordingPrinterConfig {
  std::string device_string = "Recording Printer,recording,FILE:";
  // Letter at 600 dpi with 150-pixel unprintable strips.
  DeviceCaps caps{4800, 6300, 600, 600, 5100, 6600, 150, 150};
  bool fail_create_device = false;
  bool fail_start_doc = false;
  // Not empty: every sheet fails to be stored, for this reason.
  std::string fail_end_page;
  // Called from start_doc (after it is logged, before it returns) and from
  // start_page; tests use it to imitate what the abort procedure dispatches.
  std::function<void(PrinterCall, RecordingPrinterDevice&)> callback;
};

// What the system and every device it made share.
struct RecordingPrinterLog {
  RecordingPrinterConfig config;
  std::vector<PrinterEvent> events;
  // Drawing calls made while no sheet was open (a real printer loses them).
  std::size_t stray_draws = 0;
  // Set by a test (typically from the callback) to report a user cancel.
  bool cancelled = false;

  // The calls in order, names separated by blanks: "start_doc start_page ...".
  std::string sequence() const;
  std::size_t count(PrinterCall call) const;
  // The drawing of every ended sheet, in order.
  std::vector<std::vector<DrawRecord>> sheets() const;
};

class RecordingPrinterDevice : public PrinterDevice {
 public:
  explicit RecordingPrinterDevice(std::shared_ptr<RecordingPrinterLog> log);
  ~RecordingPrinterDevice() override;

  DeviceCaps caps() override { return log_->config.caps; }
  Surface& surface() override { return surface_; }
  bool start_doc(const std::string& name) override;
  void start_page() override;
  bool end_page() override;
  std::string failure() const override { return log_->config.fail_end_page; }
  void end_doc() override;
  void abort_doc() override;
  bool aborted() const override { return log_->cancelled; }

  RecordingSurface& recording() { return surface_; }
  RecordingPrinterLog& log() { return *log_; }
  bool doc_open() const { return doc_open_; }
  bool page_open() const { return page_open_; }

 private:
  void log_call(PrinterCall call, std::string name = {});
  void count_stray();

  std::shared_ptr<RecordingPrinterLog> log_;
  RecordingSurface surface_;
  bool doc_open_ = false;
  bool page_open_ = false;
};

class RecordingPrinterSystem : public PrinterSystem {
 public:
  explicit RecordingPrinterSystem(RecordingPrinterConfig config = {});

  std::string default_device_string() override { return log_->config.device_string; }
  std::unique_ptr<PrinterDevice> create_device(const PrinterNames& names) override;

  RecordingPrinterConfig& config() { return log_->config; }
  RecordingPrinterLog& log() { return *log_; }
  // Metrics model given to every device made from now on.
  void set_metrics_model(RecordingSurface::MetricsModel model) { model_ = std::move(model); }

 private:
  std::shared_ptr<RecordingPrinterLog> log_;
  RecordingSurface::MetricsModel model_;
};

}  // namespace morvane
