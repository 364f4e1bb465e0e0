// Reading the chosen printer's names from a device-names block, including
// blocks that are malformed or hold names the comma-separated form would break.
#include "config/printer_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

// A block with the three names laid out after the header in the usual order
// (driver, device, port).
std::vector<std::uint8_t> block_of(const std::string& driver, const std::string& device,
                                   const std::string& port) {
  std::vector<std::uint8_t> b(8, 0);
  auto put = [&b](int word, const std::string& text) {
    const std::size_t offset = b.size();
    b[2 * word] = static_cast<std::uint8_t>(offset & 0xFF);
    b[2 * word + 1] = static_cast<std::uint8_t>(offset >> 8);
    b.insert(b.end(), text.begin(), text.end());
    b.push_back(0);
  };
  put(0, driver);
  put(1, device);
  put(2, port);
  return b;
}

PrinterNames read(const std::vector<std::uint8_t>& b) { return read_device_names(b.data(), b.size()); }

TEST(DeviceNames, NamesTakenWhole) {
  struct Case {
    const char *driver, *device, *port, *expected_port;
  } cases[] = {
      {"wineps.drv", "Morvane File", "/tmp/job.ps", "/tmp/job.ps"},
      {"winspool", "Office, 2nd floor", "Ne00:", "Ne00:"},
      {"drv,v2", "Laser", "LPT1:", "LPT1:"},
      {"winspool", "PDF", "", kNoPortName},
  };
  for (const Case& c : cases) {
    const PrinterNames n = read(block_of(c.driver, c.device, c.port));
    EXPECT_EQ(n.driver, c.driver);
    EXPECT_EQ(n.device, c.device);
    EXPECT_EQ(n.port, c.expected_port);
    EXPECT_TRUE(n.complete()) << c.device;
  }
}

TEST(DeviceNames, LongNamesAreCut) {
  const std::string longest(300, 'd');
  const PrinterNames n = read(block_of("winspool", longest, "LPT1:"));
  EXPECT_EQ(n.device, std::string(kMaxPrinterName, 'd'));
  EXPECT_EQ(n.port, "LPT1:");
}

TEST(DeviceNames, MalformedBlocksStayInside) {
  EXPECT_FALSE(read_device_names(nullptr, 0).complete());
  EXPECT_FALSE(read({1, 0, 2}).complete());  // shorter than the header

  // Offsets into the header or past the end give empty names.
  auto b = block_of("drv", "dev", "port");
  b[0] = 3;  // driver offset inside the header
  b[2] = 0xFF;
  b[3] = 0x7F;  // device offset far past the end
  PrinterNames n = read(b);
  EXPECT_EQ(n.driver, "");
  EXPECT_EQ(n.device, "");
  EXPECT_EQ(n.port, "port");
  EXPECT_FALSE(n.complete());

  // A last name without its terminator ends at the block's end.
  auto open_end = block_of("drv", "dev", "LPT1:");
  open_end.pop_back();
  EXPECT_EQ(read(open_end).port, "LPT1:");
  open_end.resize(open_end.size() - 2);
  EXPECT_EQ(read(open_end).port, "LPT");
}

}  // namespace
}  // namespace morvane
