#include "cli/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "io/port_settings.h"
#include "morvane_version.h"

namespace morvane::cli {

namespace {

constexpr std::size_t kMaxFontName = 31;

bool parse_int(const std::string& text, long lo, long hi, int& out) {
  long v = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  auto [p, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || p != last || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

bool parse_int(const std::string& text, long lo, long hi, std::optional<int>& out) {
  int v = 0;
  if (!parse_int(text, lo, hi, v)) return false;
  out = v;
  return true;
}

bool parse_seconds(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v) || v < 0 || v > 86400) return false;
  out = v;
  return true;
}

bool parse_text(const std::string& text, std::size_t longest, std::optional<std::string>& out) {
  if (text.empty() || text.size() > longest) return false;
  out = text;
  return true;
}

// "[HOST:]PORT", where an IPv6 address goes in brackets ("[::1]:9100") so
// that its colons are not taken for the port's.
bool parse_tcp(const std::string& text, std::optional<TcpEndpoint>& out) {
  TcpEndpoint t;
  std::string port = text;
  if (!text.empty() && text[0] == '[') {
    const auto close = text.find("]:");
    if (close == std::string::npos || close == 1) return false;
    t.host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
    t.host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (t.host.empty() || t.host.find_first_of(":[]") != std::string::npos) return false;
  }
  int p = 0;
  if (!parse_int(port, 0, 65535, p)) return false;  // 0: any free port
  t.port = static_cast<std::uint16_t>(p);
  out = t;
  return true;
}

// The rate as the index of the setting "baudrate".
bool parse_baud(const std::string& text, std::optional<int>& out) {
  int rate = 0;
  if (!parse_int(text, 1, 1000000, rate)) return false;
  const auto at = std::find(kBaudRates.begin(), kBaudRates.end(), static_cast<std::uint32_t>(rate));
  if (at == kBaudRates.end()) return false;
  out = static_cast<int>(at - kBaudRates.begin());
  return true;
}

std::string baud_rates_text() {
  std::string text = "one of";
  for (const std::uint32_t rate : kBaudRates) {
    text += ' ';
    text += std::to_string(rate);
  }
  return text;
}

// What the command line asks for: the options, and --help or --version.
struct Given {
  CliOptions options;
  bool help = false;
  bool version = false;
};

enum class Takes {
  nothing,         // a switch
  value,           // NAME VALUE or NAME=VALUE
  optional_value,  // NAME, or NAME=VALUE
};

// The commands an option applies to; the others refuse it.
enum class Scope { any, render_listen, listen };

struct Section {
  const char* title;
  bool titled_in_help;
};
enum SectionId { kOutput, kPage, kReception, kOther };
constexpr Section kSections[] = {
    {"Output (render, listen)", true}, {"Page and printer", true}, {"Reception (listen)", true}, {"Other", false}};

using Read = bool (*)(Given&, const std::string&);  // false: the value is not valid
using Pick = void (*)(Given&, std::size_t);         // a choice by its word's position

template <auto Field>
bool turn_on(Given& g, const std::string&) {
  g.options.*Field = true;
  return true;
}
template <bool Given::*Field>
bool ask(Given& g, const std::string&) {
  g.*Field = true;
  return true;
}
template <auto Field>
bool path(Given& g, const std::string& v) {
  return parse_text(v, std::string::npos, g.options.*Field);
}
template <auto Field, long Lo, long Hi>
bool number(Given& g, const std::string& v) {
  return parse_int(v, Lo, Hi, g.options.*Field);
}
template <auto Field, typename T>
void choose(Given& g, std::size_t i) {
  g.options.*Field = static_cast<T>(i);
}
template <auto Field>
void choose_index(Given& g, std::size_t i) {
  g.options.port_options.*Field = static_cast<int>(i);
}

// One option: how it is read, which commands take it, and how --help and the
// manual page show it.
struct Option {
  std::string_view name;
  std::string_view short_name = {};
  SectionId section = kOther;
  Takes takes = Takes::value;
  Scope scope = Scope::any;
  std::string_view value = {};              // how the value is shown ("FILE"); a choice shows its words
  std::vector<std::string_view> choices{};  // the words a choice takes, in the order of what they pick
  std::string expected = {};                // a valid value, for the usage error; a choice names its words
  std::string_view help = {};               // lines apart; none: shown on a line with the next ones like it
  Read read = nullptr;
  Pick pick = nullptr;
};

// The options in the order --help and the manual page list them.
const std::vector<Option> kOptions = {
    {.name = "--pdf", .section = kOutput, .value = "FILE", .expected = "a path",
     .help = "every printed sheet of the run into one PDF",
     .read = path<&CliOptions::pdf_path>},
    {.name = "--png", .section = kOutput, .value = "DIR", .expected = "a path",
     .help = "each ended page as DIR/page-0001.png, ...",
     .read = path<&CliOptions::png_dir>},
    {.name = "--print", .section = kOutput, .takes = Takes::optional_value, .value = "QUEUE",
     .expected = "a queue name", .help = "each print document to the system print queue (lp)",
     .read = [](Given& g, const std::string& v) {
       g.options.print = true;
       g.options.print_queue = v;
       return true;
     }},
    {.name = "--face", .section = kOutput, .choices = {"truetype", "dots"},
     .help = "dot-matrix text in the TrueType font (default), or\n"
             "text and bit images as the print head's round dots",
     .pick = choose<&CliOptions::face, Face>},
    {.name = "--plotter-face", .section = kOutput, .choices = {"truetype", "strokes"},
     .help = "plotter labels and text in the TrueType font\n"
             "(default), or drawn with the pen in a single-stroke\n"
             "face, sized by the plotter's character size, the pen\n"
             "moving on after each label",
     .pick = choose<&CliOptions::plotter_face, PlotterFace>},
    {.name = "--window", .section = kOutput, .takes = Takes::nothing, .scope = Scope::render_listen,
     .help = "show the sheet filling in a window, with the page\n"
             "commands; closing it stops the run (render: the input\n"
             "arrives at the pace of live reception, and the window\n"
             "stays open at its end)",
     .read = turn_on<&CliOptions::window>},

    {.name = "--emulation", .section = kPage, .choices = {"dot-matrix", "plotter"},
     .pick = choose<&CliOptions::emulation, Emulation>},
    {.name = "--paper", .section = kPage, .choices = {"letter", "a4"},
     .help = "paper of the virtual printer (default the system's\n"
             "paper size, $PAPERSIZE or /etc/papersize, else letter)",
     .pick = [](Given& g, std::size_t i) {
       g.options.paper = static_cast<Paper>(i);
       g.options.paper_given = true;
     }},
    {.name = "--dpi", .section = kPage, .value = "N", .expected = "72 to 2400",
     .help = "its resolution (default 600)",
     .read = number<&CliOptions::dpi, 72, 2400>},
    {.name = "--offset", .section = kPage, .value = "PIXELS", .expected = "pixels, 0 or more",
     .help = "its unprintable strip on every side (default 150)",
     .read = number<&CliOptions::offset, 0, 100000>},
    {.name = "--font", .section = kPage, .value = "NAME", .expected = "a typeface name of 1 to 31 characters",
     .help = "typeface (default from the settings, else Courier New)",
     .read = [](Given& g, const std::string& v) { return parse_text(v, kMaxFontName, g.options.font_name); }},
    {.name = "--font-height", .section = kPage, .value = "N", .expected = "1 to 500",
     .help = "character height in 1/100 inch (default 24)",
     .read = number<&CliOptions::font_height, 1, 500>},
    {.name = "--settings", .section = kPage, .value = "FILE", .expected = "a path",
     .help = "settings file to read (default Morvane.ini when present)",
     .read = path<&CliOptions::settings_path>},

    {.name = "--line", .section = kReception, .scope = Scope::listen, .value = "N",
     .expected = "a line number 1 to 99", .help = "shared-memory serial line N (default the setting \"lyn\")",
     .read = number<&CliOptions::line, 1, 99>},
    {.name = "--port", .section = kReception, .scope = Scope::listen, .value = "DEVICE",
     .expected = "a device", .help = "serial port (a tty; COMn on Windows)",
     .read = path<&CliOptions::port>},
    {.name = "--baud", .section = kReception, .scope = Scope::listen, .value = "N", .expected = baud_rates_text(),
     .read = [](Given& g, const std::string& v) { return parse_baud(v, g.options.port_options.baudrate); }},
    {.name = "--data-bits", .section = kReception, .scope = Scope::listen, .choices = {"7", "8"},
     .pick = choose_index<&PortOptions::bytesize>},
    {.name = "--parity", .section = kReception, .scope = Scope::listen, .choices = {"none", "odd", "even"},
     .pick = choose_index<&PortOptions::parity>},
    {.name = "--stop-bits", .section = kReception, .scope = Scope::listen, .choices = {"1", "1.5", "2"},
     .pick = choose_index<&PortOptions::stopbits>},
    {.name = "--flow", .section = kReception, .scope = Scope::listen, .choices = {"none", "xon", "hardware"},
     .pick = choose_index<&PortOptions::flowctrl>},
    {.name = "--tcp", .section = kReception, .scope = Scope::listen, .value = "[HOST:]PORT",
     .expected = "[HOST:]PORT, an IPv6 HOST in brackets ([::1]:9100)",
     .help = "raw bytes over TCP (host default 127.0.0.1; IPv6 in brackets: [::1]:9100)",
     .read = [](Given& g, const std::string& v) { return parse_tcp(v, g.options.tcp); }},
    {.name = "--idle-eject", .section = kReception, .scope = Scope::listen, .value = "SECONDS",
     .expected = "seconds above 0", .help = "end a started page after that long without input",
     .read = [](Given& g, const std::string& v) {
       return parse_seconds(v, g.options.idle_eject_seconds) && g.options.idle_eject_seconds > 0;
     }},
    {.name = "--discard-partial", .section = kReception, .takes = Takes::nothing, .scope = Scope::listen,
     .help = "on stop, drop the page in progress instead of printing it",
     .read = turn_on<&CliOptions::discard_partial>},

    {.name = "--quiet", .short_name = "-q", .takes = Takes::nothing, .help = "no progress or page reports",
     .read = turn_on<&CliOptions::quiet>},
    {.name = "--help", .short_name = "-h", .takes = Takes::nothing, .help = "this text",
     .read = ask<&Given::help>},
    {.name = "--version", .takes = Takes::nothing, .help = "the program's version",
     .read = ask<&Given::version>},
};

const Option* find_option(const std::string& name) {
  for (const Option& o : kOptions) {
    if (name == o.name || (!o.short_name.empty() && name == o.short_name)) return &o;
  }
  return nullptr;
}

std::string join(const std::vector<std::string_view>& words, std::string_view between, std::string_view last) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? last : between;
    text += words[i];
  }
  return text;
}

// "--dpi N", "--face truetype|dots", "--print[=QUEUE]", "-q, --quiet".
std::string synopsis(const Option& o) {
  std::string text = o.short_name.empty() ? std::string(o.name) : std::string(o.short_name) + ", " + std::string(o.name);
  const std::string value = o.choices.empty() ? std::string(o.value) : join(o.choices, "|", "|");
  if (o.takes == Takes::optional_value) return text + "[=" + value + "]";
  return value.empty() ? text : text + " " + value;
}

constexpr std::size_t kHelpColumn = 26;  // where the texts of --help start
constexpr std::size_t kHelpWidth = 79;   // options without a text share lines up to here

// An option's lines in --help: its synopsis, and its text from kHelpColumn
// on, below the synopsis when that reaches too far.
std::string option_help(const Option& o) {
  std::string lead = "  " + synopsis(o);
  std::string out;
  if (lead.size() + 2 > kHelpColumn) {
    out += lead + "\n";
    lead.clear();
  }
  lead.resize(kHelpColumn, ' ');
  for (std::size_t from = 0; from <= o.help.size();) {
    const std::size_t to = std::min(o.help.find('\n', from), o.help.size());
    out += lead;
    out += o.help.substr(from, to - from);
    out += '\n';
    lead.assign(kHelpColumn, ' ');
    from = to + 1;
  }
  return out;
}

// The sections of --help, in the order of the table; options without a text
// are listed side by side.
std::string options_help() {
  std::string out;
  std::string shared;
  const auto end_shared = [&] {
    if (!shared.empty()) out += shared + "\n";
    shared.clear();
  };
  int section = -1;
  for (const Option& o : kOptions) {
    if (o.section != section) {
      end_shared();
      section = o.section;
      const Section& s = kSections[section];
      out += '\n';
      if (s.titled_in_help) out.append(s.title).append(":\n");
    }
    if (!o.help.empty()) {
      end_shared();
      out += option_help(o);
    } else {
      const std::string item = "  " + synopsis(o);
      if (shared.size() + item.size() > kHelpWidth) end_shared();
      shared += item;
    }
  }
  end_shared();
  return out;
}

// Splits "--name=value" into its two parts; value empty when there is no '='.
void split_option(const std::string& arg, std::string& name, std::string& value, bool& has_value) {
  const auto eq = arg.find('=');
  has_value = eq != std::string::npos;
  name = has_value ? arg.substr(0, eq) : arg;
  value = has_value ? arg.substr(eq + 1) : std::string();
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}
  ParseResult run();

 private:
  bool option(const std::string& name, std::string value, bool has_value);
  bool store(const Option& o, const std::string& name, const std::string& value);
  bool bad_value(const Option& o, const std::string& name, const std::string& value);
  bool command(const std::string& word);
  std::string scope_error() const;
  bool fail(const std::string& text) {
    if (error_.empty()) error_ = text;
    return false;
  }

  const std::vector<std::string>& args_;
  std::size_t pos_ = 0;
  Given given_;
  std::string error_;
  std::string listen_only_;    // the last option given that only listen takes
  std::string render_listen_;  // the last option given that info does not take
};

bool Parser::option(const std::string& name, std::string value, bool has_value) {
  const Option* o = find_option(name);
  if (o == nullptr) return fail("unknown option " + name);
  if (o->takes == Takes::nothing && has_value) return fail(name + " takes no value");
  if (o->takes == Takes::value && !has_value) {
    if (pos_ >= args_.size()) return fail(name + " needs a value");
    value = args_[pos_++];
  }
  if (o->scope == Scope::listen) listen_only_ = name;
  if (o->scope == Scope::render_listen) render_listen_ = name;
  // An optional value, when given, is not empty.
  if (o->takes == Takes::optional_value && has_value && value.empty()) return bad_value(*o, name, value);
  return store(*o, name, value);
}

bool Parser::store(const Option& o, const std::string& name, const std::string& value) {
  bool valid = false;
  if (o.pick != nullptr) {
    const auto at = std::find(o.choices.begin(), o.choices.end(), value);
    valid = at != o.choices.end();
    if (valid) o.pick(given_, static_cast<std::size_t>(at - o.choices.begin()));
  } else {
    valid = o.read(given_, value);
  }
  return valid || bad_value(o, name, value);
}

bool Parser::bad_value(const Option& o, const std::string& name, const std::string& value) {
  const std::string expected = o.choices.empty() ? o.expected : join(o.choices, ", ", " or ");
  return fail("invalid value '" + value + "' for " + name + " (expected " + expected + ")");
}

bool Parser::command(const std::string& word) {
  Command& c = given_.options.command;
  if (word == "render") c = Command::render;
  else if (word == "listen") c = Command::listen;
  else if (word == "info") c = Command::info;
  else if (word == "help") given_.help = true;
  else return fail("unknown command '" + word + "'");
  return true;
}

std::string Parser::scope_error() const {
  const Command c = given_.options.command;
  if (!listen_only_.empty() && c != Command::listen) return listen_only_ + " applies to listen only";
  if (!render_listen_.empty() && c == Command::info) return render_listen_ + " applies to render and listen only";
  return {};
}

ParseResult Parser::run() {
  CliOptions& o = given_.options;
  bool have_command = false;
  bool only_files = false;
  while (pos_ < args_.size() && error_.empty()) {
    const std::string arg = args_[pos_++];
    if (!only_files && arg == "--") {
      only_files = true;
    } else if (!only_files && arg.size() > 1 && arg[0] == '-') {
      std::string name, value;
      bool has_value = false;
      split_option(arg, name, value, has_value);
      option(name, value, has_value);
    } else if (!have_command) {
      have_command = true;
      command(arg);
    } else if (o.command == Command::render) {
      o.files.push_back(arg);
    } else {
      fail("unexpected argument '" + arg + "'");
    }
  }
  if (error_.empty()) {
    if (given_.help) o.command = Command::help;
    else if (given_.version) o.command = Command::version;
    else if (!have_command) fail("no command given");
    else if (const std::string wrong = scope_error(); !wrong.empty()) fail(wrong);
  }
  return {o, error_};
}

}  // namespace

ParseResult parse_command_line(const std::vector<std::string>& args) {
  return Parser(args).run();
}

const char* program_name() { return MORVANE_CLI_NAME; }

std::string usage_text() {
  return std::string("Usage: ") + program_name() + R"( COMMAND [OPTIONS] [FILE...]

Commands:
  render [FILE...]        lay out captured printer output (none or "-": standard input)
  listen                  receive live until interrupted (SIGINT, SIGTERM)
  info                    show the page geometry the options give
)" + options_help();
}

std::string version_text() { return std::string(program_name()) + " " + kVersionText + "\n"; }

std::vector<OptionSection> option_sections() {
  std::vector<OptionSection> sections;
  for (const Section& s : kSections) sections.push_back({s.title, {}});
  for (const Option& o : kOptions) sections[o.section].synopses.push_back(synopsis(o));
  return sections;
}

}  // namespace morvane::cli
