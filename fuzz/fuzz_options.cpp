// The command line of `morvane`, any arguments: parsing never crashes or
// throws, and whatever it accepts lies within the ranges the program relies
// on; a refusal always comes with a message.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/options.h"
#include "io/port_settings.h"

namespace {

using namespace morvane::cli;

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_options: %s\n", what);
  std::abort();
}

bool index_in(const std::optional<int>& value, int last) { return !value || (*value >= 0 && *value <= last); }

void check_accepted(const CliOptions& o) {
  check(!o.line || (*o.line >= 1 && *o.line <= 99), "line number out of range");
  check(o.dpi >= 72 && o.dpi <= 2400, "dpi out of range");
  check(o.offset >= 0 && o.offset <= 100000, "offset out of range");
  check(!o.font_name || (!o.font_name->empty() && o.font_name->size() <= 31), "face name length");
  check(!o.font_height || (*o.font_height >= 1 && *o.font_height <= 500), "font height out of range");
  check(!o.emulation || *o.emulation == morvane::Emulation::dot_matrix || *o.emulation == morvane::Emulation::plotter,
        "emulation out of range");
  check(std::isfinite(o.idle_eject_seconds) && o.idle_eject_seconds >= 0 && o.idle_eject_seconds <= 86400,
        "idle time out of range");
  check(!o.port || !o.port->empty(), "empty device");
  check(!o.tcp || !o.tcp->host.empty(), "empty host");
  const PortOptions& p = o.port_options;
  check(index_in(p.baudrate, static_cast<int>(morvane::kBaudRates.size()) - 1) && index_in(p.bytesize, 1) && index_in(p.parity, 2) &&
            index_in(p.stopbits, 2) && index_in(p.flowctrl, 2),
        "port setting outside its table");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Zero bytes separate the arguments, as in the program's argv.
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size && args.size() <= 64; ++i) {
    if (data[i] == 0) args.emplace_back();
    else args.back() += static_cast<char>(data[i]);
  }
  const ParseResult result = parse_command_line(args);
  if (!result.error.empty()) return 0;
  check_accepted(result.options);
  check(result.options.command != Command::render || result.options.files.size() <= args.size(), "files");
  return 0;
}
