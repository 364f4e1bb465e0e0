#include "cli/session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>

#include "gfx/damage_sheet.h"
#include "gfx/measuring_sheet.h"
#include "live/live_window.h"
#include "cli/run_config.h"
#include "config/paths.h"
#include "io/channel.h"
#include "page/commands.h"
#include "page/feed.h"
#include "layout/text_style.h"
#include "page/printing.h"

namespace morvane::cli {

namespace {

bool prepare_png_dir(const std::string& dir, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!ec && !std::filesystem::is_directory(dir, ec)) ec = std::make_error_code(std::errc::not_a_directory);
  if (ec) {
    error = "cannot write PNG files to " + dir + ": " + ec.message();
    return false;
  }
  return true;
}

// "page-0001.png" and on: the names this program gives its PNG pages.
bool is_page_png(const std::string& name) {
  if (name.size() < 13 || name.compare(0, 5, "page-") != 0 || name.compare(name.size() - 4, 4, ".png") != 0)
    return false;
  return std::all_of(name.begin() + 5, name.end() - 4, [](char c) { return c >= '0' && c <= '9'; });
}

// A font whose face is not installed is drawn in another face: the user
// hears which, since the pages then look other than asked.
void warn_if_stand_in(const FontDesc& font, Reporter& reporter) {
  const FaceUsed used = face_used(font);
  if (!used.stand_in) return;
  reporter.warning(std::string("font \"") + font.face_name + "\" is not installed: the text is drawn in \"" +
                   used.family + "\", a fixed-pitch face");
}

}  // namespace

void Reporter::error(const std::string& text) {
  failed_ = true;
  last_ = text;
  std::fprintf(stderr, "morvane: %s\n", text.c_str());
  std::fflush(stderr);
}

void Reporter::warning(const std::string& text) {
  last_ = text;
  std::fprintf(stderr, "morvane: %s\n", text.c_str());
  std::fflush(stderr);
}

void Reporter::note(const std::string& text) {
  last_ = text;
  if (quiet_) return;
  std::fprintf(stdout, "%s\n", text.c_str());
  std::fflush(stdout);
}

PrinterSetup printer_setup(const CliOptions& o) {
  PrinterSetup s;
  s.paper = o.paper;
  s.dpi = o.dpi;
  s.offset = o.offset;
  s.pdf_path = o.pdf_path;
  s.print = o.print;
  s.print_queue = o.print_queue;
  s.face = o.face;
  // A live session reports every page: it must be on the disk by then.
  // A batch run reports once, at its end.
  s.sync_each_page = o.command != Command::render;
  return s;
}

Session::Session(Reporter& reporter, std::unique_ptr<OutputPrinter> output)
    : reporter_(reporter), output_(std::move(output)) {
  engine_ = std::make_unique<Engine>(*this, output_->system());
}

Session::~Session() { close(); }

std::unique_ptr<Session> Session::create(const CliOptions& options, const Settings& settings,
                                         Reporter& reporter) {
  const PrinterSetup setup = printer_setup(options);
  std::string error;
  if (options.png_dir && !prepare_png_dir(*options.png_dir, error)) {
    reporter.error(error);
    return nullptr;
  }
  auto output = make_output_printer(setup, error);
  if (!output) {
    reporter.error(error);
    return nullptr;
  }
  // The page spool is this run's own: nothing goes into the working folder,
  // and another program there never reads or writes it.
  FileFailure why;
  auto spool = StoredFile::private_temporary(kSpoolFileName, why);
  if (!spool) {
    reporter.error("cannot make the spool file: " + why.text());
    return nullptr;
  }
  std::unique_ptr<Session> s(new Session(reporter, std::move(output)));
  Engine& e = *s->engine_;
  use_spool_file(e, std::move(spool));
  // Before the printer is measured: the plotter's reset size is the face's.
  set_plotter_face(e, options.plotter_face);
  configure_engine(e, settings);
  warn_if_stand_in(e.page_font, reporter);
  // The output options decide what is printed, whatever the settings say.
  set_printer_enabled(e, setup.wants_output());
  s->png_dir_ = options.png_dir;
  s->face_ = options.face;
  if (setup.wants_output()) s->pdf_path_ = options.pdf_path;
  return s;
}

void Session::prepare() { repaint_page(*engine_); }

void Session::feed(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const std::size_t n = count < kPollBytes ? count : kPollBytes;
    // One thread: no page is ever being printed when a run comes in.
    feed_screen(*engine_, bytes, n);
    bytes_fed_ += n;
    bytes += n;
    count -= n;
  }
}

void Session::end_page_now() { finish_input(*engine_); }

void Session::close() {
  if (closed_) return;
  closed_ = true;
  if (window_ != nullptr) window_->forget_sheet();  // end_run discards it
  end_run(*engine_);
  finish_output();
}

void Session::finish_output() {
  if (png_dir_) clear_earlier_pngs();  // no page came: nothing of an earlier run stays
  std::string error;
  bool removed_earlier = false;
  if (!output_->finish(printed_, error, removed_earlier)) reporter_.error(error);
  // After a failure that one line says why; this one would only repeat it.
  if (pdf_path_ && printed_ == 0 && !reporter_.failed())
    reporter_.warning("no sheet was printed: " + *pdf_path_ + " is not written" +
                      (removed_earlier ? " (the earlier file of that name is removed)" : ""));
}

std::unique_ptr<Surface> Session::create_sheet(std::uint32_t width, std::uint32_t height) {
  sheet_ = {};
  if (window_ == nullptr && !png_dir_)
    return std::make_unique<MeasuringSheet>(make_sheet(1, 1, Face::truetype).surface);
  ScreenSheet made = make_sheet(width, height, face_);
  sheet_.image = made.image;
  if (window_ == nullptr) return std::move(made.surface);
  auto shown = std::make_unique<DamageSheet>(std::move(made.surface), static_cast<std::int32_t>(width),
                                             static_cast<std::int32_t>(height));
  sheet_.shown = shown.get();
  return shown;
}

TextMetrics Session::sheet_text_metrics(const FontDesc& font) {
  // Measured as this run's sheets measure it.
  const Face face = window_ != nullptr || png_dir_ ? face_ : Face::truetype;
  return make_sheet(1, 1, face).surface->text_metrics(font);
}

void Session::error(const std::string& text, const std::string&) { reporter_.error(text); }

void Session::show_page(Surface&) {
  // Only a sheet made for the window is shown in it.
  if (window_ != nullptr && sheet_.shown != nullptr) window_->show(*sheet_.shown, *sheet_.image);
}

void Session::clear_earlier_pngs() {
  if (pngs_cleared_) return;
  pngs_cleared_ = true;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(*png_dir_, ec)) {
    // Only plain files: a folder or link of that name is not a page of ours.
    std::error_code kind;
    if (!is_page_png(entry.path().filename().string()) || !entry.is_regular_file(kind) || entry.is_symlink(kind))
      continue;
    std::error_code gone;
    if (!std::filesystem::remove(entry.path(), gone) && gone)
      reporter_.error("cannot remove the earlier page " + entry.path().string() + ": " + gone.message());
  }
  if (ec) reporter_.error("cannot read " + *png_dir_ + ": " + ec.message());
}

void Session::save_png(ImageSheet& sheet) {
  // The folder holds this run's pages only: an earlier run's go once this
  // run has a page to put there.
  clear_earlier_pngs();
  char name[32];
  std::snprintf(name, sizeof name, "page-%04d.png", screen_pages_);
  const std::string path = (std::filesystem::path(*png_dir_) / name).string();
  // Each page file is on the disk itself once written: encoding it costs
  // far more than that.
  std::string why;
  if (!save_sheet_png(sheet, path, true, why)) reporter_.error("cannot write PNG " + path + ": " + why);
}

void Session::page_ending(Surface&) {
  ++screen_pages_;
  if (png_dir_ && sheet_.image != nullptr) save_png(*sheet_.image);
}

void Session::page_printed(const PageOutcome& outcome) {
  int number = 0;
  switch (outcome.paper) {
    case PageOutcome::Paper::not_printed:
      number = ++pages_;
      break;
    case PageOutcome::Paper::printed:
      number = pages_ = ++printed_;
      last_failure_.clear();  // it works again: a new failure is told again
      break;
    case PageOutcome::Paper::blank:
      break;
    case PageOutcome::Paper::failed:
      // Told once, not at every page, until a page is printed again; what
      // the engine told already is not repeated.
      if (!outcome.told && outcome.failure != last_failure_) reporter_.error("page not printed: " + outcome.failure);
      last_failure_ = outcome.failure;
      break;
  }
  if (page_report_) page_report_(number, outcome);
}

}  // namespace morvane::cli
