#include "page/printing.h"

#include <string>

#include "emul/emulation.h"
#include "page/engine.h"
#include "page/feed.h"
#include "layout/page_ops.h"
#include "layout/text_style.h"

namespace morvane {

namespace {

// The printer assumed for laying out pages while no printer can be measured:
// US Letter at 600 dots per inch with a quarter inch unprintable on each side.
constexpr DeviceCaps kFallbackCaps{4800, 6300, 600, 600, 5100, 6600, 150, 150};

void measure_printer(Engine& e) {
  DeviceCaps caps = e.print.printer_dc->caps();
  if (caps.dpi_x == 0 || caps.dpi_y == 0) caps = kFallbackCaps;
  init_printer_page(e.printer, e.metrics, e.interp.tab_table, caps,
                    e.print.printer_dc->surface().text_metrics(e.page_font), e.interp.plotter_face);
}

// No printer: the pages are laid out for the fallback printer, measured with
// the font on a sheet, so that nothing divides by zero. Printing stays refused.
void measure_fallback(Engine& e) {
  if (e.metrics.dpi_x != 0) return;  // keep the last printer that was measured
  init_printer_page(e.printer, e.metrics, e.interp.tab_table, kFallbackCaps,
                    e.hooks.sheet_text_metrics(e.page_font), e.interp.plotter_face);
}

bool make_printer_dc(Engine& e) {
  if (e.print.printer_dc) return true;
  e.print.printer_dc = e.printers.create_device(e.print.printer_names);
  if (!e.print.printer_dc) {
    // Told once per printer: every page end would otherwise repeat it.
    if (e.print.unusable_printer != e.print.printer_names.device) {
      e.print.unusable_printer = e.print.printer_names.device;
      e.hooks.error(std::string(kNoPrinterContext) + " \"" + e.print.printer_names.device + "\"", kCaption);
    }
    return false;
  }
  return true;
}

// An aborted document takes nothing more: the next page starts a new one.
void forget_aborted_job(Engine& e) {
  if (e.print.document_open() && e.print.printer_dc && e.print.printer_dc->aborted()) e.print.document_lost();
}

}  // namespace

bool find_default_printer(Engine& e) {
  if (e.print.printer_names.complete()) return true;
  const PrinterNames names = parse_device_string(e.printers.default_device_string());
  if (names.complete()) {
    e.print.printer_names = names;
    return true;
  }
  e.hooks.error(kNoDefaultPrinter, kCaption);
  return false;
}

bool open_printer(Engine& e) {
  if (!e.print.printer_dc) {
    if (!find_default_printer(e) || !make_printer_dc(e)) {
      measure_fallback(e);
      return false;
    }
  }
  measure_printer(e);
  return true;
}

bool start_print_job(Engine& e) {
  if (!find_default_printer(e)) return false;
  if (!make_printer_dc(e)) return false;
  measure_printer(e);
  if (!e.print.printer_dc->start_doc(kDocumentName)) {
    e.hooks.error(kCannotStartJob, "");
    return false;
  }
  e.print.document_started();
  return true;
}

namespace {

PageOutcome failed(PageOutcome out, std::string why, bool told) {
  out.paper = PageOutcome::Paper::failed;
  out.failure = std::move(why);
  out.told = told;
  return out;
}

std::string spool_failure_text(const Engine& e, const char* what) {
  return std::string("the spool file could not be ") + what + ": " + e.spool.failure().text();
}

// The page, whole in its spool file, replayed into a document and ended on
// its sheet: what became of it.
PageOutcome print_spooled_page(Engine& e, PageOutcome out) {
  forget_aborted_job(e);
  if (!e.print.document_open() && !start_print_job(e)) return failed(out, kCannotStartJob, true);
  const bool read_back = replay_page(e);
  const bool drew = e.print.sheet_open();
  const bool stored =
      end_printer_page(e, e.print.close_document() ? SheetEnd::sheet_and_document : SheetEnd::sheet);
  if (!read_back) return failed(out, spool_failure_text(e, "read back"), false);
  if (!drew) {
    out.paper = PageOutcome::Paper::blank;
    return out;
  }
  if (!stored) {
    const std::string why = e.print.printer_dc ? e.print.printer_dc->failure() : std::string();
    return failed(out, why.empty() ? "the printer did not take the sheet" : why, false);
  }
  out.paper = PageOutcome::Paper::printed;
  return out;
}

}  // namespace

void print_page(Engine& e) {
  PageOutcome out;
  out.bytes = e.page_record.bytes;
  if (!e.spool.is_open()) {
    // The page's spool file never opened: nothing is printed or synchronised.
    if (e.print.printer_enabled()) out = failed(out, spool_failure_text(e, "written"), true);
    e.hooks.page_printed(out);
    return;
  }
  const bool spooled = spool_whole(e);

  e.print.page_begins();
  if (e.print.printer_enabled()) {
    out = spooled ? print_spooled_page(e, out) : failed(out, spool_failure_text(e, "written"), true);
  }
  sync_printer_page(e.screen, e.printer);
  // The font of the styles that stay in force on the next page.
  e.current_font = make_font(e.screen, e.interp.emulation);
  e.print.page_done();
  e.hooks.page_printed(out);
}

bool end_printer_page(Engine& e, SheetEnd end) {
  release_bit_image(e.interp);
  PrintJob& job = e.print;
  if (!job.printer_dc || !job.document_open()) return false;
  const bool stored = job.sheet_open() && job.printer_dc->end_page();
  if (end == SheetEnd::sheet_and_document) job.printer_dc->end_doc();
  job.ended(end);
  return stored;
}

void start_printer_page(Engine& e) {
  if (e.print.sheet_open() || !e.print.printer_dc) return;
  e.print.printer_dc->start_page();
  e.print.sheet_started();
}

void discard_page_bitmap(Engine& e) { e.page_bitmap.reset(); }

void replace_printer(Engine& e) { e.print.printer_dc.reset(); }

void end_run(Engine& e) {
  end_printer_page(e, SheetEnd::sheet_and_document);
  discard_page_bitmap(e);
  e.print.printer_dc.reset();
  e.spool.remove_unfinished();
}

Surface* PrinterTarget::drawing_surface() {
  // A printer reaches paper only inside an open document, on a started sheet.
  if (!e_.print.document_open() || !e_.print.printer_enabled() || !e_.print.printer_dc) return nullptr;
  start_printer_page(e_);
  return &e_.print.printer_dc->surface();
}

void set_printer_font(Engine& e, const FontDesc& font) {
  e.printer.font = font;
  e.current_font = font;
  e.page_font = font;
}

}  // namespace morvane
