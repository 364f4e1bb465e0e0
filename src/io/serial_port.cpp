#include "io/serial_port.h"

namespace morvane {

SerialPort::SerialPort(ErrorSink report, DeviceOpener opener)
    : report_(std::move(report)), opener_(std::move(opener)) {}

SerialPort::~SerialPort() { close_serial_port(); }

// The same port stays open untouched. A port that was closed meanwhile is
// opened again even when its index is still the last one opened.
int SerialPort::select_serial_port(int index) {
  if (index == state_.open_port_index && (index == 0 || state_.device)) return index;
  close_serial_port();
  return open_serial_port(index);
}

int SerialPort::open_serial_port(int index) {
  close_serial_port();  // a second open must not leak the first, exclusive, port
  state_.open_port_index = 0;
  if (index <= 0 || index > kMaxPortIndex) return 0;
  return open_device(system_device_path(index), serial_port_name(index), index) ? index : 0;
}

bool SerialPort::open_serial_device(const std::string& path, const std::string& shown_name) {
  close_serial_port();
  state_.open_port_index = 0;
  return open_device(path, shown_name, kDevicePathPort);
}

bool SerialPort::open_device(const std::string& path, const std::string& shown_name, int index) {
  DeviceOpenResult opened = opener_ ? opener_(path) : DeviceOpenResult{};
  failure_detail_ = opened.detail;
  if (!opened.device || opened.failure != OpenFailure::none) {
    if (opened.failure == OpenFailure::event) {
      report("Can't create overlapped handle for <" + shown_name + ">");
    } else {
      report("Can't open serial port <" + shown_name + ">");
    }
    return false;
  }
  state_.device = std::move(opened.device);
  state_.open_port_index = index;
  configure_serial_port();
  return true;
}

void SerialPort::close_serial_port() {
  if (!state_.device) return;
  if (state_.saved_held) state_.device->restore_configuration();
  state_.saved_held = false;
  state_.device.reset();
}

void SerialPort::configure_serial_port() {
  if (!state_.device) return;
  state_.device->clear_errors();
  if (!state_.saved_held) state_.saved_held = state_.device->save_configuration();
  const LineConfig config = resolve_port_settings(settings_);
  if (!state_.device->apply_configuration(config)) return;
  state_.output_lines = config.flow == FlowControl::hardware ? kLineDtr : kLineDtr | kLineRts;
}

int SerialPort::read_serial_port(std::uint8_t* buf, int capacity) {
  if (!state_.device || buf == nullptr || capacity <= 0) return 0;
  return state_.device->read_queued(buf, capacity);
}

int SerialPort::get_port_modem_status() {
  if (!state_.device) return -1;
  return state_.device->modem_status();
}

void SerialPort::report(const std::string& text) {
  if (report_) report_(text, "Serial Communications");
}

}  // namespace morvane
