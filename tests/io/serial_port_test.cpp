// The serial port's own logic, on stand-in devices: which ports open, what
// the user is told, how settings are applied and what is restored.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "io/serial_port.h"

namespace morvane {
namespace {

struct Message {
  std::string text;
  std::string caption;
};

// What happened to the stand-in devices, kept beyond their lifetime.
struct DeviceLog {
  std::vector<std::string> opened_paths;
  std::vector<LineConfig> applied;
  int saves = 0;
  int restores = 0;
  int closes = 0;
  LineConfig restored;
  LineConfig current;  // the port's configuration as a device would report it
  bool readable = true;
  std::vector<std::uint8_t> queued;
};

class StandInDevice : public SerialDevice {
 public:
  explicit StandInDevice(DeviceLog& log) : log_(log) {}
  ~StandInDevice() override { ++log_.closes; }
  void clear_errors() override {}
  bool save_configuration() override {
    ++log_.saves;
    saved_ = log_.current;
    return log_.readable;
  }
  bool apply_configuration(const LineConfig& config) override {
    if (!log_.readable) return false;
    log_.applied.push_back(config);
    log_.current = config;
    return true;
  }
  void restore_configuration() override {
    ++log_.restores;
    log_.current = saved_;
  }
  int read_queued(std::uint8_t* buf, int capacity) override {
    int n = 0;
    while (n < capacity && !log_.queued.empty()) {
      buf[n++] = log_.queued.front();
      log_.queued.erase(log_.queued.begin());
    }
    return n;
  }
  int modem_status() override { return kModemCts | kModemRlsd; }

 private:
  DeviceLog& log_;
  LineConfig saved_;
};

class SerialPortTest : public ::testing::Test {
 protected:
  SerialPortTest()
      : port_([this](const std::string& text, const std::string& caption) { messages_.push_back({text, caption}); },
              [this](const std::string& path) {
                log_.opened_paths.push_back(path);
                DeviceOpenResult result;
                result.failure = failure_;
                if (failure_ == OpenFailure::none) result.device = std::make_unique<StandInDevice>(log_);
                return result;
              }) {}

  DeviceLog log_;
  OpenFailure failure_ = OpenFailure::none;
  std::vector<Message> messages_;
  SerialPort port_;
};

TEST_F(SerialPortTest, IndexesOutsideOneToTwentyOpenNothing) {
  for (int index : {0, -1, 21, 1000}) {
    EXPECT_EQ(port_.open_serial_port(index), 0) << index;
  }
  EXPECT_TRUE(log_.opened_paths.empty()) << "no system call";
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(port_.get_port_modem_status(), -1);
}

TEST_F(SerialPortTest, PortThatCannotBeOpenedIsReportedByItsShownName) {
  failure_ = OpenFailure::port;
  EXPECT_EQ(port_.select_serial_port(7), 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Can't open serial port <COM7:>");
  EXPECT_EQ(messages_[0].caption, "Serial Communications");
  EXPECT_EQ(log_.opened_paths, std::vector<std::string>{system_device_path(7)});
  EXPECT_EQ(port_.state().open_port_index, 0);
}

TEST_F(SerialPortTest, EventFailureIsReportedAndHoldsNoPort) {
  failure_ = OpenFailure::event;
  EXPECT_EQ(port_.open_serial_port(20), 0);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Can't create overlapped handle for <COM20:>");
  EXPECT_EQ(messages_[0].caption, "Serial Communications");
  EXPECT_FALSE(port_.state().device);
}

TEST_F(SerialPortTest, SelectingTheOpenPortNeitherReopensNorReconfigures) {
  EXPECT_EQ(port_.select_serial_port(3), 3);
  EXPECT_EQ(port_.select_serial_port(3), 3);
  EXPECT_EQ(log_.opened_paths.size(), 1u);
  EXPECT_EQ(log_.applied.size(), 1u);

  EXPECT_EQ(port_.select_serial_port(4), 4);
  EXPECT_EQ(log_.closes, 1) << "the old port is closed first";
  EXPECT_EQ(port_.select_serial_port(0), 0);
  EXPECT_EQ(log_.closes, 2);
  EXPECT_EQ(port_.read_serial_port(nullptr, 0), 0);
}

TEST_F(SerialPortTest, ClosedPortIsOpenedAgainWhenSelected) {
  EXPECT_EQ(port_.select_serial_port(5), 5);
  port_.close_serial_port();
  EXPECT_EQ(port_.state().open_port_index, 5) << "close leaves the index";
  EXPECT_EQ(port_.select_serial_port(5), 5);
  EXPECT_TRUE(port_.state().device) << "but a closed port is not taken for an open one";
  EXPECT_EQ(log_.opened_paths.size(), 2u);
}

TEST_F(SerialPortTest, OutputLinesFollowFlowControl) {
  struct Case {
    std::int32_t flowctrl;
    std::uint32_t lines;
  };
  for (const Case& c : {Case{0, kLineDtr | kLineRts}, Case{1, kLineDtr | kLineRts}, Case{2, kLineDtr}}) {
    PortSettings settings;
    settings.flowctrl = c.flowctrl;
    port_.set_port_settings(settings);
    ASSERT_EQ(port_.open_serial_port(1), 1);
    EXPECT_EQ(port_.state().output_lines, c.lines) << c.flowctrl;
    EXPECT_EQ(log_.applied.back().flow, static_cast<FlowControl>(c.flowctrl));
  }
}

TEST_F(SerialPortTest, CloseRestoresTheConfigurationFromBeforeTheFirstConfigure) {
  log_.current.baud_rate = 1200;
  log_.current.data_bits = 7;
  ASSERT_EQ(port_.open_serial_port(2), 2);
  for (int baud : {0, 8, 12}) {
    PortSettings settings;
    settings.baudrate = baud;
    port_.set_port_settings(settings);
    port_.configure_serial_port();
  }
  EXPECT_EQ(log_.current.baud_rate, 115200u);
  EXPECT_EQ(log_.saves, 1) << "reconfiguring keeps the first saved configuration";
  port_.close_serial_port();
  EXPECT_EQ(log_.restores, 1);
  EXPECT_EQ(log_.current.baud_rate, 1200u);
  EXPECT_EQ(log_.current.data_bits, 7);
  port_.close_serial_port();
  EXPECT_EQ(log_.restores, 1) << "closing twice is harmless";
  EXPECT_EQ(log_.closes, 1);
}

TEST_F(SerialPortTest, UnreadableConfigurationChangesNothing) {
  log_.readable = false;
  ASSERT_EQ(port_.open_serial_port(9), 9);
  EXPECT_TRUE(log_.applied.empty());
  EXPECT_EQ(port_.state().output_lines, 0u) << "never configured";
  EXPECT_FALSE(port_.state().saved_held);
  port_.close_serial_port();
  EXPECT_EQ(log_.restores, 0) << "nothing held, nothing restored";
}

TEST_F(SerialPortTest, ConfigureWithoutAPortDoesNothing) {
  port_.configure_serial_port();
  EXPECT_TRUE(log_.applied.empty());
  PortSettings settings;
  settings.parity = 2;
  port_.set_port_settings(settings);
  ASSERT_EQ(port_.open_serial_port(1), 1);
  EXPECT_EQ(log_.applied.back().parity, kEvenParity) << "the settings apply at the next open";
}

TEST_F(SerialPortTest, ReadsAndModemStatusGoToTheOpenPort) {
  EXPECT_EQ(port_.get_port_modem_status(), -1);
  ASSERT_EQ(port_.open_serial_port(1), 1);
  log_.queued.assign(300, 0x5a);
  std::uint8_t buf[256];
  EXPECT_EQ(port_.read_serial_port(buf, 256), 256);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 44);
  EXPECT_EQ(port_.read_serial_port(buf, 256), 0);
  EXPECT_EQ(port_.get_port_modem_status(), kModemCts | kModemRlsd);
}

TEST_F(SerialPortTest, OpeningAgainClosesThePortFirst) {
  ASSERT_EQ(port_.open_serial_port(1), 1);
  ASSERT_EQ(port_.open_serial_port(2), 2);
  EXPECT_EQ(log_.closes, 1);
  EXPECT_EQ(log_.restores, 1);
}

TEST_F(SerialPortTest, DeviceByPath) {
  EXPECT_TRUE(port_.open_serial_device("/dev/ttyUSB0", "/dev/ttyUSB0"));
  EXPECT_EQ(log_.opened_paths.back(), "/dev/ttyUSB0");
  EXPECT_EQ(port_.state().open_port_index, kDevicePathPort);
  failure_ = OpenFailure::port;
  EXPECT_FALSE(port_.open_serial_device("/dev/nothing", "/dev/nothing"));
  EXPECT_EQ(messages_.back().text, "Can't open serial port </dev/nothing>");
}

TEST(PortSettings, TablesAndDefaults) {
  struct Case {
    PortSettings settings;
    std::uint32_t baud;
    int data_bits;
    int parity;
    int stop_bits;
    FlowControl flow;
  };
  const std::vector<Case> cases = {
      {{}, 9600, 8, kNoParity, kOneStopBit, FlowControl::none},
      {{0, 0, 1, 1, 2}, 110, 7, kOddParity, kOneAndHalfStopBits, FlowControl::hardware},
      {{14, 1, 2, 2, 1}, 256000, 8, kEvenParity, kTwoStopBits, FlowControl::xon_xoff},
      {{10, 1, 0, 0, 0}, 56000, 8, kNoParity, kOneStopBit, FlowControl::none},
      {{15, 2, 3, 3, 3}, 9600, 8, kNoParity, kOneStopBit, FlowControl::none},
      {{-1, -1, -1, -1, -1}, 9600, 8, kNoParity, kOneStopBit, FlowControl::none},
      {{INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX}, 9600, 8, kNoParity, kOneStopBit, FlowControl::none},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const LineConfig config = resolve_port_settings(cases[i].settings);
    EXPECT_EQ(config.baud_rate, cases[i].baud) << i;
    EXPECT_EQ(config.data_bits, cases[i].data_bits) << i;
    EXPECT_EQ(config.parity, cases[i].parity) << i;
    EXPECT_EQ(config.stop_bits, cases[i].stop_bits) << i;
    EXPECT_EQ(config.flow, cases[i].flow) << i;
  }
}

TEST(PortSettings, NamesAndDevices) {
  EXPECT_EQ(serial_port_name(0), "GEEN");
  EXPECT_EQ(serial_port_name(1), "COM1:");
  EXPECT_EQ(serial_port_name(20), "COM20:");
#ifdef _WIN32
  EXPECT_EQ(system_device_path(3), "\\\\.\\COM3");
  EXPECT_EQ(system_device_path(20), "\\\\.\\COM20");
#else
  EXPECT_EQ(system_device_path(1), "/dev/ttyS0");
  EXPECT_EQ(system_device_path(20), "/dev/ttyS19");
#endif
}

}  // namespace
}  // namespace morvane
