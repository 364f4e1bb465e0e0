// GdiSurface: fonts and text. The engine draws one character at a time, so the
// realised font is kept until the description changes.
#include <algorithm>
#include <cstring>
#include <limits>

#include "gfx/gdi/gdi_surface.h"

namespace morvane {

LOGFONTA to_logfont(const FontDesc& font) {
  LOGFONTA lf{};
  lf.lfHeight = font.height;
  lf.lfWidth = font.width;
  lf.lfEscapement = font.escapement;
  lf.lfOrientation = font.orientation;
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic;
  lf.lfUnderline = font.underline;
  lf.lfStrikeOut = font.strike_out;
  lf.lfCharSet = font.char_set;
  lf.lfOutPrecision = font.out_precision;
  lf.lfClipPrecision = font.clip_precision;
  lf.lfQuality = font.quality;
  lf.lfPitchAndFamily = font.pitch_and_family;
  static_assert(sizeof lf.lfFaceName == sizeof font.face_name);
  std::memcpy(lf.lfFaceName, font.face_name, sizeof lf.lfFaceName);
  lf.lfFaceName[sizeof lf.lfFaceName - 1] = '\0';  // a full name must not run on
  return lf;
}

FontDesc from_logfont(const LOGFONTA& lf) {
  FontDesc f;
  f.height = lf.lfHeight;
  f.width = lf.lfWidth;
  f.escapement = lf.lfEscapement;
  f.orientation = lf.lfOrientation;
  f.weight = lf.lfWeight;
  f.italic = lf.lfItalic;
  f.underline = lf.lfUnderline;
  f.strike_out = lf.lfStrikeOut;
  f.char_set = lf.lfCharSet;
  f.out_precision = lf.lfOutPrecision;
  f.clip_precision = lf.lfClipPrecision;
  f.quality = lf.lfQuality;
  f.pitch_and_family = lf.lfPitchAndFamily;
  char face[sizeof lf.lfFaceName + 1] = {};
  std::memcpy(face, lf.lfFaceName, sizeof lf.lfFaceName);
  f.set_face(face);
  return f;
}

namespace {

// Whether the device gave the face the font asks for. A face it lacks is
// replaced by whatever the family bits suggest (the page font's ask for a
// proportional serif face); asking the device by enumeration is not enough,
// as a printer may list a face of another name for it.
bool face_granted(HDC dc, HFONT font, const char* face) {
  if (face[0] == '\0') return false;
  HGDIOBJ previous = SelectObject(dc, font);
  char got[LF_FACESIZE] = {};
  const int n = GetTextFaceA(dc, sizeof got, got);
  if (previous) SelectObject(dc, previous);
  return n > 0 && lstrcmpiA(got, face) == 0;
}

// The widest advance among the characters the emulations draw (0x20 to 0xFF).
// Some rasterisers report the glyphs' combined bounding box as the maximum
// width, about twice the advance of a fixed-pitch face, which would space
// the page's characters twice too wide.
std::int32_t widest_advance(HDC dc) {
  INT widths[0xFF - 0x20 + 1] = {};
  if (!GetCharWidth32A(dc, 0x20, 0xFF, widths)) return 0;
  std::int32_t widest = 0;
  for (INT w : widths) widest = std::max<std::int32_t>(widest, w);
  return widest;
}

}  // namespace

HFONT GdiSurface::realise_font(const FontDesc& font) {
  if (font_ && font == font_desc_) return font_;
  LOGFONTA lf = to_logfont(font);
  HFONT made = CreateFontIndirectA(&lf);
  if (!made) return font_;  // keep drawing with the last good font
  // The page's columns assume every character advances the same width:
  // without the named face, a fixed-pitch face of the modern family.
  if (!face_granted(dc_, made, lf.lfFaceName)) {
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    if (HFONT fixed = CreateFontIndirectA(&lf)) {
      DeleteObject(made);
      made = fixed;
    }
  }
  release_font();
  font_ = made;
  font_desc_ = font;
  return font_;
}

void GdiSurface::release_font() {
  // Never selected outside draw_text/text_metrics, so it can go at once.
  if (font_) DeleteObject(font_);
  font_ = nullptr;
}

void GdiSurface::draw_text(std::int32_t x, std::int32_t y, const char* text, std::size_t length,
                           const FontDesc& font, Color color) {
  if (!text || length == 0) return;
  if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    length = static_cast<std::size_t>(std::numeric_limits<int>::max());
  }
  HFONT f = realise_font(font);
  HGDIOBJ previous = f ? SelectObject(dc_, f) : nullptr;
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, color);
  TextOutA(dc_, x, dev_y(y), text, static_cast<int>(length));
  if (previous) SelectObject(dc_, previous);
}

std::string GdiSurface::face_drawn(const FontDesc& font) {
  HFONT f = realise_font(font);
  if (!f) return {};
  HGDIOBJ previous = SelectObject(dc_, f);
  char face[LF_FACESIZE] = {};
  const int n = GetTextFaceA(dc_, sizeof face, face);
  if (previous) SelectObject(dc_, previous);
  return n > 0 ? std::string(face) : std::string();
}

TextMetrics GdiSurface::text_metrics(const FontDesc& font) {
  TextMetrics result;
  HFONT f = realise_font(font);
  HGDIOBJ previous = f ? SelectObject(dc_, f) : nullptr;
  TEXTMETRICA tm{};
  if (GetTextMetricsA(dc_, &tm)) {
    result.height = tm.tmHeight;
    result.external_leading = tm.tmExternalLeading;
    result.ave_char_width = tm.tmAveCharWidth;
    result.max_char_width = tm.tmMaxCharWidth;
    const std::int32_t widest = widest_advance(dc_);
    if (widest > 0) result.max_char_width = widest;
  }
  if (previous) SelectObject(dc_, previous);
  return result;
}

}  // namespace morvane
