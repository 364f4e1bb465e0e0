#include "app/about.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(AboutText, FormattedByTheWindowSystem) {
  EXPECT_EQ(about_text(),
            "Morvane\n\nA Ti99/4A printer emulator to print\nincoming data from a serialport\n"
            "to a windows printer\n\nCall: Morvane\n\nVersion 1.1a 20040408\n");
}

}  // namespace
}  // namespace morvane
