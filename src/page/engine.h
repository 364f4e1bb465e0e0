// The page engine: everything one run owns, in one object made of named
// parts, so that a test builds a fresh engine in one line. Operations are
// free functions over it: the feed loop (feed.h), printing (printing.h), the
// page record (page_record.h) and the user's commands (commands.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "emul/interpreters.h"
#include "gfx/surface.h"
#include "layout/page_state.h"
#include "page/page_record.h"
#include "page/print_job.h"
#include "page/spool_file.h"
#include "print/printer.h"

namespace morvane {

// How a page that ended on the screen fared on paper.
struct PageOutcome {
  enum class Paper {
    not_printed,  // printing is off
    blank,        // it drew nothing, so no sheet was started: not a page on paper
    printed,      // its sheet is printed, or stored for good
    failed,       // it could not be printed; `failure` says why
  };
  Paper paper = Paper::not_printed;
  std::uint64_t bytes = 0;  // the page's bytes as received
  std::string failure;
  bool told = false;  // the user heard of the failure already (EngineHooks::error)
};

// What the engine needs of the shell that hosts it.
class EngineHooks {
 public:
  virtual ~EngineHooks() = default;
  // A new, blank sheet of width x height page units (one pixel each on screen).
  virtual std::unique_ptr<Surface> create_sheet(std::uint32_t width, std::uint32_t height) = 0;
  // The font's metrics on a sheet, where no printer can measure it. Made on
  // a sheet of its own, never the one shown.
  virtual TextMetrics sheet_text_metrics(const FontDesc& font) { return create_sheet(1, 1)->text_metrics(font); }
  // After a run of bytes or a repaint: show the sheet in the view.
  virtual void show_page(Surface& /*sheet*/) {}
  // A failure the user must see.
  virtual void error(const std::string& /*text*/, const std::string& /*caption*/) {}
  // A screen page is about to end; the sheet still shows it.
  virtual void page_ending(Surface& /*sheet*/) {}
  // The page that ended has been printed, or not: after page_ending.
  virtual void page_printed(const PageOutcome& /*outcome*/) {}
};

struct Engine {
  Engine(EngineHooks& hooks, PrinterSystem& printers) : hooks(hooks), printers(printers) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  EngineHooks& hooks;
  PrinterSystem& printers;

  // The two pages and their fonts.
  PageState screen;
  PageState printer;
  FontDesc current_font;  // the one font used for text on either page
  FontDesc page_font;     // the page font as configured, without styles: pages are measured with it
  PrinterMetrics metrics;

  // The emulations' interpreters and what they share with the feed loop.
  Interpreters interp;

  // The on-screen sheet, one pixel per page unit; made at the first feed or repaint.
  std::unique_ptr<Surface> page_bitmap;

  // The spool file of the page in progress, and what the replay needs beside it.
  SpoolFile spool;
  PageRecord page_record;

  // The printer and its documents.
  PrintJob print;
};

// The page font as the settings or the font chooser give it: the printer
// page's font, the current font and the font pages are measured with.
void set_printer_font(Engine& e, const FontDesc& font);

}  // namespace morvane
