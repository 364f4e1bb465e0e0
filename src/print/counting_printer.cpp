#include "print/counting_printer.h"

namespace morvane {

namespace {

class CountingDevice final : public PrinterDevice {
 public:
  CountingDevice(std::unique_ptr<PrinterDevice> inner, int& sheets)
      : inner_(std::move(inner)), sheets_(sheets) {}
  DeviceCaps caps() override { return inner_->caps(); }
  Surface& surface() override { return inner_->surface(); }
  bool start_doc(const std::string& name) override { return inner_->start_doc(name); }
  void start_page() override {
    ++sheets_;
    inner_->start_page();
  }
  void end_page() override { inner_->end_page(); }
  void end_doc() override { inner_->end_doc(); }
  void abort_doc() override { inner_->abort_doc(); }
  bool aborted() const override { return inner_->aborted(); }

 private:
  std::unique_ptr<PrinterDevice> inner_;
  int& sheets_;
};

}  // namespace

std::unique_ptr<PrinterDevice> CountingPrinterSystem::create_device(const PrinterNames& names) {
  auto device = inner_.create_device(names);
  if (!device) return nullptr;
  return std::make_unique<CountingDevice>(std::move(device), sheets_);
}

}  // namespace morvane
