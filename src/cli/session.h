// One run of the page engine for the command-line program: the engine, its
// sheets, the printer, the PNG pages and the reports.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/backend.h"
#include "cli/options.h"
#include "config/settings.h"
#include "page/engine.h"

namespace morvane {
class DamageSheet;
namespace live {
class LiveWindow;
}
}  // namespace morvane

namespace morvane::cli {

// Where the program's messages go; a failure makes the run end with status 1.
class Reporter {
 public:
  explicit Reporter(bool quiet) : quiet_(quiet) {}
  void error(const std::string& text);   // "morvane: text" on standard error
  void warning(const std::string& text);  // likewise, but the run goes on
  void note(const std::string& text);    // a report line on standard output, unless quiet
  bool failed() const { return failed_; }
  bool quiet() const { return quiet_; }
  // The last thing said, quiet or not (a window's status line shows it).
  const std::string& last() const { return last_; }

 private:
  bool quiet_;
  bool failed_ = false;
  std::string last_;
};

class Session final : public EngineHooks {
 public:
  // Called after every ended page: the page's number among the run's pages
  // (printed sheets; ended pages when nothing is printed; 0 for a page that
  // is not one) and what became of it.
  using PageReport = std::function<void(int page, const PageOutcome& outcome)>;

  // Null when the printer the options ask for cannot be made, or the page
  // spool cannot be (reported). The spool is a private temporary file.
  static std::unique_ptr<Session> create(const CliOptions& options, const Settings& settings,
                                         Reporter& reporter);
  ~Session() override;

  Engine& engine() { return *engine_; }
  // Measures the printer and makes the sheet, as the first byte would.
  void prepare();
  // Feeds bytes as received, in runs of at most a poll's bytes (kPollBytes).
  void feed(const std::uint8_t* bytes, std::size_t count);
  bool page_dirty() const { return engine_->screen.dirty != 0; }
  // Ends the page in progress as "Print page now" would, after giving up an
  // unfinished command (what came of it stays, nothing more is drawn);
  // nothing happens on a clean page.
  void end_page_now();
  // The run is over: the open document is closed, the spool file of an
  // unfinished page removed.
  void close();

  // The run's pages: sheets printed (stored for good), or pages ended when
  // nothing is printed.
  int pages() const { return pages_; }
  std::uint64_t bytes_fed() const { return bytes_fed_; }
  bool printing_enabled() const { return engine_->print.printer_enabled(); }
  void on_page(PageReport report) { page_report_ = std::move(report); }
  // Shows the sheet live in `window` from now on; before prepare(), so that
  // the sheet is made to be shown. Null: no window any more.
  void show_in(live::LiveWindow* window) { window_ = window; }

  // EngineHooks
  std::unique_ptr<Surface> create_sheet(std::uint32_t width, std::uint32_t height) override;
  TextMetrics sheet_text_metrics(const FontDesc& font) override;
  void error(const std::string& text, const std::string& caption) override;
  void page_ending(Surface& sheet) override;
  void page_printed(const PageOutcome& outcome) override;
  void show_page(Surface& sheet) override;

 private:
  Session(Reporter& reporter, std::unique_ptr<OutputPrinter> output);
  void save_png(ImageSheet& sheet);
  void clear_earlier_pngs();
  void finish_output();

  Reporter& reporter_;
  std::unique_ptr<OutputPrinter> output_;
  std::unique_ptr<Engine> engine_;
  std::optional<std::string> png_dir_;
  std::optional<std::string> pdf_path_;
  Face face_ = Face::truetype;
  int pages_ = 0;         // see pages()
  int printed_ = 0;       // sheets printed
  int screen_pages_ = 0;  // pages ended on the screen, the PNG pages' numbers
  bool pngs_cleared_ = false;
  std::string last_failure_;  // told once until a page is printed again
  std::uint64_t bytes_fed_ = 0;
  bool closed_ = false;
  PageReport page_report_;
  live::LiveWindow* window_ = nullptr;
  // The sheet made last, by its own types: the engine's sheet while it has one.
  struct MadeSheet {
    ImageSheet* image = nullptr;   // null for a sheet that is only measured
    DamageSheet* shown = nullptr;  // null without a window
  };
  MadeSheet sheet_;
};

// The virtual printer the options describe.
PrinterSetup printer_setup(const CliOptions& options);

}  // namespace morvane::cli
