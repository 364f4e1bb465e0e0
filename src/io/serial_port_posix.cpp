// Serial port through termios on a device path, opened without becoming the
// controlling terminal, non-blocking and exclusive.
#include "io/serial_port_posix.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

#include "io/port_lock_posix.h"
#include "io/serial_port.h"

namespace morvane {

namespace {

constexpr std::array<std::pair<std::uint32_t, speed_t>, 11> kSpeeds = {{{110, B110},
                                                                        {300, B300},
                                                                        {600, B600},
                                                                        {1200, B1200},
                                                                        {2400, B2400},
                                                                        {4800, B4800},
                                                                        {9600, B9600},
                                                                        {19200, B19200},
                                                                        {38400, B38400},
                                                                        {57600, B57600},
                                                                        {115200, B115200}}};

speed_t speed_constant(std::uint32_t rate) {
  for (const auto& [bits_per_second, constant] : kSpeeds) {
    if (bits_per_second == rate) return constant;
  }
  return B38400;  // set_custom_baud_rate then sets the exact rate
}

class PosixSerialDevice : public SerialDevice {
 public:
  PosixSerialDevice(int fd, std::unique_ptr<PortLock> lock) : lock_(std::move(lock)), fd_(fd) {}

  // The lock file goes last (with lock_), once the device is closed.
  ~PosixSerialDevice() override {
    ioctl(fd_, TIOCNXCL);
    close(fd_);
  }

  // Line errors are not kept by termios: the bytes arrive as they are.
  void clear_errors() override {}

  bool save_configuration() override { return tcgetattr(fd_, &saved_) == 0; }

  bool apply_configuration(const LineConfig& config) override {
    termios settings{};
    if (tcgetattr(fd_, &settings) != 0) return false;
    make_line_termios(settings, config);
    tcsetattr(fd_, TCSANOW, &settings);
    if (!is_standard_baud_rate(config.baud_rate)) set_custom_baud_rate(fd_, config.baud_rate);
    drive_output_lines(config.flow);
    return true;
  }

  void restore_configuration() override { tcsetattr(fd_, TCSANOW, &saved_); }

  int read_queued(std::uint8_t* buf, int capacity) override {
    if (vanished_) return 0;
    const ssize_t got = read(fd_, buf, static_cast<std::size_t>(capacity));
    if (got > 0) return static_cast<int>(got);
    // With nothing to wait for, a read gives 0 both when nothing came and
    // when the device is gone; only the hang-up tells them apart.
    if (got < 0 ? errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR : hung_up()) vanished_ = true;
    return 0;
  }

  bool vanished() const override { return vanished_; }

  int queued() override {
    int count = 0;
    return !vanished_ && ioctl(fd_, FIONREAD, &count) == 0 && count > 0 ? count : 0;
  }

  bool lock_intact() const override { return !lock_ || lock_->intact(); }

  int modem_status() override {
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0) return -1;
    return modem_status_from_lines(lines);
  }

 private:
  // DTR always; RTS too unless hardware flow control, where the driver
  // raises and drops it as our receive buffer allows. Lines a device does
  // not have (a pty) are no error.
  void drive_output_lines(FlowControl flow) {
    int lines = TIOCM_DTR;
    if (flow != FlowControl::hardware) lines |= TIOCM_RTS;
    ioctl(fd_, TIOCMBIS, &lines);
  }

  // An unplugged adapter or a closed pty master hangs the line up.
  bool hung_up() const {
    pollfd watch{fd_, POLLIN, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
  }

  std::unique_ptr<PortLock> lock_;
  int fd_;
  termios saved_{};
  bool vanished_ = false;
};

std::string user_name() {
  if (const passwd* user = getpwuid(geteuid())) return user->pw_name;
  return "$USER";
}

}  // namespace

bool is_standard_baud_rate(std::uint32_t rate) {
  for (const auto& entry : kSpeeds) {
    if (entry.first == rate) return true;
  }
  return false;
}

void make_line_termios(termios& settings, const LineConfig& config) {
  settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                             IXOFF | IXANY | INPCK);
  // Xon/Xoff: we only receive, so we are the side that says XOFF when full.
  if (config.flow == FlowControl::xon_xoff) settings.c_iflag |= IXOFF;
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  settings.c_cflag |= (config.data_bits == 7 ? CS7 : CS8) | CREAD | CLOCAL;
  if (config.parity != kNoParity) settings.c_cflag |= PARENB;
  if (config.parity == kOddParity) settings.c_cflag |= PARODD;
  // termios has no one and a half stop bits; two is the nearest that a
  // receiver accepts.
  if (config.stop_bits != kOneStopBit) settings.c_cflag |= CSTOPB;
  if (config.flow == FlowControl::hardware) settings.c_cflag |= CRTSCTS;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  const speed_t speed = speed_constant(config.baud_rate);
  cfsetispeed(&settings, speed);
  cfsetospeed(&settings, speed);
}

int modem_status_from_lines(int lines) {
  int status = 0;
  if (lines & TIOCM_CTS) status |= kModemCts;
  if (lines & TIOCM_DSR) status |= kModemDsr;
  if (lines & TIOCM_RNG) status |= kModemRing;
  if (lines & TIOCM_CAR) status |= kModemRlsd;
  return status;
}

// COM1 is the first serial device, /dev/ttyS0.
std::string system_device_path(int index) { return "/dev/ttyS" + std::to_string(index - 1); }

std::string permission_hint(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  const group* owners = getgrgid(info.st_gid);
  const mode_t group_rw = S_IRGRP | S_IWGRP;
  if (owners != nullptr && (info.st_mode & group_rw) == group_rw) {
    const std::string name = owners->gr_name;
    return "permission denied: " + path + " may be opened by the members of group " + name +
           "; add your user to it (sudo usermod -aG " + name + " " + user_name() + ") and log in again";
  }
  const passwd* owner = getpwuid(info.st_uid);
  return "permission denied: only " + (owner != nullptr ? std::string(owner->pw_name) : "its owner") + " may open " +
         path;
}

DeviceOpenResult open_device_locked(const std::string& path, const std::string& lock_directory) {
  DeviceOpenResult result;
  result.failure = OpenFailure::port;
  auto lock = std::make_unique<PortLock>();
  long holder = 0;
  if (!lock->acquire(path, lock_directory, holder)) {
    if (!lock->refusal().empty()) result.detail = lock->refusal();
    else
      result.detail = "in use by " + (holder != 0 ? "process " + std::to_string(holder) : std::string("another program")) +
                      " (lock file " + lock_directory + "/" + port_lock_name(path) + ")";
    return result;
  }
  const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES) result.detail = permission_hint(path);
    return result;
  }
  if (!isatty(fd)) {
    close(fd);
    result.detail = "not a serial device";
    return result;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    result.detail = "in use by another program (it holds the device locked)";
    return result;
  }
  ioctl(fd, TIOCEXCL);
  result.device = std::make_unique<PosixSerialDevice>(fd, std::move(lock));
  result.failure = OpenFailure::none;
  return result;
}

// Exclusive three ways, as terminal programs agree on it: the lock file in
// the lock directory, a flock on the device for the programs that use that
// instead, and TIOCEXCL, which keeps every later open out (except the
// superuser's).
DeviceOpenResult open_system_serial_device(const std::string& path) {
  return open_device_locked(path, system_lock_directory());
}

}  // namespace morvane
