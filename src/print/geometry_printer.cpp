#include "print/geometry_printer.h"

namespace morvane {

namespace {

class GeometryDevice final : public PrinterDevice {
 public:
  GeometryDevice(const DeviceCaps& caps, std::unique_ptr<Surface> surface)
      : caps_(caps), surface_(std::move(surface)) {}
  DeviceCaps caps() override { return caps_; }
  Surface& surface() override { return *surface_; }
  bool start_doc(const std::string&) override { return false; }
  void start_page() override {}
  bool end_page() override { return false; }
  void end_doc() override {}
  void abort_doc() override {}

 private:
  DeviceCaps caps_;
  std::unique_ptr<Surface> surface_;
};

}  // namespace

std::string GeometryPrinterSystem::default_device_string() { return name_ + ",morvane,none"; }

std::unique_ptr<PrinterDevice> GeometryPrinterSystem::create_device(const PrinterNames&) {
  auto surface = make_surface_ ? make_surface_() : nullptr;
  if (!surface) return nullptr;
  return std::make_unique<GeometryDevice>(caps_, std::move(surface));
}

}  // namespace morvane
