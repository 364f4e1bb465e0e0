// The connection dialogs' decisions on stand-in channels: list positions,
// enabled controls, and the order in which OK touches the line and the port.
#include "config/connection_choice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/port_labels.h"
#include "io/serial_line.h"
#include "io/serial_line_ring.h"
#include "io/serial_port.h"

namespace morvane {
namespace {

using Events = std::vector<std::string>;

// A block in memory that logs what the serial line does with it.
class LoggedBlock : public SharedBlock {
 public:
  explicit LoggedBlock(Events& events) : events_(events) {}
  bool open(const std::string& name, std::size_t) override {
    events_.push_back("line open " + name);
    return true;
  }
  std::uint8_t* map(int&) override { return memory_; }
  void unmap() override {}
  void close() override { events_.push_back("line close"); }

 private:
  Events& events_;
  alignas(4) std::uint8_t memory_[kSerialBlockSize] = {};
};

class LoggedDevice : public SerialDevice {
 public:
  LoggedDevice(Events& events, std::string path) : events_(events), path_(std::move(path)) {}
  ~LoggedDevice() override { events_.push_back("port close " + path_); }
  void clear_errors() override {}
  bool save_configuration() override { return true; }
  bool apply_configuration(const LineConfig& c) override {
    events_.push_back("port configure " + std::to_string(c.baud_rate));
    return true;
  }
  void restore_configuration() override {}
  int read_queued(std::uint8_t*, int) override { return 0; }
  int modem_status() override { return 0; }

 private:
  Events& events_;
  std::string path_;
};

struct Channels {
  Events events;
  std::vector<std::string> messages;
  bool ports_open = true;
  SerialLine line{nullptr, std::make_unique<LoggedBlock>(events)};
  SerialPort port{[this](const std::string& text, const std::string&) { messages.push_back(text); },
                  [this](const std::string& path) {
                    events.push_back("port open " + path);
                    DeviceOpenResult r;
                    if (!ports_open) return r;
                    r.device = std::make_unique<LoggedDevice>(events, path);
                    r.failure = OpenFailure::none;
                    return r;
                  }};
  Settings settings;

  void start_on_line(int lyn) {
    settings.lyn = lyn;
    line.open_serial_line(lyn);
    events.clear();
  }
  void start_on_port(int com) {
    settings.com = port.select_serial_port(com);
    events.clear();
  }
};

TEST(ConnectionLists, PositionsOfSettings) {
  struct Case {
    int value, line, port;
  } cases[] = {
      {0, kNoSelection, 0}, {1, 0, 1},   {5, 4, 5},
      {20, 19, 20},         {21, 20, kNoSelection},
      {99, 98, kNoSelection}, {100, kNoSelection, kNoSelection},
      {-1, kNoSelection, kNoSelection}, {INT32_MIN, kNoSelection, kNoSelection},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(serial_line_position(c.value), c.line) << c.value;
    EXPECT_EQ(port_position(c.value), c.port) << c.value;
  }
  EXPECT_EQ(line_number_of(11), 12);
  EXPECT_EQ(line_number_of(kNoSelection), 0);
  EXPECT_EQ(line_number_of(kSerialLineCount), 0);
}

TEST(ConnectionLists, PortSettingsOutsideAListSelectTheFirstEntry) {
  struct Case {
    int value, count, expected;
  } cases[] = {
      {6, kBaudCount, 6},   {14, kBaudCount, 14}, {15, kBaudCount, 0}, {-1, kBaudCount, 0},
      {1, kByteSizeCount, 1}, {2, kByteSizeCount, 0}, {2, kParityCount, 2},
      {3, kStopBitsCount, 0}, {INT32_MAX, kFlowCount, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(setting_position(c.value, c.count), c.expected) << c.value;
}

TEST(ConnectionLists, EnablesFollowThePort) {
  struct Case {
    int com;
    bool open_line, open_settings, change_line, change_settings;
  } cases[] = {
      {0, true, false, true, false},
      {2, false, true, false, true},
      {20, false, true, false, true},
      // A "com" no entry stands for: nothing is chosen, so the serial line list stays usable.
      {-1, true, false, false, true},
  };
  for (const Case& c : cases) {
    const ConnectionEnables at_open = enables_at_open(c.com);
    EXPECT_EQ(at_open.line_list, c.open_line) << c.com;
    EXPECT_EQ(at_open.settings_button, c.open_settings) << c.com;
    const ConnectionEnables changed = enables_for_port(c.com);
    EXPECT_EQ(changed.line_list, c.change_line) << c.com;
    EXPECT_EQ(changed.settings_button, c.change_settings) << c.com;
  }
}

TEST(ConnectionChoice, SerialLineReopensWithTheChosenNumber) {
  Channels ch;
  ch.start_on_port(3);
  apply_connection_choice(ch.line, ch.port, ch.settings, serial_line_position(12), 0);
  EXPECT_EQ(ch.settings.com, 0);
  EXPECT_EQ(ch.settings.lyn, 12);
  EXPECT_EQ(ch.line.state().side, kSideA);
  // The serial line comes up before the port is let go.
  EXPECT_EQ(ch.events, (Events{"line open NH_SCOM12", "port close " + system_device_path(3)}));
}

TEST(ConnectionChoice, PortReplacesTheSerialLineAndKeepsItsNumber) {
  Channels ch;
  ch.start_on_line(5);
  apply_connection_choice(ch.line, ch.port, ch.settings, serial_line_position(12), 2);
  EXPECT_EQ(ch.settings.com, 2);
  EXPECT_EQ(ch.settings.lyn, 5);
  EXPECT_EQ(ch.line.state().side, kSideClosed);
  EXPECT_EQ(ch.events, (Events{"line close", "port open " + system_device_path(2),
                               "port configure 9600"}));
}

TEST(ConnectionChoice, SamePortStaysOpenUntouched) {
  Channels ch;
  ch.start_on_port(4);
  apply_connection_choice(ch.line, ch.port, ch.settings, 0, 4);
  EXPECT_EQ(ch.settings.com, 4);
  EXPECT_TRUE(ch.events.empty()) << ch.events.front();
}

TEST(ConnectionChoice, PortThatFailsLeavesNoChannel) {
  Channels ch;
  ch.start_on_line(7);
  ch.ports_open = false;
  apply_connection_choice(ch.line, ch.port, ch.settings, serial_line_position(7), 9);
  EXPECT_EQ(ch.settings.com, 0);
  EXPECT_EQ(ch.line.state().side, kSideClosed);
  ASSERT_EQ(ch.messages.size(), 1u);
  EXPECT_EQ(ch.messages[0], "Can't open serial port <COM9:>");
}

TEST(ConnectionChoice, NoSelectionInEitherList) {
  // No line entry: the line opens again with the number it had.
  Channels ch;
  ch.start_on_line(33);
  apply_connection_choice(ch.line, ch.port, ch.settings, kNoSelection, 0);
  EXPECT_EQ(ch.settings.lyn, 33);
  EXPECT_EQ(ch.events, (Events{"line close", "line open NH_SCOM33"}));

  // No port entry: neither channel is opened, any port is closed, "com" is 0.
  Channels none;
  none.start_on_port(6);
  none.settings.com = 77;
  apply_connection_choice(none.line, none.port, none.settings, 0, kNoSelection);
  EXPECT_EQ(none.settings.com, 0);
  EXPECT_EQ(none.line.state().side, kSideClosed);
  EXPECT_EQ(none.events, (Events{"port close " + system_device_path(6)}));
}

TEST(PortSettingsChoice, StoresAllFiveAndConfiguresTheOpenPort) {
  Channels ch;
  ch.start_on_port(1);
  // "19k2", "7", "Even parity", "2 stopbits", "Hardware".
  apply_port_settings(ch.port, ch.settings, {8, 0, 2, 2, 2});
  const Settings& s = ch.settings;
  EXPECT_EQ((std::vector<int>{s.baudrate, s.bytesize, s.parity, s.stopbits, s.flowctrl}),
            (std::vector<int>{8, 0, 2, 2, 2}));
  EXPECT_EQ(ch.events, (Events{"port configure 19200"}));
  EXPECT_EQ(ch.port.state().output_lines, kLineDtr);
  EXPECT_EQ(port_settings_of(s).baudrate, 8);

  // Without an open port the choice waits for the next open.
  Channels idle;
  apply_port_settings(idle.port, idle.settings, {12, 1, 0, 0, 0});
  EXPECT_TRUE(idle.events.empty());
  EXPECT_EQ(idle.port.port_settings().baudrate, 12);
}

}  // namespace
}  // namespace morvane
