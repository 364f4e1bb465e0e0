#include "app/about.h"

#include <gtest/gtest.h>

#include <string>

#include "morvane_version.h"

namespace morvane {
namespace {

// The version line names the same release as --version and the packages:
// the major and minor numbers of the project's one version.
TEST(AboutText, FormattedByTheWindowSystemWithTheProjectVersion) {
  const std::string version = kVersionText;
  const std::string major_minor = version.substr(0, version.find('.', version.find('.') + 1));
  EXPECT_EQ(about_text(),
            "Morvane\n\nA Ti99/4A printer emulator to print\nincoming data from a serialport\n"
            "to a windows printer\n\nCall: Morvane\n\nVersion " +
                major_minor + "a 20040408\n");
}

}  // namespace
}  // namespace morvane
