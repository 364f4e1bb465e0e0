// Received bytes through the whole feed loop in the dot-matrix emulation:
// plain text lines and bit-image strips, on the build's screen sheet (cairo,
// in the TrueType face and in round dots; GDI in the Windows build) and on a
// surface that draws nothing. Pages end and are replayed into a printer that
// prints nothing, as often as the stream fills them. Bytes per second are
// reported; the serial line delivers at most 25.6 kB/s, the aim is a hundred
// times that.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "feed_bench.h"
#include "io/channel.h"
#include "page/engine.h"
#include "page/feed.h"
#include "layout/text_style.h"
#include "page/printing.h"

namespace {

using namespace morvane;

// Takes every call and draws nothing: the engine's own cost.
class NullSurface : public Surface {
 public:
  void fill_rect(std::int32_t, std::int32_t, std::int32_t, std::int32_t, Color) override {}
  void set_pen(Color, std::int32_t) override {}
  void move_to(std::int32_t, std::int32_t) override {}
  void line_to(std::int32_t, std::int32_t) override {}
  void draw_text(std::int32_t x, std::int32_t, const char*, std::size_t, const FontDesc&,
                 Color) override {
    benchmark::DoNotOptimize(x);
  }
  TextMetrics text_metrics(const FontDesc&) override { return {27, 0, 14, 14}; }
  void blit_columns(std::int32_t x, std::int32_t, const std::uint8_t* columns,
                    std::size_t) override {
    benchmark::DoNotOptimize(columns[0] + x);
  }
};

// Letter at 600 dpi with quarter-inch strips; every sheet goes nowhere.
class NullPrinterDevice : public PrinterDevice {
 public:
  DeviceCaps caps() override { return {4800, 6300, 600, 600, 5100, 6600, 150, 150}; }
  Surface& surface() override { return surface_; }
  bool start_doc(const std::string&) override { return true; }
  void start_page() override {}
  bool end_page() override { return true; }
  void end_doc() override {}
  void abort_doc() override {}

 private:
  NullSurface surface_;
};

class NullPrinterSystem : public PrinterSystem {
 public:
  std::string default_device_string() override { return "Null,null,nul"; }
  std::unique_ptr<PrinterDevice> create_device(const PrinterNames&) override {
    return std::make_unique<NullPrinterDevice>();
  }
};

enum class Sheet { null, truetype, dots };

class BenchShell : public EngineHooks {
 public:
  explicit BenchShell(Sheet sheet) : sheet_(sheet) {}
  std::unique_ptr<Surface> create_sheet(std::uint32_t w, std::uint32_t h) override {
    if (sheet_ == Sheet::null) return std::make_unique<NullSurface>();
    return bench::make_sheet(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), sheet_ == Sheet::dots);
  }

 private:
  Sheet sheet_;
};

// 64 lines of 72 printable characters, each ended by CR LF.
std::vector<std::uint8_t> text_block() {
  std::vector<std::uint8_t> s;
  for (int line = 0; line < 64; ++line) {
    for (int i = 0; i < 72; ++i) s.push_back(static_cast<std::uint8_t>(0x21 + (line + i) % 94));
    s.push_back(13);
    s.push_back(10);
  }
  return s;
}

// 32 strips of ESC K with 480 columns of varied dots, each ended by CR LF.
std::vector<std::uint8_t> bit_image_block() {
  std::vector<std::uint8_t> s;
  for (int strip = 0; strip < 32; ++strip) {
    s.insert(s.end(), {27, 'K', 224, 1});
    for (int k = 0; k < 480; ++k) s.push_back(static_cast<std::uint8_t>((k * 37 + strip) & 0xFF));
    s.push_back(13);
    s.push_back(10);
  }
  return s;
}

void run_feed(benchmark::State& state, Sheet sheet, const std::vector<std::uint8_t>& block) {
  BenchShell shell(sheet);
  NullPrinterSystem printers;
  Engine e(shell, printers);
  e.spool.set_path(
      bench::spool_dir() + "/morvane-bench-feed-" + std::to_string(reinterpret_cast<std::uintptr_t>(&e)) + ".$$$");
  set_printer_font(e, base_font(-24, 400, 0, "Courier New"));
  clear_page_request(e);

  for (auto _ : state) {
    // In runs of at most kPollBytes, as the input poll hands them over.
    for (std::size_t i = 0; i < block.size(); i += kPollBytes) {
      const std::size_t n = block.size() - i < kPollBytes ? block.size() - i : kPollBytes;
      feed_screen(e, block.data() + i, n);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(block.size()));
  end_run(e);
  std::remove(e.spool.path().c_str());
}

void BM_TextOnNullSurface(benchmark::State& state) { run_feed(state, Sheet::null, text_block()); }
void BM_TextOnSheet(benchmark::State& state) { run_feed(state, Sheet::truetype, text_block()); }
void BM_BitImageOnNullSurface(benchmark::State& state) {
  run_feed(state, Sheet::null, bit_image_block());
}
void BM_BitImageOnSheet(benchmark::State& state) { run_feed(state, Sheet::truetype, bit_image_block()); }

// Characters drawn one at a time straight onto the sheet, as the feed loop
// draws them: a page of 60 lines of 80.
void BM_CharactersOnSheet(benchmark::State& state) {
  const auto sheet = bench::make_sheet(850, 1100);
  FontDesc f = base_font(-17, 400, 0, "Courier New");
  int n = 0;
  for (auto _ : state) {
    for (int line = 0; line < 60; ++line) {
      for (int col = 0; col < 80; ++col, ++n) {
        const char c = static_cast<char>('!' + (n % 90));
        sheet->draw_text(25 + col * 10, 25 + line * 17, &c, 1, f, 0);
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 60 * 80);
}

BENCHMARK(BM_CharactersOnSheet);
BENCHMARK(BM_TextOnNullSurface);
BENCHMARK(BM_TextOnSheet);
BENCHMARK(BM_BitImageOnNullSurface);
BENCHMARK(BM_BitImageOnSheet);
// The dot face is the cairo sheet's alone.
#ifndef _WIN32
void BM_TextOnDotSheet(benchmark::State& state) { run_feed(state, Sheet::dots, text_block()); }
void BM_BitImageOnDotSheet(benchmark::State& state) { run_feed(state, Sheet::dots, bit_image_block()); }
BENCHMARK(BM_TextOnDotSheet);
BENCHMARK(BM_BitImageOnDotSheet);
#endif

}  // namespace

BENCHMARK_MAIN();
