// A shell keeps the sheet it made last by its own type and reads that one
// when the engine shows a sheet or ends a page: whatever the run does (no
// printer, another font or printer, clears, page ends), the sheet the
// engine shows, and holds, is always the one made last.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "page/commands.h"
#include "page/feed.h"
#include "page/printing.h"
#include "support/engine_fixture.h"

namespace morvane {
namespace {

// Measures fonts on a sheet of its own, as the desktop program and morvane do.
class KeepingShell final : public test::TestShell {
 public:
  std::unique_ptr<Surface> create_sheet(std::uint32_t w, std::uint32_t h) override {
    auto sheet = TestShell::create_sheet(w, h);
    made_last = sheet.get();
    return sheet;
  }
  TextMetrics sheet_text_metrics(const FontDesc& font) override { return RecordingSurface().text_metrics(font); }
  void show_page(Surface& sheet) override { check(sheet, "shown"); }
  void page_ending(Surface& sheet) override { check(sheet, "ending"); }

  Surface* made_last = nullptr;
  std::string wrong;

 private:
  void check(Surface& sheet, const char* what) {
    if (&sheet != made_last) wrong = std::string(what) + ": not the sheet made last";
  }
};

TEST(ShownSheet, TheEngineShowsAndHoldsTheSheetMadeLast) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    KeepingShell shell;
    RecordingPrinterSystem printers;
    printers.config().fail_create_device = seed % 3 == 0;  // laid out for the fallback printer
    Engine e(shell, printers);
    e.spool.set_path(test::temp_spool_path());
    std::mt19937 rng(seed);
    std::string script;
    for (int step = 0; step < 30; ++step) {
      const unsigned what = rng() % 6;
      script += std::to_string(what) + " ";
      switch (what) {
        case 0: feed_screen(e, reinterpret_cast<const std::uint8_t*>("AB\r\n"), 4); break;
        case 1: print_page_now(e); break;
        case 2: clear_page_now(e); break;
        case 3: {
          const auto height = -static_cast<std::int32_t>(10 + rng() % 30);
          change_page_font(e, base_font(height, 400, 0, "Courier New"));
          break;
        }
        case 4: {
          printers.config().fail_create_device = rng() % 2 == 0;
          const PrinterNames names{"Recording Printer", "recording", "FILE:"};
          change_printer(e, names, nullptr);
          break;
        }
        case 5: repaint_page(e); break;
      }
      ASSERT_EQ(shell.wrong, "") << "seed " << seed << ": " << script;
      ASSERT_TRUE(e.page_bitmap == nullptr || e.page_bitmap.get() == shell.made_last)
          << "seed " << seed << ": " << script;
    }
    end_run(e);
    std::error_code ec;
    std::filesystem::remove(e.spool.path(), ec);
  }
}

}  // namespace
}  // namespace morvane
