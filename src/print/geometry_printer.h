// A printer that is measured but prints nothing: the page geometry of the
// virtual printer where no output is wanted, or cannot be made.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "print/printer.h"

namespace morvane {

class GeometryPrinterSystem final : public PrinterSystem {
 public:
  using SurfaceFactory = std::function<std::unique_ptr<Surface>()>;
  // `name` is the printer's device name; metrics_surface makes the surface
  // whose font metrics the printer reports.
  GeometryPrinterSystem(std::string name, const DeviceCaps& caps, SurfaceFactory metrics_surface)
      : name_(std::move(name)), caps_(caps), make_surface_(std::move(metrics_surface)) {}

  std::string default_device_string() override;
  std::unique_ptr<PrinterDevice> create_device(const PrinterNames& names) override;

 private:
  std::string name_;
  DeviceCaps caps_;
  SurfaceFactory make_surface_;
};

}  // namespace morvane
