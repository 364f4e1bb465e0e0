// The termios backend on a pseudo-terminal: the program's end is the pty's
// slave, the test plays the cable at the master.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "io/serial_port.h"
#include "io/serial_port_posix.h"

namespace morvane {
namespace {

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    path_ = name;
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    close(slave_);
  }
  termios slave_settings() {
    termios settings{};
    EXPECT_EQ(tcgetattr(slave_, &settings), 0);
    return settings;
  }
  void send(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    ASSERT_EQ(write(master_, bytes.data(), count), static_cast<ssize_t>(count));
    // Wait until the line discipline has queued all of it at our end.
    for (int tries = 0; tries < 200; ++tries) {
      int queued = 0;
      ioctl(slave_, FIONREAD, &queued);
      if (queued >= static_cast<int>(count)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FAIL() << "bytes did not arrive";
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::vector<std::string> messages_;
  SerialPort port_{[this](const std::string& text, const std::string&) { messages_.push_back(text); }};
};

TEST_F(PtyTest, ConfigurationIsAppliedAndTheOldOneRestored) {
  termios before = slave_settings();
  cfsetispeed(&before, B1200);
  cfsetospeed(&before, B1200);
  before.c_lflag |= ICANON | ECHO;
  before.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);
  ASSERT_EQ(tcsetattr(slave_, TCSANOW, &before), 0);

  PortSettings settings;
  settings.baudrate = 8;  // 19200
  settings.parity = 1;
  settings.stopbits = 2;
  settings.flowctrl = 2;
  port_.set_port_settings(settings);
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  termios during = slave_settings();
  EXPECT_EQ(cfgetispeed(&during), static_cast<speed_t>(B19200));
  EXPECT_TRUE(during.c_cflag & CSTOPB);
  EXPECT_TRUE(during.c_cflag & CRTSCTS);
  EXPECT_TRUE(during.c_cflag & PARODD);  // a pty keeps no parity enable or data size of its own
  EXPECT_FALSE(during.c_lflag & (ICANON | ECHO)) << "raw";
  EXPECT_EQ(during.c_cc[VMIN], 0);
  EXPECT_EQ(port_.state().output_lines, kLineDtr);

  settings.baudrate = 10;  // 56000: no termios constant for it
  port_.set_port_settings(settings);
  port_.configure_serial_port();
  EXPECT_EQ(read_baud_rate(slave_), 56000u);

  port_.close_serial_port();
  const termios after = slave_settings();
  EXPECT_EQ(cfgetispeed(&after), static_cast<speed_t>(B1200));
  EXPECT_TRUE(after.c_lflag & ICANON);
  EXPECT_TRUE(after.c_lflag & ECHO);
  EXPECT_FALSE(after.c_cflag & (CSTOPB | CRTSCTS));
}

TEST_F(PtyTest, QueuedBytesAreReadUpToTheCapacity) {
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  std::uint8_t buf[256];
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0) << "nothing waits";
  send(300, 0);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 256);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[255], 255);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 44);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[43], 43);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0);
}

TEST_F(PtyTest, CableGoneMidRunGivesNothing) {
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  send(10, 1);
  close(master_);
  master_ = -1;
  std::uint8_t buf[256];
  for (int i = 0; i < 3; ++i) EXPECT_GE(port_.read_serial_port(buf, 256), 0);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0);
  port_.get_port_modem_status();
  port_.close_serial_port();
}

TEST_F(PtyTest, ModemStatusOfADeviceWithoutModemLinesIsUnknown) {
  ASSERT_TRUE(port_.open_serial_device(path_, path_));
  int lines = 0;
  const int expected = ioctl(slave_, TIOCMGET, &lines) == 0 ? modem_status_from_lines(lines) : -1;
  EXPECT_EQ(port_.get_port_modem_status(), expected);
  port_.close_serial_port();
  EXPECT_EQ(port_.get_port_modem_status(), -1);
}

TEST_F(PtyTest, PortIsHeldExclusively) {
  ASSERT_TRUE(port_.open_serial_device(path_, "COM3:"));
  SerialPort other{[this](const std::string& text, const std::string&) { messages_.push_back(text); }};
  EXPECT_FALSE(other.open_serial_device(path_, "COM3:"));
  EXPECT_EQ(messages_, std::vector<std::string>{"Can't open serial port <COM3:>"});
  port_.close_serial_port();
  EXPECT_TRUE(other.open_serial_device(path_, "COM3:")) << "free again once closed";
}

TEST(SerialPortPosix, NotATerminalIsNoPort) {
  std::vector<std::string> messages;
  SerialPort port{[&](const std::string& text, const std::string&) { messages.push_back(text); }};
  EXPECT_FALSE(port.open_serial_device("/dev/null", "COM2:"));
  EXPECT_FALSE(port.open_serial_device("/nonexistent/tty", "COM9:"));
  EXPECT_EQ(messages, (std::vector<std::string>{"Can't open serial port <COM2:>", "Can't open serial port <COM9:>"}));
}

TEST(SerialPortPosix, LineSettingsFromConfiguration) {
  struct Case {
    LineConfig config;
    tcflag_t size;
    bool parenb, parodd, cstopb, crtscts, ixoff;
  };
  const std::vector<Case> cases = {
      {{9600, 8, kNoParity, kOneStopBit, FlowControl::none}, CS8, false, false, false, false, false},
      {{300, 7, kOddParity, kOneAndHalfStopBits, FlowControl::hardware}, CS7, true, true, true, true, false},
      {{115200, 8, kEvenParity, kTwoStopBits, FlowControl::xon_xoff}, CS8, true, false, true, false, true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    termios settings{};
    settings.c_cflag = CS5 | PARENB | PARODD | CSTOPB | CRTSCTS;
    settings.c_iflag = IXON | IXOFF | ICRNL | ISTRIP | INPCK;
    settings.c_lflag = ICANON | ECHO | ISIG;
    settings.c_oflag = OPOST;
    make_line_termios(settings, cases[i].config);
    EXPECT_EQ(settings.c_cflag & CSIZE, cases[i].size) << i;
    EXPECT_EQ(!!(settings.c_cflag & PARENB), cases[i].parenb) << i;
    EXPECT_EQ(!!(settings.c_cflag & PARODD), cases[i].parodd) << i;
    EXPECT_EQ(!!(settings.c_cflag & CSTOPB), cases[i].cstopb) << i;
    EXPECT_EQ(!!(settings.c_cflag & CRTSCTS), cases[i].crtscts) << i;
    EXPECT_EQ(!!(settings.c_iflag & IXOFF), cases[i].ixoff) << i;
    EXPECT_FALSE(settings.c_iflag & (IXON | ICRNL | ISTRIP | INPCK)) << i;
    EXPECT_TRUE(settings.c_cflag & CREAD) << i;
    EXPECT_TRUE(settings.c_cflag & CLOCAL) << i;
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u) << i;
    EXPECT_EQ(settings.c_oflag & OPOST, 0u) << i;
  }
}

TEST(SerialPortPosix, ModemLinesToStatusBits) {
  EXPECT_EQ(modem_status_from_lines(0), 0);
  EXPECT_EQ(modem_status_from_lines(TIOCM_CTS), kModemCts);
  EXPECT_EQ(modem_status_from_lines(TIOCM_DSR), kModemDsr);
  EXPECT_EQ(modem_status_from_lines(TIOCM_RNG), kModemRing);
  EXPECT_EQ(modem_status_from_lines(TIOCM_CAR), kModemRlsd);
  EXPECT_EQ(modem_status_from_lines(TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_CAR), kModemCts | kModemRlsd);
}

}  // namespace
}  // namespace morvane
