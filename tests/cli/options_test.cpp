#include "cli/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

namespace morvane::cli {
namespace {

struct GoodCase {
  std::vector<std::string> args;
  std::function<bool(const CliOptions&)> check;
};

TEST(Options, AcceptedCommandLines) {
  const std::vector<GoodCase> cases = {
      {{"render"}, [](const CliOptions& o) { return o.command == Command::render && o.files.empty(); }},
      {{"render", "a.bin", "-", "--", "-b.bin"},
       [](const CliOptions& o) { return o.files == std::vector<std::string>{"a.bin", "-", "-b.bin"}; }},
      {{"--pdf", "x.pdf", "render", "--png=dir"},
       [](const CliOptions& o) { return *o.pdf_path == "x.pdf" && *o.png_dir == "dir"; }},
      {{"render", "--print"}, [](const CliOptions& o) { return o.print && o.print_queue.empty() && o.face == Face::truetype; }},
      {{"render", "--face", "dots"}, [](const CliOptions& o) { return o.face == Face::dots; }},
      {{"listen", "--face=dots", "--face=truetype"}, [](const CliOptions& o) { return o.face == Face::truetype; }},
      {{"render"}, [](const CliOptions& o) { return o.plotter_face == PlotterFace::truetype; }},
      {{"render", "--plotter-face", "strokes", "--face", "dots"},
       [](const CliOptions& o) { return o.plotter_face == PlotterFace::strokes && o.face == Face::dots; }},
      {{"listen", "--plotter-face=strokes", "--plotter-face=truetype"},
       [](const CliOptions& o) { return o.plotter_face == PlotterFace::truetype; }},
      {{"render", "--print=office"}, [](const CliOptions& o) { return o.print && o.print_queue == "office"; }},
      {{"info", "--paper", "a4", "--dpi", "300", "--offset", "0"},
       [](const CliOptions& o) { return o.paper == Paper::a4 && o.dpi == 300 && o.offset == 0; }},
      {{"info", "--emulation", "plotter", "--font", "Courier New", "--font-height", "12"},
       [](const CliOptions& o) { return *o.emulation == Emulation::plotter && *o.font_name == "Courier New" && *o.font_height == 12; }},
      {{"listen", "--tcp", "9100"},
       [](const CliOptions& o) { return o.tcp->host == "127.0.0.1" && o.tcp->port == 9100; }},
      {{"listen", "--tcp=0.0.0.0:9100"}, [](const CliOptions& o) { return o.tcp->host == "0.0.0.0"; }},
      {{"listen", "--tcp", "[::1]:9100"},
       [](const CliOptions& o) { return o.tcp->host == "::1" && o.tcp->port == 9100; }},
      {{"listen", "--tcp", "[fe80::1%eth0]:0"}, [](const CliOptions& o) { return o.tcp->host == "fe80::1%eth0"; }},
      {{"listen", "--port", "/dev/ttyUSB0", "--baud", "19200", "--data-bits", "7", "--parity", "even",
        "--stop-bits", "1.5", "--flow", "hardware"},
       [](const CliOptions& o) {
         const PortOptions& p = o.port_options;
         return *o.port == "/dev/ttyUSB0" && *p.baudrate == 8 && *p.bytesize == 0 && *p.parity == 2 &&
                *p.stopbits == 1 && *p.flowctrl == 2;
       }},
      {{"listen", "--line", "7", "--idle-eject", "2.5", "--discard-partial", "-q"},
       [](const CliOptions& o) {
         return *o.line == 7 && o.idle_eject_seconds == 2.5 && o.discard_partial && o.quiet;
       }},
      {{"render", "--window"}, [](const CliOptions& o) { return o.window; }},
      {{"listen", "--tcp", "0", "--window"}, [](const CliOptions& o) { return o.window; }},
      {{"listen"}, [](const CliOptions& o) { return !o.window; }},
      {{"--version"}, [](const CliOptions& o) { return o.command == Command::version; }},
      {{"help"}, [](const CliOptions& o) { return o.command == Command::help; }},
  };
  for (const auto& c : cases) {
    const ParseResult r = parse_command_line(c.args);
    const std::string line = c.args.empty() ? "" : c.args[0] + " ...";
    EXPECT_TRUE(r.error.empty()) << line << ": " << r.error;
    EXPECT_TRUE(c.check(r.options)) << line;
  }
}

TEST(Options, UsageErrorsNameTheProblem) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no command"},
      {{"print"}, "unknown command"},
      {{"render", "--frob"}, "unknown option --frob"},
      {{"render", "--help", "--frob"}, "unknown option --frob"},
      {{"render", "--pdf"}, "--pdf needs a value"},
      {{"render", "--pdf="}, "--pdf"},
      {{"render", "--dpi", "71"}, "--dpi"},
      {{"render", "--dpi", "600x"}, "--dpi"},
      {{"render", "--paper", "legal"}, "--paper"},
      {{"render", "--emulation", "laser"}, "--emulation"},
      {{"render", "--face", "Dots"}, "invalid value 'Dots' for --face (expected truetype or dots)"},
      {{"listen", "--face"}, "--face needs a value"},
      {{"render", "--plotter-face", "dots"},
       "invalid value 'dots' for --plotter-face (expected truetype or strokes)"},
      {{"render", "--font-height", "0"}, "--font-height"},
      {{"render", "--font", std::string(32, 'x')}, "--font"},
      {{"render", "--print="}, "--print"},
      {{"render", "--line", "3"}, "--line applies to listen only"},
      {{"info", "--discard-partial"}, "applies to listen only"},
      {{"info", "file.bin"}, "unexpected argument"},
      {{"info", "--window"}, "--window applies to render and listen only"},
      {{"listen", "--window=yes"}, "--window takes no value"},
      {{"listen", "--line", "100"}, "--line"},
      {{"listen", "--baud", "9601"}, "--baud"},
      {{"listen", "--stop-bits", "3"}, "--stop-bits"},
      {{"listen", "--tcp", "70000"}, "--tcp"},
      {{"listen", "--tcp", ":80"}, "--tcp"},
      {{"listen", "--tcp", "::1:9100"}, "IPv6 HOST in brackets"},
      {{"listen", "--tcp", "[::1]"}, "--tcp"},
      {{"listen", "--tcp", "[::1]9100"}, "--tcp"},
      {{"listen", "--tcp", "[]:9100"}, "--tcp"},
      {{"listen", "--tcp", "[::1]:"}, "--tcp"},
      {{"listen", "--idle-eject", "0"}, "--idle-eject"},
      {{"listen", "--idle-eject", "nan"}, "--idle-eject"},
  };
  for (const auto& [args, expected] : cases) {
    const ParseResult r = parse_command_line(args);
    EXPECT_NE(r.error.find(expected), std::string::npos)
        << (args.empty() ? "(none)" : args.back()) << " gave: " << r.error;
  }
}

}  // namespace
}  // namespace morvane::cli

namespace morvane::cli {
namespace {

// The name of an option's synopsis ("--dpi N": "--dpi"; "-q, --quiet": "--quiet").
std::string name_of(const std::string& synopsis) {
  std::string name = synopsis.substr(0, synopsis.find_first_of(" ["));
  const auto comma = synopsis.find(", ");
  if (comma != std::string::npos) name = synopsis.substr(comma + 2, synopsis.find(' ', comma + 2) - comma - 2);
  return name;
}

// The words a choice's synopsis shows ("--face truetype|dots"); none for others.
std::vector<std::string> choices_of(const std::string& synopsis) {
  std::vector<std::string> words;
  const auto space = synopsis.find(' ');
  if (space == std::string::npos || synopsis.find('|') == std::string::npos) return words;
  std::string rest = synopsis.substr(space + 1);
  for (std::size_t from = 0; from <= rest.size();) {
    const auto bar = std::min(rest.find('|', from), rest.size());
    words.push_back(rest.substr(from, bar - from));
    from = bar + 1;
  }
  return words;
}

// Every option --help lists is read as it shows it: a switch alone and never
// with a value, any other with its value as the next argument or after '=',
// a choice with each of its words and no other, and an option of reception
// by listen only. A value that suits each option that is not a choice:
const std::map<std::string, std::string> kGoodValues = {
    {"--pdf", "a.pdf"}, {"--png", "pages"},   {"--print", "office"}, {"--dpi", "300"},
    {"--offset", "0"},  {"--font", "Courier"}, {"--font-height", "12"}, {"--settings", "m.ini"},
    {"--line", "2"},    {"--port", "/dev/ttyS0"}, {"--baud", "2400"}, {"--tcp", "9100"},
    {"--idle-eject", "1.5"},
};

// The error of a command line, or "" when it is accepted.
std::string error_of(const std::vector<std::string>& args) { return parse_command_line(args).error; }

bool says(const std::string& error, const std::string& text) { return error.find(text) != std::string::npos; }

TEST(Options, EveryListedOptionIsReadAsTheHelpShowsIt) {
  for (const OptionSection& section : option_sections()) {
    const bool listen_only = section.title == "Reception (listen)";
    for (const std::string& synopsis : section.synopses) {
      const std::string name = name_of(synopsis);
      const bool optional_value = synopsis.find("[=") != std::string::npos;
      const bool switch_only = synopsis.find_first_of(" [", synopsis.find(name)) == std::string::npos;
      std::vector<std::string> values = choices_of(synopsis);
      if (values.empty() && !switch_only) {
        ASSERT_EQ(kGoodValues.count(name), 1u) << synopsis << ": give it an example value above";
        values.push_back(kGoodValues.at(name));
      }
      if (switch_only) {
        EXPECT_TRUE(says(error_of({"listen", name + "=x"}), name + " takes no value")) << name;
        values.push_back("");
      } else if (!optional_value) {
        EXPECT_TRUE(says(error_of({"listen", name}), name + " needs a value")) << name;
      }
      if (!choices_of(synopsis).empty()) {  // a choice takes none of the words it does not show
        EXPECT_TRUE(says(error_of({"listen", name + "=bogus"}), "invalid value 'bogus' for " + name)) << name;
      }
      for (const std::string& value : values) {
        std::vector<std::vector<std::string>> forms = {{name + (value.empty() ? "" : "=" + value)}};
        if (!value.empty() && !optional_value) forms.push_back({name, value});
        for (auto form : forms) {
          std::vector<std::string> args = {"listen"};
          args.insert(args.end(), form.begin(), form.end());
          EXPECT_EQ(error_of(args), "") << synopsis << " " << value;
          form.push_back("info");  // the command after the option
          if (name == "--help" || name == "--version") continue;
          EXPECT_EQ(says(error_of(form), name + " applies to listen only"), listen_only) << synopsis << " " << value;
        }
      }
    }
  }
}

#ifndef _WIN32
// The heading of a manual page entry as text: ".BR \-\-tcp " [" \fIHOST\fB:\fR] \fIPORT"
// is "--tcp [HOST:]PORT".
std::string roff_text(const std::string& line) {
  std::string joined;
  std::size_t at = line.find(' ');
  while (at != std::string::npos && at < line.size()) {
    while (at < line.size() && line[at] == ' ') ++at;
    if (at >= line.size()) break;
    if (line[at] == '"') {
      const auto close = line.find('"', at + 1);
      joined += line.substr(at + 1, close - at - 1);
      at = close == std::string::npos ? close : close + 1;
    } else {
      const auto space = line.find(' ', at);
      joined += line.substr(at, space - at);
      at = space;
    }
  }
  std::string text;
  for (std::size_t i = 0; i < joined.size(); ++i) {
    if (joined.compare(i, 2, "\\f") == 0) ++i, ++i;
    else if (joined.compare(i, 2, "\\&") == 0) ++i;
    else if (joined.compare(i, 2, "\\-") == 0) text += '-', ++i;
    else text += joined[i];
  }
  return text;
}

// The manual page lists the options of the table, section by section, in
// its order, each headed as --help shows it; the prose is the page's own.
TEST(Options, ManualPageListsTheTableSectionBySection) {
  std::ifstream page(std::string(MORVANE_SOURCE_DIR) + "/packaging/man/morvane.1");
  ASSERT_TRUE(page) << "packaging/man/morvane.1";
  std::vector<OptionSection> listed;
  std::string line;
  bool in_options = false;
  bool heading_next = false;
  while (std::getline(page, line)) {
    if (line.rfind(".SH ", 0) == 0) in_options = line == ".SH OPTIONS";
    if (!in_options) continue;
    if (line.rfind(".SS ", 0) == 0) listed.push_back({line.substr(4), {}});
    else if (heading_next && !listed.empty()) listed.back().synopses.push_back(roff_text(line));
    heading_next = line == ".TP" || line == ".TQ";
  }
  const std::vector<OptionSection> table = option_sections();
  ASSERT_EQ(listed.size(), table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(listed[i].title, table[i].title);
    EXPECT_EQ(listed[i].synopses, table[i].synopses) << table[i].title;
  }
}
#endif

}  // namespace
}  // namespace morvane::cli
