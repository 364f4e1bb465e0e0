#include "config/port_labels.h"

#include <gtest/gtest.h>

#include <string>

#include "config/checked_index.h"

namespace morvane {
namespace {

TEST(CheckedIndex, FallsBackOutsideTheTable) {
  struct Case {
    int value, count, fallback, expected;
  } cases[] = {
      {0, 3, 1, 0},   {2, 3, 1, 2},  {3, 3, 1, 1},          {-1, 3, 1, 1},
      {INT32_MIN, 15, 6, 6},         {INT32_MAX, 15, 6, 6}, {5, 3, 7, 0},
      {5, 3, -1, 0},  {0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(checked_index(c.value, c.count, c.fallback), c.expected)
        << c.value << " of " << c.count << " fallback " << c.fallback;
  }
}

TEST(PortDescription, NamesPortAndSettings) {
  struct Case {
    const char* name;
    int com, baudrate, parity, bytesize, stopbits, flowctrl;
    const char* expected;
  } cases[] = {
      {"defaults on COM1", 1, 6, 0, 1, 0, 0, "com1-9600-n-8-1"},
      {"all fields", 3, 12, 1, 0, 1, 2, "com3-115k2-o-7-1.5"},
      {"table ends", 20, 0, 2, 1, 2, 1, "com20-110-e-8-2"},
      {"last baud", 2, 14, 0, 0, 0, 0, "com2-256k-n-7-1"},
      {"serial line", 0, 12, 1, 0, 1, 2, ""},
      {"no such port", 21, 6, 0, 1, 0, 0, ""},
      {"negative port", -1, 6, 0, 1, 0, 0, ""},
      {"indexes past the tables", 4, 15, 3, 2, 3, 9, "com4-9600-n-8-1"},
      {"negative indexes", 4, -1, -1, -1, INT32_MIN, -1, "com4-9600-n-8-1"},
  };
  for (const Case& c : cases) {
    Settings s;
    s.com = c.com;
    s.baudrate = c.baudrate;
    s.parity = c.parity;
    s.bytesize = c.bytesize;
    s.stopbits = c.stopbits;
    s.flowctrl = c.flowctrl;
    EXPECT_EQ(format_port_description(s), c.expected) << c.name;
  }
}

// The dialog's labels shorten thousands to "k" ("14k4", "256k"); each must
// name the rate the port is opened at for the same index.
TEST(PortLabels, EveryBaudLabelNamesTheRateAtItsIndex) {
  ASSERT_EQ(kBaudLabels.size(), kBaudRates.size());
  for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
    std::string digits(kBaudLabels[i]);
    const auto k = digits.find('k');
    std::uint32_t rate = 0;
    if (k == std::string::npos) {
      rate = static_cast<std::uint32_t>(std::stoul(digits));
    } else {
      const std::string after = digits.substr(k + 1);
      rate = static_cast<std::uint32_t>(std::stoul(digits.substr(0, k))) * 1000;
      if (!after.empty()) rate += static_cast<std::uint32_t>(std::stoul(after)) * 100;
    }
    EXPECT_EQ(rate, kBaudRates[i]) << kBaudLabels[i];
  }
}

}  // namespace
}  // namespace morvane
