#include "print/recording/recording_printer.h"

namespace morvane {

const char* printer_call_name(PrinterCall call) {
  switch (call) {
    case PrinterCall::create_device: return "create_device";
    case PrinterCall::start_doc: return "start_doc";
    case PrinterCall::start_page: return "start_page";
    case PrinterCall::end_page: return "end_page";
    case PrinterCall::end_doc: return "end_doc";
    case PrinterCall::abort_doc: return "abort_doc";
  }
  return "?";
}

std::string RecordingPrinterLog::sequence() const {
  std::string out;
  for (const auto& e : events) {
    if (!out.empty()) out += ' ';
    out += printer_call_name(e.call);
  }
  return out;
}

std::size_t RecordingPrinterLog::count(PrinterCall call) const {
  std::size_t n = 0;
  for (const auto& e : events) n += e.call == call ? 1 : 0;
  return n;
}

std::vector<std::vector<DrawRecord>> RecordingPrinterLog::sheets() const {
  std::vector<std::vector<DrawRecord>> out;
  for (const auto& e : events) {
    if (e.call == PrinterCall::end_page) out.push_back(e.drawing);
  }
  return out;
}

RecordingPrinterDevice::RecordingPrinterDevice(std::shared_ptr<RecordingPrinterLog> log)
    : log_(std::move(log)) {}

RecordingPrinterDevice::~RecordingPrinterDevice() { count_stray(); }

void RecordingPrinterDevice::log_call(PrinterCall call, std::string name) {
  PrinterEvent e;
  e.call = call;
  e.name = std::move(name);
  log_->events.push_back(std::move(e));
}

void RecordingPrinterDevice::count_stray() {
  log_->stray_draws += surface_.records().size();
  surface_.clear();
}

bool RecordingPrinterDevice::start_doc(const std::string& name) {
  count_stray();
  log_call(PrinterCall::start_doc, name);
  log_->cancelled = false;
  if (log_->config.callback) log_->config.callback(PrinterCall::start_doc, *this);
  if (log_->config.fail_start_doc) return false;
  doc_open_ = true;
  return true;
}

void RecordingPrinterDevice::start_page() {
  count_stray();
  log_call(PrinterCall::start_page);
  page_open_ = true;
  if (log_->config.callback) log_->config.callback(PrinterCall::start_page, *this);
}

bool RecordingPrinterDevice::end_page() {
  const bool open = page_open_;
  if (!open) count_stray();
  PrinterEvent e;
  e.call = PrinterCall::end_page;
  e.drawing = surface_.take_records();
  log_->events.push_back(std::move(e));
  page_open_ = false;
  return open && log_->config.fail_end_page.empty();
}

void RecordingPrinterDevice::end_doc() {
  count_stray();
  log_call(PrinterCall::end_doc);
  doc_open_ = false;
  page_open_ = false;
}

void RecordingPrinterDevice::abort_doc() {
  // What was drawn on the open sheet is cancelled with the document.
  surface_.clear();
  log_call(PrinterCall::abort_doc);
  doc_open_ = false;
  page_open_ = false;
}

RecordingPrinterSystem::RecordingPrinterSystem(RecordingPrinterConfig config)
    : log_(std::make_shared<RecordingPrinterLog>()) {
  log_->config = std::move(config);
}

std::unique_ptr<PrinterDevice> RecordingPrinterSystem::create_device(const PrinterNames& names) {
  PrinterEvent e;
  e.call = PrinterCall::create_device;
  e.name = names.device + "," + names.driver + "," + names.port;
  log_->events.push_back(std::move(e));
  if (log_->config.fail_create_device) return nullptr;
  auto device = std::make_unique<RecordingPrinterDevice>(log_);
  if (model_) device->recording().set_metrics_model(model_);
  return device;
}

}  // namespace morvane
