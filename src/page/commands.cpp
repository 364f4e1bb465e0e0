#include "page/commands.h"

#include "emul/emulation.h"
#include "emul/plotter_internal.h"
#include "layout/page_ops.h"
#include "layout/text_style.h"
#include "page/engine.h"
#include "page/feed.h"
#include "page/printing.h"

namespace morvane {

namespace {

constexpr std::uint8_t kFormFeed = 12;

bool feed_text(Engine& e, const std::string& bytes) {
  return feed_screen(e, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The run has not started: no printer opened, no page spooled.
bool not_started(const Engine& e) { return !e.print.printer_opened() && !e.spool.is_open(); }

}  // namespace

void configure_engine(Engine& e, const Settings& s) {
  e.interp.emulation = static_cast<Emulation>(s.printertype);
  // Printing needs the switch at exactly 1, as the settings file records it.
  e.print.set_printer_enabled(s.printerenable == 1);
  e.print.set_close_document(s.closedocument == 1);
  set_printer_font(e, base_font(s.font_height, s.font_weight, s.font_italic, s.font_name));
}

bool hold_spool_file(Engine& e, std::string path, unsigned long& holder) {
  if (!not_started(e)) return false;
  e.spool.set_path(std::move(path));
  return e.spool.open_in_place(holder);
}

bool use_spool_file(Engine& e, std::unique_ptr<StoredFile> file) {
  if (!not_started(e)) return false;
  e.spool.use(std::move(file));
  return true;
}

bool set_platform_version(Engine& e, std::int32_t version) {
  if (!not_started(e)) return false;
  e.interp.os_version = version;
  return true;
}

bool set_plotter_face(Engine& e, PlotterFace face) {
  if (!not_started(e)) return false;
  e.interp.plotter_face = face;
  return true;
}

bool set_printer_enabled(Engine& e, bool on) {
  if (e.print.printing_page()) return false;
  e.print.set_printer_enabled(on);
  return true;
}

void set_close_document(Engine& e, bool on) { e.print.set_close_document(on); }

bool print_page_now(Engine& e) { return feed_screen(e, &kFormFeed, 1); }

bool clear_page_now(Engine& e) { return clear_page_request(e); }

bool close_document_now(Engine& e) {
  if (e.print.printing_page()) return false;
  if (e.screen.dirty) print_page_now(e);
  end_printer_page(e, SheetEnd::sheet_and_document);
  return true;
}

bool select_pen(Engine& e, int pen) {
  const std::string bytes = pen_command(pen, e.screen.plotter.graphic_mode != 0);
  return !bytes.empty() && feed_text(e, bytes);
}

Color pen_color(int pen) {
  return pen >= 0 && pen < static_cast<int>(kPlotterPens.size()) ? kPlotterPens[static_cast<std::size_t>(pen)] : 0;
}

int current_pen(const Engine& e) {
  for (std::size_t i = 0; i < kPlotterPens.size(); ++i) {
    if (kPlotterPens[i] == e.screen.plotter.pen_color) return static_cast<int>(i);
  }
  return -1;
}

bool select_emulation(Engine& e, Emulation emulation) {
  // A replay in progress is interpreted by the emulation it started with.
  if (e.print.printing_page()) return false;
  e.interp.emulation = emulation;
  record_page_event(e, PageEventKind::select_emulation, static_cast<std::uint32_t>(emulation));
  return true;
}

bool move_print_line(Engine& e, std::uint32_t line) {
  // A page being printed is replayed into the printer page right now: moving
  // its print position would misplace the rest of that page.
  if (e.print.printing_page()) return false;
  move_to_line(e.screen, line);
  move_to_line(e.printer, line);
  record_page_event(e, PageEventKind::move_to_line, line);
  return true;
}

bool change_page_font(Engine& e, const FontDesc& font) {
  if (e.print.printing_page()) return false;
  end_printer_page(e, SheetEnd::sheet_and_document);
  discard_page_bitmap(e);
  set_printer_font(e, font);
  open_printer(e);
  return true;
}

bool change_printer(Engine& e, const PrinterNames& names, std::unique_ptr<PrinterDevice> device) {
  if (e.print.printing_page()) return false;
  end_printer_page(e, SheetEnd::sheet_and_document);
  if (names.complete()) e.print.printer_names = names;
  replace_printer(e);
  discard_page_bitmap(e);
  e.print.printer_dc = std::move(device);
  open_printer(e);
  return true;
}

bool abandon_incomplete_command(Engine& e) {
  if (e.print.printing_page() || !command_pending(e.interp, e.screen)) return false;
  record_page_event(e, PageEventKind::abandon_command, 0);
  ScreenTarget screen(e);
  give_up_command(e.interp, screen);
  return true;
}

bool finish_input(Engine& e) {
  if (!e.screen.dirty) return false;
  abandon_incomplete_command(e);
  return print_page_now(e);
}

std::string pen_command(int pen, bool graphic_mode) {
  if (pen < 0 || pen > 3) return {};
  std::string bytes;
  if (!graphic_mode) bytes += '\x1B';
  bytes += 'C';
  bytes += static_cast<char>('0' + pen);
  bytes += "\r\n";
  return bytes;
}

}  // namespace morvane
