// The serial port: receive-only access to COM1..COM20 (or a device path),
// configured from the port settings; the configuration the port had before is
// put back when it is closed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "io/error_sink.h"
#include "io/port_settings.h"

namespace morvane {

// One open port as the platform sees it. Closing happens in the destructor.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // Clears the port's error condition.
  virtual void clear_errors() = 0;
  // Reads the port's current configuration and keeps it for restore; false
  // when it cannot be read.
  virtual bool save_configuration() = 0;
  // Reads the current configuration afresh, changes what config governs and
  // applies it. False, with the port unchanged, when it cannot be read.
  virtual bool apply_configuration(const LineConfig& config) = 0;
  // Applies the configuration kept by save_configuration.
  virtual void restore_configuration() = 0;
  // Copies up to capacity bytes already waiting; 0 when none or on failure.
  // Never blocks and never touches buf after returning.
  virtual int read_queued(std::uint8_t* buf, int capacity) = 0;
  // The modem status bits (kModemCts ...), or -1.
  virtual int modem_status() = 0;
  // True once the device has gone (unplugged, the other end of a pty
  // closed): nothing will ever be read from it again.
  virtual bool vanished() const { return false; }
  // Bytes the system has received for us that wait to be read; 0 when unknown.
  virtual int queued() { return 0; }
  // False once another program removed or replaced the port's lock file.
  virtual bool lock_intact() const { return true; }
};

enum class OpenFailure { none, port, event };

struct DeviceOpenResult {
  std::unique_ptr<SerialDevice> device;
  OpenFailure failure = OpenFailure::port;
  std::string detail;  // why, when the system's last error does not say it (a lock's holder)
};

using DeviceOpener = std::function<DeviceOpenResult(const std::string& path)>;

// The platform's serial devices: \\.\COMn on Windows, /dev/ttyS<n-1> elsewhere.
DeviceOpenResult open_system_serial_device(const std::string& path);
std::string system_device_path(int index);

constexpr std::int32_t kDevicePathPort = -1;  // open port index of a port opened by path

struct SerialPortState {
  std::unique_ptr<SerialDevice> device;
  std::int32_t open_port_index = 0;
  std::uint32_t output_lines = 0;  // kLineDtr | kLineRts as last configured
  bool saved_held = false;
};

class SerialPort {
 public:
  explicit SerialPort(ErrorSink report = {}, DeviceOpener opener = open_system_serial_device);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // The five settings indexes; configure_serial_port applies them.
  void set_port_settings(const PortSettings& settings) { settings_ = settings; }
  const PortSettings& port_settings() const { return settings_; }

  int select_serial_port(int index);
  int open_serial_port(int index);
  // Opens a port by its device path; shown_name is what messages call it.
  bool open_serial_device(const std::string& path, const std::string& shown_name);
  void close_serial_port();
  void configure_serial_port();
  int read_serial_port(std::uint8_t* buf, int capacity);
  int get_port_modem_status();
  // The open port's device has gone; reads give nothing from now on.
  bool port_lost() const { return state_.device && state_.device->vanished(); }
  // Received bytes waiting to be read; 0 without a port.
  int queued_bytes() { return state_.device ? state_.device->queued() : 0; }
  // False once the open port's lock file is no longer ours.
  bool lock_intact() const { return !state_.device || state_.device->lock_intact(); }

  const SerialPortState& state() const { return state_; }
  // Why the last open failed, when the opener knew more than the system's
  // last error tells ("in use by process 1234 ..."); empty otherwise.
  const std::string& failure_detail() const { return failure_detail_; }

 private:
  bool open_device(const std::string& path, const std::string& shown_name, int index);
  void report(const std::string& text);

  ErrorSink report_;
  DeviceOpener opener_;
  PortSettings settings_;
  SerialPortState state_;
  std::string failure_detail_;
};

}  // namespace morvane
