// Arbitrary received bytes through the feed loop: no crash, no read out of
// bounds, and the interpreter always comes back to idle (a bit image ends
// after its count). The first byte chooses the emulation the run starts in.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "print/recording/recording_printer.h"
#include "gfx/recording/recording_surface.h"
#include "io/channel.h"
#include "page/engine.h"
#include "page/feed.h"

namespace {

using namespace morvane;

class FuzzShell : public EngineHooks {
 public:
  std::unique_ptr<Surface> create_sheet(std::uint32_t, std::uint32_t) override {
    return std::make_unique<RecordingSurface>();
  }
};

// Enough zero bytes to carry any open command to its end: the longest is a
// bit image of 1920 columns after its two count bytes.
constexpr std::size_t kDrainBytes = kBitImageWidth + 8;

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_feed: %s\n", what);
  std::abort();
}

void check_bit_image(const Engine& e) {
  const DotMatrixState& d = e.interp.dot;
  if (d.bit_image_mode == 0) return;
  check(d.bit_image_count != 0 && d.bit_image_count <= kBitImageWidth, "bit-image count out of range");
  check(d.bit_image_received >= 0 &&
            static_cast<std::uint32_t>(d.bit_image_received) < d.bit_image_count,
        "bit image went past its count");
}

bool dot_matrix_idle(const Engine& e) {
  const DotMatrixState& d = e.interp.dot;
  return d.bit_image_mode == 0 && d.esc_pending == 0 && d.param_pending == 0 &&
         d.count_high_pending == 0 && d.tab_collecting == 0;
}

void feed_runs(Engine& e, const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; i += morvane::kPollBytes) {
    const std::size_t n = std::min<std::size_t>(morvane::kPollBytes, size - i);
    feed_screen(e, data + i, n);
    check_bit_image(e);
  }
}

// CR carries out any pending command line, FF then ends the page (replayed
// into the printer) in text mode, whatever state the bytes left behind.
void check_plotter_ends_page(Engine& e) {
  check(e.interp.plot.plot_length >= 0 && e.interp.plot.plot_length <= kPlotLineMax, "plotter line overran");
  feed_runs(e, reinterpret_cast<const std::uint8_t*>("\r\f"), 2);
  check(e.screen.plotter.graphic_mode == 0 && e.screen.line_count == 0,
        "plotter did not end the page in text mode");
}

// The spool file is rewritten for every page: in memory where the system has a
// memory file system, so that the disk does not set the pace.
const std::string& spool_path() {
  static const std::string path =
      std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/morvane-fuzz-" +
      std::to_string(getpid()) + ".$$$";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  FuzzShell shell;
  RecordingPrinterSystem printers;
  {
    Engine e(shell, printers);
    e.spool.set_path(spool_path());
    e.interp.emulation = static_cast<Emulation>(data[0] % 2);
    // Bit 1: the run starts with ESC #, the hand-over into plotter graphic mode.
    if (data[0] & 2) feed_runs(e, reinterpret_cast<const std::uint8_t*>("\x1b#"), 2);
    feed_runs(e, data + 1, size - 1);
    if (e.interp.emulation == Emulation::dot_matrix) {
      static const std::uint8_t zeros[kDrainBytes] = {};
      feed_runs(e, zeros, sizeof zeros);
    } else {
      check_plotter_ends_page(e);
    }
    // The dot-matrix interpreter hands over to the plotter only when idle.
    check(dot_matrix_idle(e), "dot-matrix interpreter did not come back to idle");
  }
  std::remove(spool_path().c_str());
  return 0;
}
