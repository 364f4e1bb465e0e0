#include "config/ini_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace morvane::ini {
namespace {

TEST(IniParseInt, ReadsLikeThePlatform) {
  struct Case {
    const char* text;
    std::int32_t expected;
  } cases[] = {
      {"42", 42},          {"  -12abc", -12},   {"+5", 5},
      {"abc", 0},          {"-", 0},            {"", 0},
      {"12 34", 12},       {"\t8", 8},          {"0x10", 16},
      {"0X10", 0},         {"0x", 0},           {"0b101", 5},
      {"0o17", 15},        {"-0x10", -16},      {"0xFFFFFFFF", -1},
      {"-2147483648", INT32_MIN},               {"2147483647", INT32_MAX},
      {"-2147483649", INT32_MAX},               {"4294967297", 1},
      {"99999999999", 1215752191},              {"007", 7},
      {"9999", 9999},      {"--5", 0},          {"5-", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_int(c.text), c.expected) << '"' << c.text << '"';
}

TEST(IniParseInt, EmptyValueCountsAsMissing) {
  EXPECT_EQ(int_from_value("", -12), -12);
  EXPECT_EQ(int_from_value("x", -12), 0);
}

TEST(IniFindValue, SectionsKeysAndValues) {
  const std::string text =
      "; comment=1\r\n"
      "top=1\r\n"
      "[Other]\r\n"
      "k=other\r\n"
      "  [ Morvane ]  trailing\n"
      "  Left = 3 ; kept\n"
      "quoted=\"Courier New\"\n"
      "single='q'\n"
      "half=\"x\n"
      "empty=\n"
      "noequals\n"
      "[o\n"
      "after=still morvane\n"
      "k=\"\"\n"
      "[morvane]\n"
      "late=1\n";
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  } cases[] = {
      {"morvane", "left", "3 ; kept"},
      {"MORVANE", "LEFT", "3 ; kept"},
      {"Morvane", "quoted", "Courier New"},
      {"Morvane", "single", "q"},
      {"Morvane", "half", "\"x"},
      {"Morvane", "empty", ""},
      {"Morvane", "noequals", std::nullopt},
      {"Morvane", "after", "still morvane"},
      {"Morvane", "k", ""},
      {"Other", "k", "other"},
      {"Morvane", "late", std::nullopt},  // only the first section of a name counts
      {"Morvane", "top", std::nullopt},   // lines before any section belong to none
      {"", "top", std::nullopt},
      {"font", "name", std::nullopt},
      {"Morvane", "; comment", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(find_value(text, c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
}

TEST(IniFindValue, MarkBeforeFirstSection) {
  EXPECT_EQ(find_value("\xEF\xBB\xBF[m]\r\nv=3\r\n", "m", "v"), "3");
}

TEST(IniSetValue, EditsKeepEveryOtherLine) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  } cases[] = {
      {"empty file", "", "Morvane", "left", "5", "[Morvane]\r\nleft=5\r\n"},
      {"new key after last entry, blank line kept",
       "[a]\r\nk=1\r\n\r\n[b]\r\n", "a", "n", "2", "[a]\r\nk=1\r\nn=2\r\n\r\n[b]\r\n"},
      {"replace keeps key spelling and comments",
       "; c\n[Morvane]\n  Left = 3\nunk=9\n", "morvane", "LEFT", "4",
       "; c\n[Morvane]\nLeft=4\nunk=9\n"},
      {"new section follows the file's line breaks", "[a]\nk=1\n", "font", "name", "Arial",
       "[a]\nk=1\n[font]\nname=Arial\n"},
      {"unterminated last line gets a break", "[a]\r\nk=1", "a", "z", "2",
       "[a]\r\nk=1\r\nz=2\r\n"},
      {"unterminated header", "[a]", "a", "z", "2", "[a]\r\nz=2\r\n"},
      {"new section after unterminated line", "[a]\r\nk=1", "b", "z", "2",
       "[a]\r\nk=1\r\n[b]\r\nz=2\r\n"},
      {"key goes into the first section of the name",
       "[a]\r\nx=1\r\n[b]\r\n[a]\r\ny=1\r\n", "A", "y", "2",
       "[a]\r\nx=1\r\ny=2\r\n[b]\r\n[a]\r\ny=1\r\n"},
      {"leading value blanks dropped", "", "s", "k", "  padded  ", "[s]\r\nk=padded  \r\n"},
      {"line break in value cannot add lines", "", "s", "k", "a\r\n[x]\r\nb=1",
       "[s]\r\nk=a\r\n"},
      {"empty value", "", "s", "e", "", "[s]\r\ne=\r\n"},
      {"utf-8 mark kept", "\xEF\xBB\xBF[m]\r\nv=3\r\n", "m", "w", "4",
       "\xEF\xBB\xBF[m]\r\nv=3\r\nw=4\r\n"},
      {"comment line is not a key", "[s]\r\n;k=1\r\n", "s", "k", "2", "[s]\r\n;k=1\r\nk=2\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(set_value(c.before, c.section, c.key, c.value), c.after) << c.name;
  }
}

TEST(IniSetValue, WrittenValueReadsBack) {
  std::string text = "[Morvane]\nleft=1\n";
  for (const char* v : {"-2147483648", "Courier New", "", "x=y", "'quoted'"}) {
    text = set_value(text, "font", "name", v);
    const std::string expected = std::string(v) == "'quoted'" ? "quoted" : v;
    EXPECT_EQ(find_value(text, "font", "name"), expected);
  }
  EXPECT_EQ(find_value(text, "Morvane", "left"), "1");
}

// Any text at all, however mangled: a written key must read back, and
// nothing outside the key's line may be lost.
TEST(IniSetValue, AnyTextTakesAndKeepsAValue) {
  const std::string_view alphabet = "[]=;\r\n \tsSkKx\x1A\xEF\xBB\xBF\"'";
  std::uint32_t seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = round % 40;
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += alphabet[(seed >> 16) % alphabet.size()];
    }
    const std::string out = set_value(text, "s", "k", "v1");
    ASSERT_EQ(find_value(out, "s", "k"), "v1") << '"' << text << '"';
    ASSERT_GE(out.size(), text.size() - std::min<std::size_t>(text.size(), 8)) << text;
    ASSERT_EQ(set_value(out, "S", "K", "v1"), out) << text;
  }
}

TEST(IniBuffers, DefaultsAndTruncation) {
  EXPECT_EQ(trimmed_default("  spaced def  "), "  spaced def");
  EXPECT_EQ(fit_buffer("Courier New", 0), "");
  EXPECT_EQ(fit_buffer("Courier New", 1), "");
  EXPECT_EQ(fit_buffer("Courier New", 10), "Courier N");
  EXPECT_EQ(fit_buffer("Courier New", 12), "Courier New");
  EXPECT_EQ(fit_buffer("Courier New", 100), "Courier New");
}

}  // namespace
}  // namespace morvane::ini
