// Plotter pages in each face, from the bytes to the printed PDF: laid out on
// the cairo sheet, then replayed into the virtual printer's PDF. The TrueType
// face draws each label as one run of a font, the pen face as pen strokes, a
// path of some 15 points a character. Two pages: one dense with labels (2,400
// characters; the serial line delivers it in 0.12 s) and the sample
// samples/labels.bin. Pages per second are reported.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "gfx/cairo/cairo_sheet.h"
#include "layout/text_style.h"
#include "io/channel.h"
#include "page/engine.h"
#include "page/feed.h"
#include "page/printing.h"
#include "print/virtual/virtual_printer.h"

namespace {

using namespace morvane;

class BenchShell : public EngineHooks {
 public:
  std::unique_ptr<Surface> create_sheet(std::uint32_t w, std::uint32_t h) override {
    return std::make_unique<CairoSheet>(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
  }
};

// Sixty labels of 40 characters at size 1 in the four directions over the
// page, then a few lines of text; one page, ended by a form feed.
std::string label_page() {
  std::string s = "\x1b#S1\r\n";
  const std::string text = "Label 0123456789 ABCDEFGHIJ abcdefghij.";
  for (int i = 0; i < 60; ++i) {
    const int q = i % 4;
    const int x = 100 + (i % 6) * 100;
    const int y = -100 - (i / 6) * 90;
    s += "Q" + std::to_string(q) + "\r\nM" + std::to_string(x) + "," + std::to_string(y) +
         "\r\nP" + text + "\r\n";
  }
  s += "Q0\r\nM0,-990\r\nA\r\n";
  for (int line = 0; line < 4; ++line) s += "Text mode line " + std::to_string(line) + "\r\n";
  return s + "\x0c";
}

std::string sample_page() {
  std::ifstream in(MORVANE_SAMPLES_DIR "/labels.bin", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void run_page(benchmark::State& state, PlotterFace face, const std::string& page) {
  const std::string pdf = "/tmp/morvane-bench-faces-" + std::to_string(reinterpret_cast<std::uintptr_t>(&state)) + ".pdf";
  {
    VirtualPrinterConfig config;
    config.output_path = pdf;
    config.one_file = true;
    VirtualPrinterSystem printers(config);
    BenchShell shell;
    Engine e(shell, printers);
    e.spool.set_path(pdf + ".$$$");
    e.interp.plotter_face = face;
    e.interp.emulation = Emulation::plotter;
    e.print.set_printer_enabled(true);
    set_printer_font(e, base_font(-24, 400, 0, "Courier New"));
    if (page.empty()) state.SkipWithError("no page");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(page.data());
    for (auto _ : state) {
      // In runs of at most kPollBytes, as the input poll hands them over.
      for (std::size_t i = 0; i < page.size(); i += kPollBytes) {
        const std::size_t n = page.size() - i < kPollBytes ? page.size() - i : kPollBytes;
        feed_screen(e, bytes + i, n);
      }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    end_run(e);
    std::remove(e.spool.path().c_str());
  }
  std::remove(pdf.c_str());
}

void BM_LabelPageTrueType(benchmark::State& state) { run_page(state, PlotterFace::truetype, label_page()); }
void BM_LabelPageStrokes(benchmark::State& state) { run_page(state, PlotterFace::strokes, label_page()); }
void BM_SamplePageTrueType(benchmark::State& state) { run_page(state, PlotterFace::truetype, sample_page()); }
void BM_SamplePageStrokes(benchmark::State& state) { run_page(state, PlotterFace::strokes, sample_page()); }
BENCHMARK(BM_LabelPageTrueType)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LabelPageStrokes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SamplePageTrueType)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SamplePageStrokes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
