// GdiSurface: fonts and text. The engine draws one character at a time, so the
// realised font is kept until the description changes.
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

HFONT GdiSurface::realise_font(const FontDesc& font) {
  if (font_ && font == font_desc_) return font_;
  LOGFONTA lf = to_logfont(font);
  HFONT made = CreateFontIndirectA(&lf);
  if (!made) return font_;  // keep drawing with the last good font
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
  }
  if (previous) SelectObject(dc_, previous);
  return result;
}

}  // namespace morvane
