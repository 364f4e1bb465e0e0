// The page engine: everything one run owns, in one object, so that a test
// builds a fresh engine in one line. Operations are free functions over it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "emul/interpreters.h"
#include "gfx/surface.h"
#include "layout/page_state.h"
#include "page/page_record.h"
#include "print/printer.h"

namespace morvane {

// What the engine needs of the shell that hosts it.
class EngineHooks {
 public:
  virtual ~EngineHooks() = default;
  // A new, blank sheet of width x height page units (one pixel each on screen).
  virtual std::unique_ptr<Surface> create_sheet(std::uint32_t width, std::uint32_t height) = 0;
  // After a run of bytes or a repaint: show the sheet in the view.
  virtual void show_page(Surface& /*sheet*/) {}
  // A failure the user must see.
  virtual void error(const std::string& /*text*/, const std::string& /*caption*/) {}
  // A screen page is about to end; the sheet still shows it.
  virtual void page_ending(Surface& /*sheet*/) {}
};

struct Engine {
  Engine(EngineHooks& hooks, PrinterSystem& printers) : hooks(hooks), printers(printers) {}
  ~Engine();
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

  // Sheet and view.
  std::unique_ptr<Surface> page_bitmap;
  bool printer_ready = false;
  std::int32_t view_mode = 0;  // 0 fit to window, 1 original size

  // Spool file of the page in progress.
  std::FILE* spool_stream = nullptr;
  std::string spool_path = "Morvane.$$$";
  PageRecord page_record;           // what the replay needs besides the spooled bytes
  bool spool_failure_told = false;  // the user heard of the spool file's failure

  // Printer and print document.
  PrinterNames printer_names;
  std::unique_ptr<PrinterDevice> printer_dc;
  bool printer_measured = false;  // printer_dc was measured (not the fallback)
  std::string unusable_printer;   // the printer whose context could not be made, told once
  std::int32_t job_active = 0;
  std::int32_t page_started = 0;
  std::int32_t print_aborted = 0;
  std::int32_t printer_enabled = 1;
  std::int32_t close_document = 1;

  // True while a finished page is being printed: the shell must not feed the
  // screen page then (input stays queued) nor end the document.
  bool printing = false;
};

// What the interpreters lay out and draw on: the screen page and the sheet,
// or the printer page and the printer's surface (inside a print document
// only, opening the sheet at the first drawing).
class ScreenTarget final : public PageTarget {
 public:
  explicit ScreenTarget(Engine& e) : PageTarget(e.screen), e_(e) {}
  Surface* drawing_surface() override { return e_.page_bitmap.get(); }
  const FontDesc& current_font() const override { return e_.current_font; }

 private:
  Engine& e_;
};

class PrinterTarget final : public PageTarget {
 public:
  explicit PrinterTarget(Engine& e) : PageTarget(e.printer), e_(e) {}
  Surface* drawing_surface() override;
  const FontDesc& current_font() const override { return e_.current_font; }

 private:
  Engine& e_;
};

// The page font as the settings or the font chooser give it: the printer
// page's font, the current font and the font pages are measured with.
void set_printer_font(Engine& e, const FontDesc& font);

}  // namespace morvane
