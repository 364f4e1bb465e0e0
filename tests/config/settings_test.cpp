#include "config/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "backends.h"
#include "config/paths.h"
#include "scratch_dir.h"

namespace morvane::testing {
namespace {

const char* const kDefaultFile =
    "[Morvane]\r\nleft=-2147483648\r\ntop=-2147483648\r\nwidth=600\r\nheight=432\r\nopen=0\r\n"
    "lyn=1\r\ncom=0\r\nparity=0\r\nstopbits=0\r\nbaudrate=6\r\nbytesize=1\r\nflowctrl=0\r\n"
    "printertype=0\r\nprinterview=0\r\nprinterenable=1\r\nclosedocument=1\r\n"
    "[font]\r\nitalic=0\r\nheight=-24\r\nweight=400\r\nname=Courier New\r\n";

class SettingsTest : public ::testing::TestWithParam<Backend> {
 protected:
  std::string path() const { return dir.file("Morvane.ini"); }
  Settings load_from(const std::string& bytes) {
    write_bytes(path(), bytes);
    Settings s;
    load_settings(*GetParam().make(path()), s);
    return s;
  }
  std::string save(const Settings& s) {
    save_settings(*GetParam().make(path()), s);
    return read_bytes(path());
  }
  ScratchDir dir;
};

TEST_P(SettingsTest, FirstRunWritesAllTwentyKeysInOrder) {
  const Settings s;
  EXPECT_EQ(s.baudrate, 6);
  EXPECT_EQ(s.bytesize, 1);
  EXPECT_EQ(s.font_height, -24);
  EXPECT_EQ(save(s), kDefaultFile);
}

TEST_P(SettingsTest, FullFileRoundTrips) {
  Settings s;
  s.left = -8;  // a window partly off the left screen edge
  s.top = 40;
  s.width = 800;
  s.height = 500;
  s.open = 3;
  s.lyn = 12;
  s.com = 3;
  s.parity = 1;
  s.stopbits = 1;
  s.baudrate = 12;
  s.bytesize = 0;
  s.flowctrl = 2;
  s.printertype = 1;
  s.printerview = 1;
  s.printerenable = 0;
  s.closedocument = 0;
  s.font_italic = 1;
  s.font_height = -16;
  s.font_weight = 700;
  std::strcpy(s.font_name, "Lucida Console");
  save(s);
  Settings back;
  back.font_height = 0;  // must come from the file
  load_settings(*GetParam().make(path()), back);
  EXPECT_EQ(std::memcmp(&s, &back, sizeof s), 0) << read_bytes(path());
}

TEST_P(SettingsTest, MissingKeysGetFileDefaults) {
  const Settings s = load_from("[font]\r\nweight=700\r\n");
  EXPECT_EQ(s.font_height, -12);
  EXPECT_EQ(s.font_weight, 700);
  EXPECT_STREQ(s.font_name, "Courier New");
  EXPECT_EQ(s.left, kUseDefaultPosition);
  EXPECT_EQ(s.width, 600);
  EXPECT_EQ(s.lyn, 1);
  EXPECT_EQ(s.baudrate, 6);
  EXPECT_EQ(s.printerenable, 1);
  EXPECT_EQ(s.closedocument, 1);
}

TEST_P(SettingsTest, SwitchesDefaultToTheirCurrentValue) {
  write_bytes(path(), "[Morvane]\r\nprinterview=1\r\n");
  Settings s;
  s.printertype = 1;
  s.printerenable = 0;
  load_settings(*GetParam().make(path()), s);
  EXPECT_EQ(s.printertype, 1);
  EXPECT_EQ(s.printerview, 1);
  EXPECT_EQ(s.printerenable, 0);
  EXPECT_EQ(s.closedocument, 1);
}

TEST_P(SettingsTest, WindowKeyHolding9999KeepsBuiltIn) {
  const Settings s = load_from("[Morvane]\r\nleft=9999\r\ntop=20\r\nwidth=9999\r\nheight=0\r\n");
  EXPECT_EQ(s.left, kUseDefaultPosition);
  EXPECT_EQ(s.top, 20);
  EXPECT_EQ(s.width, 600);
  EXPECT_EQ(s.height, 0);
}

TEST_P(SettingsTest, ItalicFiveReadsItalicAndSavesOne) {
  Settings s = load_from("[font]\r\nitalic=5\r\nheight=-16\r\n");
  EXPECT_NE(s.font_italic, 0);
  EXPECT_EQ(s.font_height, -16);
  const std::string saved = save(s);
  EXPECT_NE(saved.find("[font]\r\nitalic=1\r\nheight=-16\r\n"), std::string::npos) << saved;
}

TEST_P(SettingsTest, NonNumericAndOutOfRangeValuesStayAsRead) {
  Settings s = load_from("[Morvane]\r\ncom=three\r\nbaudrate=15\r\nlyn=-4\r\nparity=2x\r\n");
  EXPECT_EQ(s.com, 0);
  EXPECT_EQ(s.baudrate, 15);
  EXPECT_EQ(s.lyn, -4);
  EXPECT_EQ(s.parity, 2);
  const std::string saved = save(s);
  EXPECT_NE(saved.find("com=0\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("parity=2\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("baudrate=15\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("lyn=-4\r\n"), std::string::npos) << saved;
}

TEST_P(SettingsTest, FontNameReadThroughThirtyCharBuffer) {
  Settings s = load_from("[font]\r\nname=abcdefghijklmnopqrstuvwxyz0123456789\r\n");
  EXPECT_STREQ(s.font_name, "abcdefghijklmnopqrstuvwxyz012");
  // A full, unterminated name is written as its 32 characters, nothing beyond.
  std::memset(s.font_name, 'Z', sizeof s.font_name);
  const std::string saved = save(s);
  EXPECT_NE(saved.find("name=" + std::string(32, 'Z') + "\r\n"), std::string::npos) << saved;
}

TEST_P(SettingsTest, SaveKeepsForeignLines) {
  const std::string saved = save(load_from("; hand notes\r\n[Extra]\r\nx=1\r\n[Morvane]\r\ncom=2\r\n"));
  EXPECT_TRUE(saved.starts_with("; hand notes\r\n[Extra]\r\nx=1\r\n[Morvane]\r\ncom=2\r\nleft="))
      << saved;
}

TEST_P(SettingsTest, UnwritableLocationSavesNothingQuietly) {
  write_bytes(dir.file("plain"), "x");
  auto p = GetParam().make(dir.file("plain") + "/Morvane.ini");
  save_settings(*p, Settings{});
  Settings s;
  s.lyn = 42;
  load_settings(*p, s);
  EXPECT_EQ(s.lyn, 1);  // read from nothing: defaults
  EXPECT_EQ(read_bytes(dir.file("plain")), "x");
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsTest, ::testing::ValuesIn(all_backends()), backend_name);

TEST(SettingsPath, BuiltFromTheWorkingDirectory) {
  struct Case {
    const char* dir;
    char sep;
    const char* expected;
  } cases[] = {
      {"C:\\work", '\\', "C:\\work\\Morvane.ini"},
      {"C:\\", '\\', "C:\\Morvane.ini"},
      {"D:/games/", '\\', "D:/games/Morvane.ini"},
      {"/home/ti", '/', "/home/ti/Morvane.ini"},
      {"/", '/', "/Morvane.ini"},
      {"/odd\\", '/', "/odd\\/Morvane.ini"},
      {"", '/', "Morvane.ini"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(path_in_directory(c.dir, kSettingsFileName, c.sep), c.expected) << c.dir;
  }
  EXPECT_EQ(settings_path_from_cwd(std::string("x") + kPathSeparator),
            std::string("x") + kPathSeparator + "Morvane.ini");
  EXPECT_EQ(spool_path_from_cwd("x"), std::string("x") + kPathSeparator + "Morvane.$$$");
}

// The portable program's own settings file lies in the user's configuration
// folder; a variable that names no absolute folder is passed over (the XDG
// rule), and without any the program has no settings file of its own.
TEST(SettingsPaths, TheUsersConfigurationFolder) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  const Case xdg_cases[] = {
      {"/cfg", "/home/u", "/cfg/morvane/Morvane.ini"},
      {"/cfg/", "/home/u", "/cfg/morvane/Morvane.ini"},
      {nullptr, "/home/u", "/home/u/.config/morvane/Morvane.ini"},
      {"", "/home/u/", "/home/u/.config/morvane/Morvane.ini"},
      {"relative/cfg", "/home/u", "/home/u/.config/morvane/Morvane.ini"},
      {".", "/", "/.config/morvane/Morvane.ini"},
      {nullptr, nullptr, ""},
      {"cfg", "home/u", ""},
      {"", "", ""},
  };
  for (const Case& c : xdg_cases) {
    EXPECT_EQ(xdg_settings_path(c.xdg, c.home), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
  const std::pair<const char*, const char*> appdata_cases[] = {
      {"C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\AppData\\Roaming\\Morvane\\Morvane.ini"},
      {"d:/profiles/u/", "d:/profiles/u/Morvane\\Morvane.ini"},
      {"\\\\server\\u", "\\\\server\\u\\Morvane\\Morvane.ini"},
      {"AppData", ""},
      {"C:", ""},
      {"", ""},
      {nullptr, ""},
  };
  for (const auto& [appdata, expected] : appdata_cases)
    EXPECT_EQ(appdata_settings_path(appdata), expected) << (appdata ? appdata : "(unset)");
}

}  // namespace
}  // namespace morvane::testing
