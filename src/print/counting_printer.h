// Counts the sheets a run prints, passing every call on to the real printer.
#pragma once

#include <memory>

#include "print/printer.h"

namespace morvane {

class CountingPrinterSystem final : public PrinterSystem {
 public:
  explicit CountingPrinterSystem(PrinterSystem& inner) : inner_(inner) {}
  std::string default_device_string() override { return inner_.default_device_string(); }
  std::unique_ptr<PrinterDevice> create_device(const PrinterNames& names) override;
  int sheets() const { return sheets_; }

 private:
  PrinterSystem& inner_;
  int sheets_ = 0;
};

}  // namespace morvane
