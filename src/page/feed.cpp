#include "page/feed.h"

#include "emul/emulation.h"
#include "layout/page_ops.h"
#include "layout/text_style.h"
#include "page/engine.h"
#include "page/printing.h"
#include "view/view_colors.h"

namespace morvane {

namespace {

constexpr Color kWhite = 0xFFFFFF;

// Per run of bytes.
struct FeedFlags {
  bool cr_pending = false;
  bool lf_pending = false;
  bool ff_pending = false;
};

void open_printer_once(Engine& e) {
  if (e.print.printer_opened()) return;
  open_printer(e);
  e.print.printer_opened_now();
}

void clear_and_home(Engine& e) {
  clear_page(e, *e.page_bitmap);
  home_page(e.screen);
  home_page(e.printer);
}

// Nothing of the page so far is printed: the next byte starts a new spool
// file and a new page record, and a short line feed left by an image line
// does not carry over.
void drop_page_in_progress(Engine& e) {
  e.spool.close();
  forget_page(e);
  e.interp.short_line_feed = false;
}

ByteResult interpret(Engine& e, PageTarget& target, std::uint8_t byte) {
  if (e.interp.emulation == Emulation::dot_matrix) return dot_matrix_byte(e.interp, target, byte);
  if (e.interp.emulation == Emulation::plotter) return plotter_byte(e.interp, target, byte);
  return ByteResult::passed(byte);
}

bool page_full(const PageState& p) {
  if (p.skip_perforation < p.lines_per_page)
    return p.line_count >= p.lines_per_page - p.skip_perforation;
  return p.line_count >= p.lines_per_page;
}

// Whichever page ended, both go on at their top, and a short line feed left
// by an image line does not carry over.
void end_page(Engine& e, FeedTarget& target, FeedFlags& f) {
  f.ff_pending = false;
  target.page_ends();
  reset_plotter_parse(e.interp, e.screen);
  e.interp.short_line_feed = false;
  target.page.dirty = 0;
  home_page(target.page);
}

// One character at the print position, in the current font; the position
// moves on by the styles' advance. Nothing happens where nothing may be
// drawn (the printer page outside a document): the position stays.
void draw_char(Engine& e, PageTarget& target, char ch) {
  Surface* s = target.drawing_surface();
  if (s == nullptr) return;
  PageState& p = target.page;
  const CharStep step = char_step(p);
  const auto x = static_cast<std::int32_t>(p.cur_x);
  const auto y = static_cast<std::int32_t>(p.cur_y + step.y_offset);
  const Color color = text_color(p, e.interp.emulation);
  if (e.interp.emulation == Emulation::dot_matrix) {
    // The surface may print it as the head does, in the cell the layout gives.
    CharCell cell;
    cell.advance = static_cast<std::int32_t>(step.advance);
    cell.line_height = static_cast<std::int32_t>(p.line_height);
    cell.emphasized = p.styles.emphasized != 0;
    cell.double_strike = p.styles.double_strike != 0;
    cell.script = p.styles.superscript != 0 || p.styles.subscript != 0;
    cell.wide = !cell.script && (p.styles.double_width != 0 || p.styles.expanded != 0);
    s->print_char(x, y, ch, e.current_font, color, cell);
  } else if (e.interp.emulation == Emulation::plotter &&
             e.interp.plotter_face == PlotterFace::strokes) {
    const StrokeCell cell{x, y, static_cast<std::int32_t>(step.advance),
                          static_cast<std::int32_t>(p.line_height), e.current_font.escapement};
    stroke_cell_char(*s, ch, cell, color);
  } else {
    s->draw_text(x, y, &ch, 1, e.current_font, color);
  }
  p.cur_x += step.advance;
}

void feed_byte(Engine& e, FeedTarget& target, std::uint8_t byte, FeedFlags& f) {
  PageState& page = target.page;
  target.byte_arrives(byte);

  const ByteResult r = interpret(e, target, byte);
  switch (r.kind) {
    case ByteResult::Kind::consumed: break;
    case ByteResult::Kind::line_feed: f.lf_pending = true; break;
    case ByteResult::Kind::form_feed: f.ff_pending = true; break;
    case ByteResult::Kind::carriage_return: f.cr_pending = true; break;
    case ByteResult::Kind::character:
      if (r.byte >= 0x20 && r.byte <= 0x7E) draw_char(e, target, static_cast<char>(r.byte));
      break;
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
    if (e.interp.short_line_feed) {
      e.interp.short_line_feed = false;
      page.cur_y += 8;
    } else {
      page.cur_y += page.line_height;
    }
    page.line_count += 1;
    full = page_full(page);
  }

  if (f.ff_pending || full) end_page(e, target, f);

  if (e.interp.font_changed) {
    e.interp.font_changed = false;
    e.current_font = make_font(page, e.interp.emulation);
  }
}

}  // namespace

bool ensure_page_bitmap(Engine& e) {
  if (e.page_bitmap) return false;
  // The sheet has the printer's paper size at one pixel per page unit.
  e.page_bitmap = e.hooks.create_sheet(e.printer.paper_width, e.printer.paper_height);
  derive_screen_page(e.screen, e.printer, e.metrics, e.page_bitmap->text_metrics(e.page_font));
  // A new sheet after another font or printer starts blank: the lines of a
  // page in progress are gone from view, so they are not printed either.
  drop_page_in_progress(e);
  clear_and_home(e);
  return true;
}

bool feed_screen(Engine& e, const std::uint8_t* bytes, std::size_t count) {
  if (e.print.printing_page()) return false;
  ScreenTarget sheet(e);
  feed_page(e, sheet, bytes, count);
  return true;
}

void feed_page(Engine& e, FeedTarget& target, const std::uint8_t* bytes, std::size_t count) {
  open_printer_once(e);
  ensure_page_bitmap(e);
  if (bytes != nullptr && count > 0) {
    FeedFlags f;
    for (std::size_t i = 0; i < count; ++i) feed_byte(e, target, bytes[i], f);
  }
  target.run_ends();
}

bool clear_page_request(Engine& e) {
  if (e.print.printing_page()) return false;
  open_printer_once(e);
  ensure_page_bitmap(e);
  e.screen.dirty = 1;
  drop_page_in_progress(e);
  clear_and_home(e);
  e.hooks.show_page(*e.page_bitmap);
  return true;
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
  sheet.set_pen(kViewGrey, 0);
  sheet.move_to(left, top);
  sheet.line_to(right, top);
  sheet.line_to(right, bottom);
  sheet.line_to(left, bottom);
  sheet.line_to(left, top);
}

void repaint_page(Engine& e) {
  open_printer_once(e);
  ensure_page_bitmap(e);
  e.hooks.show_page(*e.page_bitmap);
}

}  // namespace morvane
