// Windows build only: the portable backend and the private-profile functions,
// given the same file and the same calls, must leave the same bytes and read
// the same values.
#include <gtest/gtest.h>

#include <vector>

#include "config/ini_profile.h"
#include "config/settings.h"
#include "config/win32_profile.h"
#include "scratch_dir.h"

namespace morvane::testing {
namespace {

struct Write {
  const char* section;
  const char* key;
  const char* value;
};

struct Scenario {
  const char* name;
  const char* before;  // nullptr: no file
  std::vector<Write> writes;
};

TEST(PlatformCompare, SameBytesForSameWrites) {
  const Scenario scenarios[] = {
      {"from nothing", nullptr,
       {{"Morvane", "left", "-2147483648"}, {"font", "name", "Courier New"},
        {"MORVANE", "Top", "1"}, {"font", "NAME", "Arial"}, {"x", "e", ""}}},
      {"edit with comments and foreign sections",
       "; notes\r\n[Other]\r\nx=1\r\n[morvane]\r\nLeft=3\r\nunk=9\r\n[Tail]\r\ny=2\r\n",
       {{"Morvane", "left", "4"}, {"Morvane", "top", "7"}, {"font", "italic", "1"}}},
      {"no final line break", "[a]\r\nk=1\r\n[b]\r\nz=3",
       {{"a", "k2", "2"}, {"b", "z2", "4"}}},
      {"unchanged value", "[s]\n  k = 1\n", {{"s", "k", "1"}}},
      {"padded value", nullptr, {{"s", "k", "  padded  "}}},
      {"utf-8 mark", "\xEF\xBB\xBF[m]\r\nv=3\r\n", {{"m", "w", "4"}, {"m", "v", "5"}}},
  };
  for (const Scenario& sc : scenarios) {
    ScratchDir dir;
    const std::string a = dir.file("platform.ini");
    const std::string b = dir.file("portable.ini");
    if (sc.before) {
      write_bytes(a, sc.before);
      write_bytes(b, sc.before);
    }
    Win32Profile platform(a);
    IniProfile portable(b);
    for (const Write& w : sc.writes) {
      platform.write_string(w.section, w.key, w.value);
      portable.write_string(w.section, w.key, w.value);
    }
    EXPECT_EQ(read_bytes(b), read_bytes(a)) << sc.name;
  }
}

TEST(PlatformCompare, SameBytesForAFullSave) {
  ScratchDir dir;
  Win32Profile platform(dir.file("platform.ini"));
  IniProfile portable(dir.file("portable.ini"));
  Settings s;
  save_settings(platform, s);
  save_settings(portable, s);
  s.com = 4;
  s.font_italic = 9;
  s.font_height = -16;
  save_settings(platform, s);
  save_settings(portable, s);
  EXPECT_EQ(read_bytes(dir.file("portable.ini")), read_bytes(dir.file("platform.ini")));
}

TEST(PlatformCompare, SameReadings) {
  ScratchDir dir;
  const std::string path = dir.file("r.ini");
  write_bytes(path,
              "[m]\r\na=\r\nb=0b101\r\nc=0o17\r\nd=0X10\r\ne=0x\r\nf=  \"-5\"\r\ng=0xFFFFFFFF\r\n"
              "h=-0x10\r\ni=12345678901234567890123456789012345\r\nj=\"\"\r\nk='ab'\r\n"
              "l=\t 7 \t\r\nm=-\r\nn=+-3\r\no=\"x\r\np=a ;b\r\n   [n]  \r\nq=1\r\n[m]\r\nz=1\r\n");
  Win32Profile platform(path);
  IniProfile portable(path);
  for (const char* key : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
                          "p", "q", "z", "missing"}) {
    EXPECT_EQ(portable.get_int("m", key, 777), platform.get_int("m", key, 777)) << key;
    for (std::size_t size : {1u, 2u, 5u, 30u, 64u}) {
      EXPECT_EQ(portable.get_string("m", key, "Def Ault  ", size),
                platform.get_string("m", key, "Def Ault  ", size))
          << key << " size " << size;
    }
  }
  EXPECT_EQ(portable.get_int("N", "Q", 0), platform.get_int("N", "Q", 0));
}

}  // namespace
}  // namespace morvane::testing
