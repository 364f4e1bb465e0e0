// Screen against paper: a script of received bytes and user operations runs
// through a test engine, and the drawing of every ended screen page is set
// beside the drawing of every printed sheet. Both are put in one comparable
// form: the sheet's clears are dropped and bit-image strips are cut into
// single columns (the sheet shows each column as it comes, the printer gets
// the finished strip). Used by the property test and by a fuzz target.
#pragma once

#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "page/commands.h"
#include "support/engine_fixture.h"

namespace morvane::test {

// font: the font chooser gives the page font of height -value; printer: the
// printer selection gives a printer of the paper size and resolution
// kPrinterChoices[value % size].
enum class StepKind { bytes, drag, emulation, end_now, clear, font, printer };

inline constexpr DeviceCaps kPrinterChoices[] = {
    {4800, 6300, 600, 600, 5100, 6600, 150, 150},  // Letter, 600 dpi
    {2329, 3358, 300, 300, 2479, 3508, 75, 75},    // A4, 300 dpi
    {1200, 1800, 200, 200, 1300, 1900, 50, 50},    // small paper, 200 dpi
};

struct Step {
  StepKind kind = StepKind::bytes;
  std::string bytes;
  std::uint32_t value = 0;
};

using Drawing = std::vector<DrawRecord>;

inline bool same_record(const DrawRecord& a, const DrawRecord& b) {
  return a.kind == b.kind && a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1 &&
         a.color == b.color && a.dash == b.dash && a.text == b.text && a.font == b.font &&
         a.columns == b.columns && a.strokes == b.strokes;
}

inline std::string describe(const DrawRecord& r) {
  std::ostringstream s;
  s << draw_kind_name(r.kind) << " (" << r.x0 << "," << r.y0 << ")-(" << r.x1 << "," << r.y1
    << ") color " << r.color << " dash " << r.dash << " text '" << r.text << "' font h"
    << r.font.height << " w" << r.font.width << " wt" << r.font.weight << " esc"
    << r.font.escapement << " u" << int(r.font.underline) << " columns " << r.columns.size();
  if (r.columns.size() == 1) s << " (" << int(r.columns[0]) << ")";
  if (!r.strokes.empty()) {
    s << " strokes " << r.strokes.starts.size() << " from (" << r.strokes.points[0].x << ","
      << r.strokes.points[0].y << ")";
  }
  return s.str();
}

// What is left on the sheet after its last clear, strips cut into columns.
inline Drawing comparable(const Drawing& records) {
  std::size_t from = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    // A clear is the white fill of the whole sheet and the margin frame's
    // pen, move and four lines.
    if (records[i].kind == DrawKind::fill_rect && records[i].x0 == 0 && records[i].y0 == 0)
      from = i + 7 <= records.size() ? i + 7 : records.size();
  }
  Drawing out;
  for (std::size_t i = from; i < records.size(); ++i) {
    const DrawRecord& r = records[i];
    if (r.kind != DrawKind::blit_columns) {
      out.push_back(r);
      continue;
    }
    for (std::size_t k = 0; k < r.columns.size(); ++k) {
      DrawRecord c = r;
      c.x0 = r.x0 + static_cast<std::int32_t>(k);
      c.columns = {r.columns[k]};
      out.push_back(c);
    }
  }
  return out;
}

struct ScreenAndPaper {
  std::vector<Drawing> screen;  // every ended page that drew something
  std::vector<Drawing> paper;   // every printed sheet that holds something
  std::size_t stray_draws = 0;  // drawn on the printer outside a sheet
};

class ScriptRun {
 public:
  ScriptRun(std::int32_t emulation, bool close_document,
            PlotterFace face = PlotterFace::truetype) {
    f_.engine.interp.emulation = static_cast<Emulation>(emulation);
    f_.engine.interp.plotter_face = face;
    set_close_document(f_.engine, close_document);
    f_.shell.on_page_ending = [this](Surface& sheet) {
      auto& rec = static_cast<RecordingSurface&>(sheet);
      Drawing d = comparable(rec.take_records());
      if (!d.empty()) screen_.push_back(std::move(d));
    };
  }

  void run(const Step& step) {
    Engine& e = f_.engine;
    switch (step.kind) {
      case StepKind::bytes:
        f_.feed(step.bytes);
        break;
      case StepKind::drag:
        move_print_line(e, step.value);
        break;
      case StepKind::emulation:
        select_emulation(e, static_cast<Emulation>(step.value % 2));
        break;
      case StepKind::end_now:
        finish_input(e);
        break;
      case StepKind::clear:
        f_.clear_request();
        break;
      case StepKind::font:
        change_page_font(e, base_font(-static_cast<std::int32_t>(step.value), 400, 0, "Courier New"));
        break;
      case StepKind::printer: {
        f_.printers.config().caps = kPrinterChoices[step.value % std::size(kPrinterChoices)];
        const PrinterNames names = parse_device_string(f_.printers.default_device_string());
        change_printer(e, names, f_.printers.create_device(names));
        break;
      }
    }
  }

  ScreenAndPaper result() {
    ScreenAndPaper out;
    out.screen = screen_;
    for (const Drawing& sheet : f_.printed().sheets()) {
      Drawing d = comparable(sheet);
      if (!d.empty()) out.paper.push_back(std::move(d));
    }
    out.stray_draws = f_.printed().stray_draws;
    return out;
  }

  EngineFixture& fixture() { return f_; }

 private:
  EngineFixture f_;
  std::vector<Drawing> screen_;
};

// Empty when the paper shows what the screen showed, page by page; otherwise
// where the first difference is.
inline std::string screen_paper_difference(const ScreenAndPaper& r) {
  std::ostringstream s;
  if (r.stray_draws != 0) s << r.stray_draws << " drawing calls outside a printed sheet; ";
  if (r.screen.size() != r.paper.size())
    s << r.screen.size() << " screen pages but " << r.paper.size() << " printed sheets; ";
  const std::size_t pages = r.screen.size() < r.paper.size() ? r.screen.size() : r.paper.size();
  for (std::size_t p = 0; p < pages; ++p) {
    const Drawing& a = r.screen[p];
    const Drawing& b = r.paper[p];
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (same_record(a[i], b[i])) continue;
      s << "page " << p + 1 << " call " << i << ": screen " << describe(a[i]) << " / paper "
        << describe(b[i]);
      return s.str();
    }
    if (a.size() != b.size()) {
      s << "page " << p + 1 << ": " << a.size() << " calls on screen, " << b.size() << " on paper";
      return s.str();
    }
  }
  return s.str();
}

}  // namespace morvane::test
