#include "page/printing.h"

#include <cstdio>
#include <string>
#include <vector>

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

// The profile string holds at most 255 characters; it is cut at commas the way
// the platform's tokenizer does, skipping empty tokens.
std::vector<std::string> split_names(std::string text) {
  if (text.size() > 255) text.resize(255);
  std::vector<std::string> tokens;
  std::string cur;
  for (char c : text) {
    if (c == ',') {
      if (!cur.empty()) tokens.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) tokens.push_back(cur);
  return tokens;
}

void measure_printer(Engine& e) {
  DeviceCaps caps = e.printer_dc->caps();
  if (caps.dpi_x == 0 || caps.dpi_y == 0) caps = kFallbackCaps;
  init_printer_page(e.printer, e.metrics, e.interp.tab_table, caps,
                    e.printer_dc->surface().text_metrics(e.page_font));
  e.printer_measured = true;
}

// No printer: the pages are laid out for the fallback printer, measured with
// the font on a sheet, so that nothing divides by zero. Printing stays refused.
void measure_fallback(Engine& e) {
  if (e.metrics.dpi_x != 0) return;  // keep the last printer that was measured
  auto probe = e.hooks.create_sheet(1, 1);
  init_printer_page(e.printer, e.metrics, e.interp.tab_table, kFallbackCaps,
                    probe->text_metrics(e.page_font));
}

bool make_printer_dc(Engine& e) {
  if (e.printer_dc) return true;
  e.printer_dc = e.printers.create_device(e.printer_names);
  if (!e.printer_dc) {
    // Told once per printer: every page end would otherwise repeat it.
    if (e.unusable_printer != e.printer_names.device) {
      e.unusable_printer = e.printer_names.device;
      e.hooks.error(std::string(kNoPrinterContext) + " \"" + e.printer_names.device + "\"", kCaption);
    }
    return false;
  }
  return true;
}

// Closes the spool file of the ended page; true when it holds the whole page.
bool close_spool(Engine& e) {
  const bool written = std::fclose(e.spool_stream) == 0;
  e.spool_stream = nullptr;
  if (!written && !e.page_record.spool_failed) {
    e.page_record.spool_failed = true;
    if (!e.spool_failure_told) {
      e.spool_failure_told = true;
      e.hooks.error("Unable to write the spool file " + e.spool_path + "; the page is not printed",
                    kCaption);
    }
  }
  if (e.page_record.spool_failed) return false;
  e.spool_failure_told = false;  // it works again: a new failure is told again
  return true;
}

// An aborted document takes nothing more: the next page starts a new one.
void forget_aborted_job(Engine& e) {
  if (e.job_active && e.printer_dc && e.printer_dc->aborted()) {
    e.print_aborted = 1;
    e.job_active = 0;
    e.page_started = 0;
  }
}

}  // namespace

int find_default_printer(Engine& e) {
  if (e.printer_names.complete()) return 1;
  const auto tokens = split_names(e.printers.default_device_string());
  if (tokens.size() >= 3) {
    e.printer_names = {tokens[0], tokens[1], tokens[2]};
    return 1;
  }
  e.hooks.error(kNoDefaultPrinter, kCaption);
  return 0;
}

int open_printer(Engine& e) {
  if (!e.printer_dc) {
    if (!find_default_printer(e) || !make_printer_dc(e)) {
      measure_fallback(e);
      return 0;
    }
  }
  measure_printer(e);
  return 1;
}

int start_print_job(Engine& e) {
  if (!find_default_printer(e)) return 0;
  if (!make_printer_dc(e)) return 0;
  measure_printer(e);
  e.page_started = 0;
  e.print_aborted = 0;
  if (!e.printer_dc->start_doc(kDocumentName)) {
    e.hooks.error(kCannotStartJob, "");
    return 0;
  }
  return 1;
}

void print_page(Engine& e) {
  if (!e.spool_stream) return;
  const bool spooled = close_spool(e);

  e.printing = true;
  if (e.printer_enabled == 1 && spooled) {
    forget_aborted_job(e);
    if (e.job_active == 0) e.job_active = start_print_job(e);
    if (e.job_active != 0) {
      replay_page(e);
      end_printer_page(e, e.close_document == 1 ? 3 : 1);
    }
  }
  sync_printer_page(e.screen, e.printer);
  // The font of the styles that stay in force on the next page.
  e.current_font = make_font(e.screen, e.interp.emulation);
  e.printing = false;
}

void end_printer_page(Engine& e, int mode) {
  release_bit_image(e.interp);
  if (!e.printer_dc) return;
  if (e.job_active == 1) {
    if (e.page_started == 1) e.printer_dc->end_page();
    e.page_started = 0;
    if (mode == 3) {
      e.printer_dc->end_doc();
      e.job_active = 0;
    }
  }
}

void start_printer_page(Engine& e) {
  if (e.page_started != 0 || !e.printer_dc) return;
  e.printer_dc->start_page();
  e.page_started = 1;
}

void discard_page_bitmap(Engine& e) { e.page_bitmap.reset(); }

void replace_printer(Engine& e) {
  e.printer_dc.reset();
  e.printer_measured = false;
}

void end_run(Engine& e) {
  end_printer_page(e, 3);
  discard_page_bitmap(e);
  e.printer_dc.reset();
  if (e.spool_stream) {
    std::fclose(e.spool_stream);
    e.spool_stream = nullptr;
    std::remove(e.spool_path.c_str());
  }
}

Engine::~Engine() {
  if (spool_stream) std::fclose(spool_stream);
}

Surface* PrinterTarget::drawing_surface() {
  // A printer reaches paper only inside an open document, on a started sheet.
  if (e_.job_active == 0 || e_.printer_enabled == 0 || !e_.printer_dc) return nullptr;
  start_printer_page(e_);
  return &e_.printer_dc->surface();
}

void set_printer_font(Engine& e, const FontDesc& font) {
  e.printer.font = font;
  e.current_font = font;
  e.page_font = font;
}

}  // namespace morvane
