// Serial port through the Windows comm API: \\.\COMn opened exclusively for
// overlapped I/O; reads ask only for what is queued.
#include <windows.h>

#include <algorithm>

#include "io/serial_port.h"

namespace morvane {

namespace {

// A read of queued bytes finishes at once; should the driver still hold it,
// it gets this long before it is cancelled.
constexpr DWORD kReadGraceMs = 100;

class Win32SerialDevice : public SerialDevice {
 public:
  Win32SerialDevice(HANDLE port, HANDLE event) : port_(port) { overlapped_.hEvent = event; }

  ~Win32SerialDevice() override {
    CloseHandle(port_);
    CloseHandle(overlapped_.hEvent);
  }

  void clear_errors() override {
    DWORD errors = 0;
    ClearCommError(port_, &errors, nullptr);
  }

  bool save_configuration() override {
    saved_ = DCB{};
    saved_.DCBlength = sizeof saved_;
    return GetCommState(port_, &saved_) != 0;
  }

  bool apply_configuration(const LineConfig& config) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_, &dcb)) return false;
    dcb.BaudRate = config.baud_rate;
    dcb.ByteSize = static_cast<BYTE>(config.data_bits);
    dcb.Parity = static_cast<BYTE>(config.parity);
    dcb.StopBits = static_cast<BYTE>(config.stop_bits);
    dcb.fParity = config.parity != kNoParity;
    const bool hardware = config.flow == FlowControl::hardware;
    dcb.fOutxCtsFlow = hardware;
    dcb.fOutxDsrFlow = hardware;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    // Toggle, not handshake: RTS would rise only while sending, and we never send.
    dcb.fRtsControl = hardware ? RTS_CONTROL_TOGGLE : RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    // Xon/Xoff: we only receive, so the flow control that means something is
    // ours: XOFF to the sender when our queue fills, XON when it drains.
    dcb.fInX = config.flow == FlowControl::xon_xoff;
    dcb.fAbortOnError = 0;
    SetCommState(port_, &dcb);
    return true;
  }

  void restore_configuration() override { SetCommState(port_, &saved_); }

  int read_queued(std::uint8_t* buf, int capacity) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (vanished_) return 0;
    // A port that was open and no longer answers this has gone (a USB
    // adapter pulled out).
    if (!ClearCommError(port_, &errors, &status)) {
      vanished_ = true;
      return 0;
    }
    if (status.cbInQue == 0) return 0;
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(capacity));
    ResetEvent(overlapped_.hEvent);
    DWORD got = 0;
    if (ReadFile(port_, buf, wanted, &got, &overlapped_)) return static_cast<int>(got);
    if (GetLastError() != ERROR_IO_PENDING) return 0;
    return finish_pending_read();
  }

  int modem_status() override {
    DWORD status = 0;
    if (!GetCommModemStatus(port_, &status)) return -1;
    return static_cast<int>(status);
  }

  bool vanished() const override { return vanished_; }

  int queued() override {
    DWORD errors = 0;
    COMSTAT status{};
    if (vanished_ || !ClearCommError(port_, &errors, &status)) return 0;
    return static_cast<int>(status.cbInQue);
  }

 private:
  // The buffer belongs to the caller once we return: a read still pending is
  // cancelled and waited for, and whatever it did transfer is handed on.
  int finish_pending_read() {
    if (WaitForSingleObject(overlapped_.hEvent, kReadGraceMs) != WAIT_OBJECT_0) CancelIoEx(port_, &overlapped_);
    DWORD got = 0;
    GetOverlappedResult(port_, &overlapped_, &got, TRUE);
    return static_cast<int>(got);
  }

  HANDLE port_;
  OVERLAPPED overlapped_{};
  DCB saved_{};
  bool vanished_ = false;
};

}  // namespace

std::string system_device_path(int index) { return "\\\\.\\COM" + std::to_string(index); }

DeviceOpenResult open_system_serial_device(const std::string& path) {
  DeviceOpenResult result;
  HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    result.failure = OpenFailure::port;
    return result;
  }
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) {
    CloseHandle(port);
    result.failure = OpenFailure::event;
    return result;
  }
  result.device = std::make_unique<Win32SerialDevice>(port, event);
  result.failure = OpenFailure::none;
  return result;
}

}  // namespace morvane
