// The live window's share of the work: the sheet that keeps track of what
// changed, the tiles a run of bytes reaches in the view, and drawing one tile
// in either view mode. Text lines arrive in runs of kPollBytes, as the input
// poll hands them over; "tiles/run" is how many of the view's tiles a run
// makes the window draw again (a 600 x 432 view has 20 in either mode).
#include <benchmark/benchmark.h>

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gfx/cairo/cairo_sheet.h"
#include "gfx/damage_sheet.h"
#include "layout/text_style.h"
#include "live/tile_render.h"
#include "io/channel.h"
#include "page/engine.h"
#include "page/feed.h"
#include "page/printing.h"
#include "print/geometry_printer.h"
#include "view/view_damage.h"
#include "view/view_geometry.h"

namespace {

using namespace morvane;

constexpr std::uint32_t kViewW = 600, kViewH = 432;
constexpr std::int32_t kTile = 128;

class WindowShell : public EngineHooks {
 public:
  std::unique_ptr<Surface> create_sheet(std::uint32_t w, std::uint32_t h) override {
    const auto sw = static_cast<std::int32_t>(w), sh = static_cast<std::int32_t>(h);
    auto s = std::make_unique<DamageSheet>(std::make_unique<CairoSheet>(sw, sh), sw, sh);
    sheet = s.get();
    return s;
  }
  DamageSheet* sheet = nullptr;
};

// Letter at 600 dpi; no sheet is printed.
std::unique_ptr<PrinterSystem> measuring_printer() {
  return std::make_unique<GeometryPrinterSystem>("Bench", DeviceCaps{4800, 6300, 600, 600, 5100, 6600, 150, 150},
                                                 [] { return std::make_unique<CairoSheet>(1, 1); });
}

std::vector<std::uint8_t> text_lines() {
  std::vector<std::uint8_t> s;
  for (int line = 0; line < 64; ++line) {
    for (int i = 0; i < 72; ++i) s.push_back(static_cast<std::uint8_t>(0x21 + (line + i) % 94));
    s.push_back(13);
    s.push_back(10);
  }
  return s;
}

void run_window_feed(benchmark::State& state, ViewMode view_mode) {
  WindowShell shell;
  auto printers = measuring_printer();
  Engine e(shell, *printers);
  e.spool.set_path("/tmp/morvane-bench-live-" + std::to_string(reinterpret_cast<std::uintptr_t>(&e)) + ".$$$");
  set_printer_font(e, base_font(-24, 400, 0, "Courier New"));
  clear_page_request(e);
  const PageState& s = e.screen;
  const SheetLayout layout =
      layout_sheet(view_copy(view_mode, kViewW, kViewH, s.paper_width, s.paper_height, 0, 0), kViewW, kViewH,
                   s.paper_width, s.paper_height);
  const TileGrid grid = tile_grid(kViewW, kViewH, kTile);
  shell.sheet->take_damage();
  const std::vector<std::uint8_t> block = text_lines();
  std::int64_t runs = 0, tiles = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < block.size(); i += kPollBytes) {
      const std::size_t n = block.size() - i < kPollBytes ? block.size() - i : kPollBytes;
      feed_screen(e, block.data() + i, n);
      tiles += static_cast<std::int64_t>(tiles_meeting(grid, view_damage(shell.sheet->take_damage(), layout)).size());
      ++runs;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(block.size()));
  state.counters["tiles/run"] = runs > 0 ? static_cast<double>(tiles) / static_cast<double>(runs) : 0;
  end_run(e);
  std::remove(e.spool.path().c_str());
}

void BM_TextOnWindowSheetFitted(benchmark::State& state) { run_window_feed(state, ViewMode::fit_to_window); }
void BM_TextOnWindowSheetOriginalSize(benchmark::State& state) { run_window_feed(state, ViewMode::original_size); }

void run_tile(benchmark::State& state, ViewMode view_mode) {
  CairoSheet sheet(850, 1100);
  const FontDesc f = base_font(-24, 400, 0, "Courier New");
  for (int line = 0; line < 40; ++line) sheet.draw_text(25, 25 + 27 * line, "The quick brown fox jumps", 25, f, 0);
  const SheetLayout layout =
      layout_sheet(view_copy(view_mode, kViewW, kViewH, 850, 1100, 0, 0), kViewW, kViewH, 850, 1100);
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kTile, kTile);
  for (auto _ : state) live::render_tile(sheet.image(), layout, ViewRect{128, 128, 256, 256}, 1, target);
  cairo_surface_destroy(target);
}

void BM_TileFitted(benchmark::State& state) { run_tile(state, ViewMode::fit_to_window); }
void BM_TileOriginalSize(benchmark::State& state) { run_tile(state, ViewMode::original_size); }

BENCHMARK(BM_TextOnWindowSheetFitted);
BENCHMARK(BM_TextOnWindowSheetOriginalSize);
BENCHMARK(BM_TileFitted);
BENCHMARK(BM_TileOriginalSize);

}  // namespace

BENCHMARK_MAIN();
