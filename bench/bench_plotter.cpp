// Plotter graphic command lines through the whole feed loop: short D and J
// segments, moves and labels, as a drawing program sends them. Bytes per
// second are reported; the serial line delivers at most 25.6 kB/s.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "feed_bench.h"
#include "print/recording/recording_printer.h"
#include "io/channel.h"
#include "page/engine.h"
#include "page/feed.h"
#include "layout/text_style.h"
#include "page/printing.h"

namespace {

using namespace morvane;

// Takes every call and draws nothing: the emulation's own cost.
class NullSurface : public Surface {
 public:
  void fill_rect(std::int32_t, std::int32_t, std::int32_t, std::int32_t, Color) override {}
  void set_pen(Color, std::int32_t) override {}
  void move_to(std::int32_t, std::int32_t) override {}
  void line_to(std::int32_t x, std::int32_t y) override { benchmark::DoNotOptimize(x + y); }
  void draw_text(std::int32_t, std::int32_t, const char* text, std::size_t n, const FontDesc&,
                 Color) override {
    benchmark::DoNotOptimize(text[n - 1]);
  }
  TextMetrics text_metrics(const FontDesc&) override { return {20, 0, 10, 10}; }
  void blit_columns(std::int32_t, std::int32_t, const std::uint8_t*, std::size_t) override {}
};

class BenchShell : public EngineHooks {
 public:
  explicit BenchShell(bool drawn) : drawn_(drawn) {}
  std::unique_ptr<Surface> create_sheet(std::uint32_t w, std::uint32_t h) override {
    if (drawn_) return bench::make_sheet(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
    return std::make_unique<NullSurface>();
  }

 private:
  bool drawn_;
};

// About a page of command lines (some 17 kB); the pen wanders over the
// sheet and comes back.
std::string command_block() {
  std::string s;
  char line[96];
  for (int i = 0; i < 240; ++i) {
    const int n = 10 * (i % 8);
    std::snprintf(line, sizeof line, "M%d,-%d\r\nJ5,5,-5,5,5,-5,-5,-5\r\nD%d,-200,200,-%d,0,0\r\nC%d,L%d,R3,3\r\nPLABEL %d\r\n",
                  n, n, n, n, i % 4, i % 3, n);
    s += line;
  }
  return s;
}

void run_plotter(benchmark::State& state, bool drawn) {
  BenchShell shell(drawn);
  RecordingPrinterSystem printers;
  Engine e(shell, printers);
  e.spool.set_path(
      bench::spool_dir() + "/morvane-bench-plotter-" + std::to_string(reinterpret_cast<std::uintptr_t>(&e)) + ".$$$");
  set_printer_font(e, base_font(-24, 400, 0, "Courier New"));
  e.interp.emulation = Emulation::plotter;
  const std::string start = "\n\n\n\n\n\n\n\n\n\n\x1b#";
  feed_screen(e, reinterpret_cast<const std::uint8_t*>(start.data()), start.size());

  const std::string block = command_block();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
  for (auto _ : state) {
    // In runs of at most kPollBytes, as the input poll hands them over.
    for (std::size_t i = 0; i < block.size(); i += kPollBytes) {
      const std::size_t n = block.size() - i < kPollBytes ? block.size() - i : kPollBytes;
      feed_screen(e, bytes + i, n);
    }
    state.PauseTiming();
    clear_page_request(e);  // a new page: the spool file starts afresh
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(block.size()));
  end_run(e);
  std::remove(e.spool.path().c_str());
}

void BM_PlotterLines(benchmark::State& state) { run_plotter(state, false); }
BENCHMARK(BM_PlotterLines);

void BM_PlotterLinesOnSheet(benchmark::State& state) { run_plotter(state, true); }
BENCHMARK(BM_PlotterLinesOnSheet);

}  // namespace

BENCHMARK_MAIN();
