// Drawing surface: what the page engine and the emulations draw on.
//
// Coordinates are page units, hundredths of an inch from the sheet's top-left
// corner, y downwards, on every surface. Each backend maps them to its device
// (the printer backends negate y for MM_LOENGLISH themselves); the core never
// negates y.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace morvane {

// 0x00BBGGRR, as Windows COLORREF.
using Color = std::uint32_t;

constexpr Color rgb(unsigned r, unsigned g, unsigned b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr unsigned red_of(Color c) { return c & 0xFF; }
constexpr unsigned green_of(Color c) { return (c >> 8) & 0xFF; }
constexpr unsigned blue_of(Color c) { return (c >> 16) & 0xFF; }

// A font description with the fields and meaning of Windows' LOGFONTA.
struct FontDesc {
  std::int32_t height = 0;       // < 0: character (em) height; > 0: cell height
  std::int32_t width = 0;        // average character width, 0 = natural
  std::int32_t escapement = 0;   // text direction, tenths of a degree counter-clockwise
  std::int32_t orientation = 0;
  std::int32_t weight = 0;       // 400 normal, 700 bold
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strike_out = 0;
  std::uint8_t char_set = 0;
  std::uint8_t out_precision = 0;
  std::uint8_t clip_precision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitch_and_family = 0;
  char face_name[32] = {};

  void set_face(const char* name) {
    std::size_t n = std::strlen(name);
    if (n > sizeof face_name - 1) n = sizeof face_name - 1;
    std::memcpy(face_name, name, n);
    std::memset(face_name + n, 0, sizeof face_name - n);
  }
  friend bool operator==(const FontDesc& a, const FontDesc& b) {
    return a.height == b.height && a.width == b.width && a.escapement == b.escapement &&
           a.orientation == b.orientation && a.weight == b.weight && a.italic == b.italic &&
           a.underline == b.underline && a.strike_out == b.strike_out &&
           a.char_set == b.char_set && a.out_precision == b.out_precision &&
           a.clip_precision == b.clip_precision && a.quality == b.quality &&
           a.pitch_and_family == b.pitch_and_family &&
           std::strncmp(a.face_name, b.face_name, sizeof a.face_name) == 0;
  }
};

// Text metrics with the Windows meaning, in the surface's page units.
struct TextMetrics {
  std::int32_t height = 0;            // tmHeight: ascent + descent
  std::int32_t external_leading = 0;  // tmExternalLeading
  std::int32_t ave_char_width = 0;    // tmAveCharWidth
  std::int32_t max_char_width = 0;    // tmMaxCharWidth
};

// What the dot-matrix emulation knows of a character beyond its font: the
// cell the layout gives it and the print styles in force. The font can't
// carry them: double strike reaches it only in condensed print, superscript
// and subscript share one font, and the position moves by the layout's
// character width, not by the font's.
struct CharCell {
  std::int32_t advance = 0;      // the cell's width: how far the print position moves
  std::int32_t line_height = 0;  // the height of the line the character is printed in
  bool emphasized = false;
  bool double_strike = false;
  bool wide = false;    // double width or expanded: the cell is two characters wide
  bool script = false;  // superscript or subscript: the cell is already raised or lowered
};

// A point of a pen stroke, in page units; fractions put it between units.
struct PenPoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const PenPoint&, const PenPoint&) = default;
};

// Pen strokes, as the plotter draws its characters: polylines through the
// points, one unit wide with round ends and corners. Polyline k runs from
// points[starts[k]] up to the next start (the last one to the end).
struct Strokes {
  std::vector<PenPoint> points;
  std::vector<std::uint32_t> starts;

  void start_line() { starts.push_back(static_cast<std::uint32_t>(points.size())); }
  void add(PenPoint p) { points.push_back(p); }
  bool empty() const { return points.empty(); }
  std::size_t line_end(std::size_t k) const {
    return k + 1 < starts.size() ? starts[k + 1] : points.size();
  }
  friend bool operator==(const Strokes&, const Strokes&) = default;
};

class Surface {
 public:
  virtual ~Surface() = default;

  // Fills [x0, x1) x [y0, y1) opaquely.
  virtual void fill_rect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                         Color color) = 0;

  // The pen for move_to/line_to: one page unit wide; dash 0 is solid, otherwise
  // dashes and gaps each `dash` units long.
  virtual void set_pen(Color color, std::int32_t dash) = 0;
  virtual void move_to(std::int32_t x, std::int32_t y) = 0;
  // Draws from the current point to (x, y) and makes it the current point.
  // As with GDI's LineTo, the end point itself is not drawn.
  virtual void line_to(std::int32_t x, std::int32_t y) = 0;

  // Text: drawn transparently with its top-left corner (in its own direction,
  // rotated by font.escapement) at (x, y).
  virtual void draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                         const FontDesc& font, Color color) = 0;
  virtual TextMetrics text_metrics(const FontDesc& font) = 0;

  // One character of the dot-matrix emulation, top-left corner at (x, y).
  // A surface that draws it as a print head would uses the cell; any other
  // draws the character in its font.
  virtual void print_char(std::int32_t x, std::int32_t y, char ch, const FontDesc& font,
                          Color color, const CharCell& cell) {
    (void)cell;
    draw_text(x, y, &ch, 1, font, color);
  }

  // Pen strokes in a colour. A surface that can put a point between units
  // overrides this; any other draws them as solid lines between whole units.
  virtual void draw_strokes(const Strokes& strokes, Color color) {
    set_pen(color, 0);
    for (std::size_t k = 0; k < strokes.starts.size(); ++k) {
      const std::size_t end = strokes.line_end(k);
      for (std::size_t i = strokes.starts[k]; i < end; ++i) {
        const std::int32_t x = whole_unit(strokes.points[i].x);
        const std::int32_t y = whole_unit(strokes.points[i].y);
        if (i == strokes.starts[k]) move_to(x, y);
        else line_to(x, y);
      }
    }
  }

  // Opaque copy of a 1-bit strip of `count` columns, 8 dots high, one page unit
  // per dot: bit 7 of columns[k] is the dot at (x + k, y), bit 0 the dot at
  // (x + k, y + 7). Set bits are black, clear bits white.
  virtual void blit_columns(std::int32_t x, std::int32_t y, const std::uint8_t* columns,
                            std::size_t count) = 0;

 protected:
  // The nearest whole unit, kept within the coordinates' range.
  static std::int32_t whole_unit(double v) {
    constexpr double kLimit = 2147483520.0;  // below INT32_MAX, exact as a double
    return static_cast<std::int32_t>(std::lround(v < -kLimit ? -kLimit : v > kLimit ? kLimit : v));
  }
};

}  // namespace morvane
