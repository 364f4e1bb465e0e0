#include "cli/options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

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

bool parse_seconds(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v) || v < 0 || v > 86400) return false;
  out = v;
  return true;
}

bool parse_choice(const std::string& text, const std::map<std::string, int>& choices, int& out) {
  auto it = choices.find(text);
  if (it == choices.end()) return false;
  out = it->second;
  return true;
}

// "[HOST:]PORT", where an IPv6 address goes in brackets ("[::1]:9100") so
// that its colons are not taken for the port's.
bool parse_tcp(const std::string& text, TcpEndpoint& out) {
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

int baud_index(int rate) {
  for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
    if (kBaudRates[i] == static_cast<std::uint32_t>(rate)) return static_cast<int>(i);
  }
  return -1;
}

std::string baud_choices() {
  std::string text = "one of";
  for (const std::uint32_t rate : kBaudRates) text += " " + std::to_string(rate);
  return text;
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
  bool take_value(const std::string& name, bool has_value, std::string& value);
  bool option(const std::string& name, const std::string& value, bool has_value);
  bool listen_option(const std::string& name, const std::string& value);
  bool fail(const std::string& text) {
    if (result_.error.empty()) result_.error = text;
    return false;
  }
  bool bad_value(const std::string& name, const std::string& value, const char* expected) {
    return fail("invalid value '" + value + "' for " + name + " (expected " + expected + ")");
  }

  const std::vector<std::string>& args_;
  std::size_t pos_ = 0;
  ParseResult result_;
  bool listen_only_used_ = false;
  std::string listen_only_name_;
  bool help_ = false;
  bool version_ = false;
};

bool Parser::take_value(const std::string& name, bool has_value, std::string& value) {
  if (has_value) return true;
  if (pos_ >= args_.size()) return fail(name + " needs a value");
  value = args_[pos_++];
  return true;
}

bool is_listen_option(const std::string& name) {
  static const char* names[] = {"--line",      "--port",   "--baud",       "--data-bits",
                                "--parity",    "--stop-bits", "--flow",    "--tcp",
                                "--idle-eject", "--discard-partial"};
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

bool Parser::listen_option(const std::string& name, const std::string& value) {
  CliOptions& o = result_.options;
  PortOptions& po = o.port_options;
  int v = 0;
  if (name == "--line") {
    if (!parse_int(value, 1, 99, v)) return bad_value(name, value, "a line number 1 to 99");
    o.line = v;
  } else if (name == "--port") {
    if (value.empty()) return bad_value(name, value, "a device");
    o.port = value;
  } else if (name == "--baud") {
    if (!parse_int(value, 1, 1000000, v) || baud_index(v) < 0)
      return bad_value(name, value, baud_choices().c_str());
    po.baudrate = baud_index(v);
  } else if (name == "--data-bits") {
    if (!parse_choice(value, {{"7", 0}, {"8", 1}}, v)) return bad_value(name, value, "7 or 8");
    po.bytesize = v;
  } else if (name == "--parity") {
    if (!parse_choice(value, {{"none", 0}, {"odd", 1}, {"even", 2}}, v))
      return bad_value(name, value, "none, odd or even");
    po.parity = v;
  } else if (name == "--stop-bits") {
    if (!parse_choice(value, {{"1", 0}, {"1.5", 1}, {"2", 2}}, v))
      return bad_value(name, value, "1, 1.5 or 2");
    po.stopbits = v;
  } else if (name == "--flow") {
    if (!parse_choice(value, {{"none", 0}, {"xon", 1}, {"hardware", 2}}, v))
      return bad_value(name, value, "none, xon or hardware");
    po.flowctrl = v;
  } else if (name == "--tcp") {
    TcpEndpoint t;
    if (!parse_tcp(value, t)) return bad_value(name, value, "[HOST:]PORT, an IPv6 HOST in brackets ([::1]:9100)");
    o.tcp = t;
  } else if (name == "--idle-eject") {
    double s = 0;
    if (!parse_seconds(value, s) || s <= 0) return bad_value(name, value, "seconds above 0");
    o.idle_eject_seconds = s;
  }
  return true;
}

bool Parser::option(const std::string& name, const std::string& given, bool has_value) {
  CliOptions& o = result_.options;
  std::string value = given;
  int v = 0;
  if (name == "-q" || name == "--quiet") {
    o.quiet = true;
  } else if (name == "--help" || name == "-h") {
    help_ = true;
  } else if (name == "--version") {
    version_ = true;
  } else if (name == "--window") {
    if (has_value) return fail("--window takes no value");
    o.window = true;
  } else if (name == "--discard-partial") {
    o.discard_partial = true;
    listen_only_used_ = true;
    listen_only_name_ = name;
  } else if (name == "--print") {
    o.print = true;
    o.print_queue = value;
    if (has_value && value.empty()) return bad_value(name, value, "a queue name");
  } else if (is_listen_option(name)) {
    if (!take_value(name, has_value, value)) return false;
    listen_only_used_ = true;
    listen_only_name_ = name;
    return listen_option(name, value);
  } else {
    static const char* valued[] = {"--emulation", "--pdf",  "--png",         "--paper",    "--dpi",
                                   "--offset",    "--font", "--font-height", "--settings", "--face",
                                   "--plotter-face"};
    bool known = false;
    for (const char* n : valued) known = known || name == n;
    if (!known) return fail("unknown option " + name);
    if (!take_value(name, has_value, value)) return false;
    if (name == "--emulation") {
      if (!parse_choice(value, {{"dot-matrix", 0}, {"plotter", 1}}, v))
        return bad_value(name, value, "dot-matrix or plotter");
      o.emulation = v;
    } else if (name == "--pdf" || name == "--png" || name == "--settings") {
      if (value.empty()) return bad_value(name, value, "a path");
      (name == "--pdf" ? o.pdf_path : name == "--png" ? o.png_dir : o.settings_path) = value;
    } else if (name == "--paper") {
      if (!parse_choice(value, {{"letter", 0}, {"a4", 1}}, v))
        return bad_value(name, value, "letter or a4");
      o.paper = v == 0 ? Paper::letter : Paper::a4;
      o.paper_given = true;
    } else if (name == "--face") {
      if (!parse_choice(value, {{"truetype", 0}, {"dots", 1}}, v))
        return bad_value(name, value, "truetype or dots");
      o.face = v == 0 ? Face::truetype : Face::dots;
    } else if (name == "--plotter-face") {
      if (!parse_choice(value, {{"truetype", 0}, {"strokes", 1}}, v))
        return bad_value(name, value, "truetype or strokes");
      o.plotter_face = v == 0 ? PlotterFace::truetype : PlotterFace::strokes;
    } else if (name == "--dpi") {
      if (!parse_int(value, 72, 2400, v)) return bad_value(name, value, "72 to 2400");
      o.dpi = v;
    } else if (name == "--offset") {
      if (!parse_int(value, 0, 100000, v)) return bad_value(name, value, "pixels, 0 or more");
      o.offset = v;
    } else if (name == "--font") {
      if (value.empty() || value.size() > kMaxFontName)
        return bad_value(name, value, "a typeface name of 1 to 31 characters");
      o.font_name = value;
    } else if (name == "--font-height") {
      if (!parse_int(value, 1, 500, v)) return bad_value(name, value, "1 to 500");
      o.font_height = v;
    }
  }
  return true;
}

ParseResult Parser::run() {
  CliOptions& o = result_.options;
  bool have_command = false;
  bool only_files = false;
  while (pos_ < args_.size() && result_.error.empty()) {
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
      if (arg == "render") o.command = Command::render;
      else if (arg == "listen") o.command = Command::listen;
      else if (arg == "info") o.command = Command::info;
      else if (arg == "help") help_ = true;
      else fail("unknown command '" + arg + "'");
    } else if (o.command == Command::render) {
      o.files.push_back(arg);
    } else {
      fail("unexpected argument '" + arg + "'");
    }
  }
  if (!result_.error.empty()) return result_;
  if (help_) {
    o.command = Command::help;
  } else if (version_) {
    o.command = Command::version;
  } else if (!have_command) {
    fail("no command given");
  } else if (listen_only_used_ && o.command != Command::listen) {
    fail(listen_only_name_ + " applies to listen only");
  } else if (o.window && o.command == Command::info) {
    fail("--window applies to render and listen only");
  }
  return result_;
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

Output (render, listen):
  --pdf FILE              every printed sheet of the run into one PDF
  --png DIR               each ended page as DIR/page-0001.png, ...
  --print[=QUEUE]         each print document to the system print queue (lp)
  --face truetype|dots    dot-matrix text in the TrueType font (default), or
                          text and bit images as the print head's round dots
  --plotter-face truetype|strokes
                          plotter labels and text in the TrueType font
                          (default), or drawn with the pen in a single-stroke
                          face, sized by the plotter's character size, the pen
                          moving on after each label
  --window                show the sheet filling in a window, with the page
                          commands; closing it stops the run (render: the input
                          arrives at the pace of live reception, and the window
                          stays open at its end)

Page and printer:
  --emulation dot-matrix|plotter
  --paper letter|a4       paper of the virtual printer (default the system's
                          paper size, $PAPERSIZE or /etc/papersize, else letter)
  --dpi N                 its resolution (default 600)
  --offset PIXELS         its unprintable strip on every side (default 150)
  --font NAME             typeface (default from the settings, else Courier New)
  --font-height N         character height in 1/100 inch (default 24)
  --settings FILE         settings file to read (default Morvane.ini when present)

Reception (listen):
  --line N                shared-memory serial line N (default the setting "lyn")
  --port DEVICE           serial port (a tty; COMn on Windows)
  --baud N  --data-bits 7|8  --parity none|odd|even  --stop-bits 1|1.5|2
  --flow none|xon|hardware
  --tcp [HOST:]PORT       raw bytes over TCP (host default 127.0.0.1; IPv6 in brackets: [::1]:9100)
  --idle-eject SECONDS    end a started page after that long without input
  --discard-partial       on stop, drop the page in progress instead of printing it

  -q, --quiet             no progress or page reports
  -h, --help              this text
  --version               the program's version
)";
}

std::string version_text() { return std::string(program_name()) + " " + kVersionText + "\n"; }

}  // namespace morvane::cli
