#include "page/feed.h"

#include "emul/emulation.h"
#include "page/engine.h"
#include "page/page_state_ops.h"
#include "page/printing.h"

namespace morvane {

namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kFrame = rgb(198, 195, 198);

// Per call of feed_page.
struct FeedFlags {
  bool cr_pending = false;
  bool lf_pending = false;
  bool ff_pending = false;
  bool bitmap_new = false;
};

void open_printer_once(Engine& e) {
  if (e.printer_ready) return;
  open_printer(e);
  e.printer_ready = true;
}

void clear_and_home(Engine& e) {
  clear_page(e, *e.page_bitmap);
  home_page(e.screen);
  home_page(e.printer);
}

void spool_byte(Engine& e, PageState& page, std::uint8_t byte) {
  if (!e.spool_stream) e.spool_stream = std::fopen(e.spool_path.c_str(), "wb");
  if (e.spool_stream) std::fputc(byte, e.spool_stream);
  page.dirty = 1;
}

std::uint8_t interpret(Engine& e, PageState& page, std::uint8_t byte) {
  if (e.emulation == 0) return dot_matrix_byte(e, page, byte);
  if (e.emulation == 1) return plotter_byte(e, page, byte);
  return byte;
}

bool page_full(const PageState& p) {
  if (p.skip_perforation < p.lines_per_page)
    return p.line_count >= p.lines_per_page - p.skip_perforation;
  return p.line_count >= p.lines_per_page;
}

void end_page(Engine& e, PageState& page, FeedFlags& f) {
  f.ff_pending = false;
  const bool screen = page.is_printer == 0;
  if (screen) {
    reset_plotter_parse(e, e.printer);
    e.hooks.page_ending(*e.page_bitmap);
    print_page(e);
  }
  reset_plotter_parse(e, e.screen);
  page.dirty = 0;
  f.bitmap_new = false;
  if (screen) clear_page(e, *e.page_bitmap);
  home_page(page);
}

void feed_byte(Engine& e, PageState& page, std::uint8_t byte, FeedFlags& f) {
  const bool screen = page.is_printer == 0;
  if (screen) spool_byte(e, page, byte);

  const std::uint8_t r = interpret(e, page, byte);
  if (r == 10) {
    f.lf_pending = true;
  } else if (r == 12) {
    f.ff_pending = true;
  } else if (r == 13) {
    f.cr_pending = true;
  } else if (r >= 0x20 && r <= 0x7E) {
    if (screen) draw_char_screen(e, *e.page_bitmap, static_cast<char>(r));
    else draw_char_printer(e, static_cast<char>(r));
  }

  // Line end: runs after every byte, so a tab or an image past the end wraps at once.
  if (page.cur_x >= page.wrap_width - page.wrap_margin) {
    f.lf_pending = true;
    page.cur_x = page.margin_left;
  } else if (f.cr_pending) {
    page.cur_x = page.margin_left;
  }
  f.cr_pending = false;

  bool full = false;
  if (f.lf_pending) {
    f.lf_pending = false;
    if (e.short_line_feed) {
      e.short_line_feed = 0;
      page.cur_y += 8;
    } else {
      page.cur_y += page.line_height;
    }
    page.line_count += 1;
    full = page_full(page);
  }

  if (f.ff_pending || full) end_page(e, page, f);

  if (e.font_changed) {
    e.font_changed = 0;
    e.current_font = make_font(e, page);
  }
}

}  // namespace

bool ensure_page_bitmap(Engine& e) {
  if (e.page_bitmap) return false;
  // The sheet has the printer's paper size at one pixel per page unit.
  e.page_bitmap = e.hooks.create_sheet(e.printer.paper_width, e.printer.paper_height);
  derive_screen_page(e, e.page_bitmap->text_metrics(e.current_font));
  clear_and_home(e);
  return true;
}

bool feed_screen(Engine& e, const std::uint8_t* bytes, std::size_t count) {
  if (e.printing) return false;
  feed_page(e, e.screen, bytes, count);
  return true;
}

void feed_page(Engine& e, PageState& page, const std::uint8_t* bytes, std::size_t count) {
  FeedFlags f;
  open_printer_once(e);
  f.bitmap_new = ensure_page_bitmap(e);

  if (bytes == nullptr && count == 0) {
    page.dirty = 1;
    if (e.spool_stream) {
      std::fclose(e.spool_stream);
      e.spool_stream = nullptr;
    }
    f.bitmap_new = false;
    clear_and_home(e);
  } else if (f.bitmap_new) {
    // Created and cleared above; both pages are already homed.
    f.bitmap_new = false;
  }

  if (bytes != nullptr) {
    for (std::size_t i = 0; i < count; ++i) feed_byte(e, page, bytes[i], f);
  }

  if (page.is_printer) return;
  // Once per run of bytes: the spool file on disk holds everything received.
  if (e.spool_stream) std::fflush(e.spool_stream);
  e.hooks.show_page(*e.page_bitmap);
}

void clear_page(Engine& e, Surface& sheet) {
  const PageState& s = e.screen;
  const auto w = static_cast<std::int32_t>(s.paper_width);
  const auto h = static_cast<std::int32_t>(s.paper_height);
  sheet.fill_rect(0, 0, w, h, kWhite);
  const auto left = static_cast<std::int32_t>(s.margin_left);
  const auto top = static_cast<std::int32_t>(s.margin_top);
  const auto right = static_cast<std::int32_t>(s.paper_width - s.margin_right);
  const auto bottom = static_cast<std::int32_t>(s.paper_height - s.margin_bottom);
  sheet.set_pen(kFrame, 0);
  sheet.move_to(left, top);
  sheet.line_to(right, top);
  sheet.line_to(right, bottom);
  sheet.line_to(left, bottom);
  sheet.line_to(left, top);
}

FontDesc make_font(const Engine& e, const PageState& page) {
  FontDesc f = page.font;
  if (e.emulation != 0) {
    f.escapement = page.plotter.text_angle;
    f.width = 0;
    f.weight = 400;
    return f;
  }
  std::int32_t w = f.width;
  const bool script = page.superscript || page.subscript;
  if (script) {
    f.height = f.height * 2 / 3;
    w = f.width / 2;
  }
  if (page.double_width || page.expanded) {
    f.width = 2 * w;
    f.weight = page.emphasized ? 700 : 400;
  } else if (page.condensed && !page.emphasized) {
    f.width = w / 2;
    if (script) f.weight = 400;
  } else {
    f.width = 0;
    f.weight = page.emphasized ? 700 : 400;
  }
  return f;
}

namespace {

// Where a character goes and how far the position then moves, by the styles.
struct CharStep {
  std::uint32_t y_offset;
  std::uint32_t advance;
};

CharStep char_step(const PageState& p) {
  if (p.subscript) return {p.line_height / 3, p.char_width / 2};
  if (p.superscript) return {0, p.char_width / 2};
  if (p.double_width || p.expanded) return {0, 2 * p.char_width};
  if (p.condensed && !p.emphasized) return {0, p.char_width / 2};
  return {0, p.char_width};
}

Color text_color(const Engine& e, const PageState& p) {
  return e.emulation == 0 ? 0 : p.plotter.pen_color;
}

void draw_char(Engine& e, PageState& p, Surface& s, char ch) {
  const CharStep step = char_step(p);
  const auto x = static_cast<std::int32_t>(p.cur_x);
  const auto y = static_cast<std::int32_t>(p.cur_y + step.y_offset);
  if (e.emulation == 0) {
    // The surface may print it as the head does, in the cell the layout gives.
    CharCell cell;
    cell.advance = static_cast<std::int32_t>(step.advance);
    cell.line_height = static_cast<std::int32_t>(p.line_height);
    cell.emphasized = p.emphasized != 0;
    cell.double_strike = p.double_strike != 0;
    cell.script = p.superscript != 0 || p.subscript != 0;
    cell.wide = !cell.script && (p.double_width != 0 || p.expanded != 0);
    s.print_char(x, y, ch, e.current_font, text_color(e, p), cell);
  } else {
    s.draw_text(x, y, &ch, 1, e.current_font, text_color(e, p));
  }
  p.cur_x += step.advance;
}

}  // namespace

void draw_char_screen(Engine& e, Surface& sheet, char ch) { draw_char(e, e.screen, sheet, ch); }

void draw_char_printer(Engine& e, char ch) {
  if (e.job_active == 0 || e.printer_enabled == 0 || !e.printer_dc) return;
  start_printer_page(e);
  draw_char(e, e.printer, e.printer_dc->surface(), ch);
}

void repaint_page(Engine& e) {
  open_printer_once(e);
  ensure_page_bitmap(e);
  e.hooks.show_page(*e.page_bitmap);
}

}  // namespace morvane
