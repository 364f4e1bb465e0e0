// A page engine for tests: a shell whose sheets are recording surfaces (or
// whatever a test's factory makes), a recording printer, and a spool file of
// its own in the temporary directory.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "print/recording/recording_printer.h"
#include "gfx/recording/recording_surface.h"
#include "page/engine.h"
#include "page/feed.h"
#include "layout/text_style.h"

namespace morvane::test {

class TestShell : public EngineHooks {
 public:
  using SheetFactory = std::function<std::unique_ptr<Surface>(std::uint32_t, std::uint32_t)>;

  std::unique_ptr<Surface> create_sheet(std::uint32_t w, std::uint32_t h) override {
    sheets_made.emplace_back(w, h);
    if (factory) return factory(w, h);
    return std::make_unique<RecordingSurface>();
  }
  void show_page(Surface&) override { ++shows; }
  void error(const std::string& text, const std::string& caption) override {
    errors.emplace_back(text, caption);
  }
  void page_ending(Surface& sheet) override {
    ++pages_ending;
    if (on_page_ending) on_page_ending(sheet);
  }

  SheetFactory factory;
  std::function<void(Surface&)> on_page_ending;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> sheets_made;
  std::vector<std::pair<std::string, std::string>> errors;
  int shows = 0;
  int pages_ending = 0;
};

inline std::string temp_spool_path() {
  // Test programs run in parallel: a random tag per program keeps their files apart.
  static const unsigned tag = std::random_device{}();
  static std::atomic<int> counter{0};
  auto dir = std::filesystem::temp_directory_path();
  std::string name = "morvane-test-" + std::to_string(tag) + "-" + std::to_string(counter++) + ".$$$";
  return (dir / name).string();
}

struct EngineFixture {
  explicit EngineFixture(RecordingPrinterConfig config = {}) : printers(std::move(config)) {
    engine.spool.set_path(temp_spool_path());
    set_printer_font(engine, base_font(-24, 400, 0, "Courier New"));
    std::filesystem::remove(engine.spool.path());
  }
  ~EngineFixture() {
    engine.spool.close();
    std::error_code ec;
    std::filesystem::remove(engine.spool.path(), ec);
  }

  bool feed(const std::string& bytes) {
    return feed_screen(engine, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  bool clear_request() { return clear_page_request(engine); }

  // Every sheet and the printer answer these metrics for every font.
  void use_metrics(TextMetrics tm) {
    auto model = [tm](const FontDesc&) { return tm; };
    printers.set_metrics_model(model);
    shell.factory = [model](std::uint32_t, std::uint32_t) {
      auto s = std::make_unique<RecordingSurface>();
      s->set_metrics_model(model);
      return s;
    };
  }

  // The screen sheet as a recording surface (only with the default factory).
  RecordingSurface& sheet() { return static_cast<RecordingSurface&>(*engine.page_bitmap); }
  RecordingPrinterLog& printed() { return printers.log(); }

  std::string spool_contents() {
    engine.spool.flush();
    std::string out;
    if (std::FILE* f = std::fopen(engine.spool.path().c_str(), "rb")) {
      int c;
      while ((c = std::fgetc(f)) != EOF) out += static_cast<char>(c);
      std::fclose(f);
    }
    return out;
  }

  TestShell shell;
  RecordingPrinterSystem printers;
  Engine engine{shell, printers};
};

}  // namespace morvane::test
