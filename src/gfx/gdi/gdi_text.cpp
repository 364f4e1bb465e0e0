// GdiSurface: fonts and text. The engine draws one character at a time, so the
// realised font is kept until the description changes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

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

// Whether a DC's mapping runs y up the page, as MM_LOENGLISH does.
bool y_runs_up(HDC dc) {
  POINT p[2] = {{0, 0}, {0, 100}};
  return LPtoDP(dc, p, 2) && p[1].y < p[0].y;
}

// Whether this platform turns text clockwise on the page where its
// escapement asks for counter-clockwise, once the mapping runs y up. The
// escapement is measured from the device's x-axis, counter-clockwise, in the
// compatible graphics mode whatever the mapping; Wine measures it the other
// way round under a y-up mapping, on printers and memory DCs alike. Found
// out once, by turning a word upwards on a small y-up bitmap.
bool turns_back_where_y_runs_up() {
  static const bool answer = [] {
    constexpr int kSide = 64;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    HBITMAP bitmap = CreateBitmap(kSide, kSide, 1, 1, nullptr);
    HGDIOBJ old_bitmap = bitmap ? SelectObject(dc, bitmap) : nullptr;
    PatBlt(dc, 0, 0, kSide, kSide, WHITENESS);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 1, -1, nullptr);
    LOGFONTA lf{};
    lf.lfHeight = -16;
    lf.lfEscapement = 900;  // upwards
    lf.lfOrientation = 900;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpyA(lf.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old_font = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, kSide / 2, -kSide / 2, "HHH", 3);
    SetMapMode(dc, MM_TEXT);
    int above = 0;
    int below = 0;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        if ((GetPixel(dc, x, y) & 0xFFFFFF) == 0xFFFFFF) continue;
        (y < kSide / 2 ? above : below) += 1;
      }
    }
    if (old_font) SelectObject(dc, old_font);
    if (font) DeleteObject(font);
    if (old_bitmap) SelectObject(dc, old_bitmap);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(dc);
    return below > above;
  }();
  return answer;
}

// The text direction to ask the DC for, so that text turns on the page as
// the escapement says.
void turn_as_on_paper(HDC dc, LOGFONTA& lf) {
  if (lf.lfEscapement % 3600 == 0 || !y_runs_up(dc) || !turns_back_where_y_runs_up()) return;
  lf.lfEscapement = (3600 - lf.lfEscapement % 3600) % 3600;
  lf.lfOrientation = (3600 - lf.lfOrientation % 3600) % 3600;
}

}  // namespace

HFONT GdiSurface::realise_font(const FontDesc& font) {
  if (font_ && font == font_desc_) return font_;
  LOGFONTA lf = to_logfont(font);
  turn_as_on_paper(dc_, lf);
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

namespace {

// The face's design advances of characters 0 to 255 at the font's em, in
// page units: the font made anew at its em square, on a memory DC, whose
// widths no device has rounded yet. False for a face without outlines or a
// stretched font.
bool design_advances(HDC dc, HFONT realised, const FontDesc& font, std::array<INT, 256>& out) {
  if (font.width != 0) return false;
  HGDIOBJ previous = SelectObject(dc, realised);
  OUTLINETEXTMETRICA otm{};
  otm.otmSize = sizeof otm;
  const UINT measured = GetOutlineTextMetricsA(dc, sizeof otm, &otm);
  if (previous) SelectObject(dc, previous);
  LOGFONTA lf{};
  if (measured == 0 || otm.otmEMSquare == 0 || !GetObjectA(realised, sizeof lf, &lf)) return false;
  lf.lfHeight = -static_cast<LONG>(otm.otmEMSquare);
  lf.lfWidth = 0;
  lf.lfEscapement = 0;
  lf.lfOrientation = 0;
  HDC probe = CreateCompatibleDC(nullptr);
  HFONT design = probe ? CreateFontIndirectA(&lf) : nullptr;
  INT widths[256] = {};
  TEXTMETRICA tm{};
  bool ok = false;
  if (design) {
    HGDIOBJ old = SelectObject(probe, design);
    ok = GetCharWidth32A(probe, 0, 255, widths) && GetTextMetricsA(probe, &tm) && tm.tmHeight > 0;
    SelectObject(probe, old);
    DeleteObject(design);
  }
  if (probe) DeleteDC(probe);
  if (!ok) return false;
  const double design_em = otm.otmEMSquare;
  double em = 0;  // page units, as LOGFONT sizes it
  if (font.height < 0) em = -static_cast<double>(font.height);
  else if (font.height > 0) em = font.height * design_em / tm.tmHeight;
  else em = otm.otmTextMetrics.tmHeight - otm.otmTextMetrics.tmInternalLeading;
  for (int c = 0; c < 256; ++c) out[c] = static_cast<INT>(std::lround(widths[c] * em / design_em));
  return true;
}

}  // namespace

// A run (a plotter label) moves on by the face's own advances rounded to
// whole page units, on the sheet and on paper alike: each device would
// round them in its own pixels, and a long label would end elsewhere.
const std::array<INT, 256>* GdiSurface::run_advances(const FontDesc& font, HFONT realised) {
  if (!have_advances_ || !(advances_font_ == font)) {
    have_advances_ = design_advances(dc_, realised, font, advances_);
    advances_font_ = font;
  }
  return have_advances_ ? &advances_ : nullptr;
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
  const std::array<INT, 256>* advances = length > 1 && f ? run_advances(font, f) : nullptr;
  if (advances != nullptr) {
    std::vector<INT> dx(length);
    for (std::size_t i = 0; i < length; ++i) dx[i] = (*advances)[static_cast<unsigned char>(text[i])];
    ExtTextOutA(dc_, x, dev_y(y), 0, nullptr, text, static_cast<UINT>(length), dx.data());
  } else {
    TextOutA(dc_, x, dev_y(y), text, static_cast<int>(length));
  }
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
