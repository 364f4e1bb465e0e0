#include "gfx/cairo/font_cache.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace morvane {
namespace {

// Larger requests are drawn at this size: a glyph many inches high is already
// absurd, and rendering bigger ones would cost memory without bound.
constexpr double kMaxUnits = 2000;
// Horizontal stretch limits for a requested character width.
constexpr double kMinStretch = 1.0 / 16;
constexpr double kMaxStretch = 16;
// GDI's "reasonable default" for height 0.
constexpr double kDefaultEm = 14;
// Fonts kept before the oldest is dropped.
constexpr std::size_t kMaxFonts = 64;

// One library for the whole process: cairo may release a face (and with it
// our FT_Face) long after the cache that made it is gone.
FT_Library ft_library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

const cairo_user_data_key_t kFtFaceKey{};

void done_face(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

// Family for a description without a face name, from its pitch and family.
const char* generic_family(std::uint8_t pitch_and_family) {
  if ((pitch_and_family & 0x03) == 1) return "monospace";  // FIXED_PITCH
  switch (pitch_and_family & 0xF0) {
    case 0x10: return "serif";       // FF_ROMAN
    case 0x20: return "sans-serif";  // FF_SWISS
    case 0x30: return "monospace";   // FF_MODERN
    case 0x40: return "cursive";     // FF_SCRIPT
    case 0x50: return "fantasy";     // FF_DECORATIVE
    default: return "sans-serif";
  }
}

int gdi_weight(std::int32_t weight) {
  if (weight <= 0) return 400;  // FW_DONTCARE
  return weight > 1000 ? 1000 : weight;
}

std::int32_t to_units(double v) {
  return static_cast<std::int32_t>(std::lround(v));
}

// Magnitude of a LOGFONT length, capped; 64-bit so INT32_MIN has one.
double magnitude(std::int32_t v) {
  double m = static_cast<double>(std::llabs(static_cast<long long>(v)));
  return std::min(m, kMaxUnits);
}

// The family names fontconfig's configuration binds strongly to `pattern`'s
// first family: that family and the faces set up to stand for it with the
// same metrics ("Courier New" and "Liberation Mono"). Weakly bound ones are
// mere fallbacks.
std::vector<std::string> equivalent_families(FcPattern* pattern) {
  std::vector<std::string> out;
  FcPatternIter it;
  FcPatternIterStart(pattern, &it);
  if (!FcPatternFindIter(pattern, &it, FC_FAMILY)) return out;
  const int count = FcPatternIterValueCount(pattern, &it);
  for (int i = 0; i < count; ++i) {
    FcValue value;
    FcValueBinding binding = FcValueBindingWeak;
    if (FcPatternIterGetValue(pattern, &it, i, &value, &binding) != FcResultMatch) continue;
    if (value.type == FcTypeString && binding != FcValueBindingWeak)
      out.emplace_back(reinterpret_cast<const char*>(value.u.s));
  }
  return out;
}

bool has_family(FcPattern* match, const std::vector<std::string>& families) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    for (const std::string& f : families) {
      if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(f.c_str())) == 0) return true;
    }
  }
  return false;
}

// The widest advance, in font units, among the characters a page can hold
// (the bytes 0x20 to 0xFF, the upper half read as Latin-1), as the GDI
// backend measures its maximum width. A face's own maximum counts every
// glyph it has: wide symbols in an otherwise fixed-pitch face would space
// the page's characters far apart. 0 when the face maps none of them.
double widest_page_advance(FT_Face ft) {
  FT_Fixed widest = 0;
  for (FT_ULong code = 0x20; code <= 0xFF; ++code) {
    if (code >= 0x7F && code < 0xA0) continue;  // no characters there
    const FT_UInt glyph = FT_Get_Char_Index(ft, code);
    FT_Fixed advance = 0;
    if (glyph != 0 && FT_Get_Advance(ft, glyph, FT_LOAD_NO_SCALE, &advance) == 0) widest = std::max(widest, advance);
  }
  return static_cast<double>(widest);
}

// fontconfig's best face for `family` at the weight and slant; null when it
// has none. `equivalents`, when given, receives the families that count as
// the one asked for.
FcPattern* match_family(const char* family, int weight, bool italic, std::vector<std::string>* equivalents) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  if (equivalents != nullptr) *equivalents = equivalent_families(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  return match;
}

ScaledFontPtr layout_font(const RealisedFont& r) {
  if (r.face == nullptr) return nullptr;
  cairo_matrix_t font_matrix;
  cairo_matrix_init_scale(&font_matrix, r.em * r.x_scale, r.em);
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  ScaledFontPtr f(cairo_scaled_font_create(r.face, &font_matrix, &identity, options));
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(f.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return f;
}

}  // namespace

FontCache::~FontCache() {
  for (auto& f : faces_) cairo_font_face_destroy(f.face);
}

FontCache::Face FontCache::load_face(const FontDesc& font) {
  Face out;
  out.name.assign(font.face_name, strnlen(font.face_name, sizeof font.face_name));
  out.weight = gdi_weight(font.weight);
  out.italic = font.italic != 0;
  out.pitch_and_family = font.pitch_and_family;

  const char* family = out.name.empty() ? generic_family(font.pitch_and_family) : out.name.c_str();
  std::vector<std::string> equivalents;
  FcPattern* match = match_family(family, out.weight, out.italic, &equivalents);
  if (match != nullptr && !out.name.empty() && !has_family(match, equivalents)) {
    // The face is not installed and nothing is set up to stand for it: the
    // pages' columns assume one advance for every character, which only a
    // fixed-pitch face keeps.
    FcPatternDestroy(match);
    match = match_family("monospace", out.weight, out.italic, nullptr);
    out.stand_in = true;
  }
  if (match == nullptr) return out;

  FcChar8* file = nullptr;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  FcChar8* matched_family = nullptr;
  FcPatternGetString(match, FC_FILE, 0, &file);
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  if (FcPatternGetString(match, FC_FAMILY, 0, &matched_family) == FcResultMatch) {
    out.family = reinterpret_cast<const char*>(matched_family);
  }
  FT_Face ft = nullptr;
  if (file == nullptr || ft_library() == nullptr ||
      FT_New_Face(ft_library(), reinterpret_cast<const char*>(file), index, &ft) != 0) {
    FcPatternDestroy(match);
    return out;
  }
  FcPatternDestroy(match);

  FaceInfo& info = out.info;
  if (ft->units_per_EM > 0) info.units_per_em = ft->units_per_EM;
  const double widest = widest_page_advance(ft);
  info.max_advance = widest > 0 ? widest
                     : ft->max_advance_width > 0 ? ft->max_advance_width
                                                 : info.units_per_em * 0.6;
  info.win_ascent = ft->ascender > 0 ? ft->ascender : info.units_per_em * 0.8;
  info.win_descent = ft->descender < 0 ? -ft->descender : info.units_per_em * 0.2;
  info.avg_width = info.max_advance / 2;
  if (ft->underline_thickness > 0) {
    info.underline_position = ft->underline_position;
    info.underline_thickness = ft->underline_thickness;
  }
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF) {
    // GDI sizes the cell from the Windows metrics, not the typographic ones.
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      info.win_ascent = os2->usWinAscent;
      info.win_descent = os2->usWinDescent;
    }
    if (os2->xAvgCharWidth > 0) info.avg_width = os2->xAvgCharWidth;
    if (os2->yStrikeoutSize > 0) {
      info.strike_position = os2->yStrikeoutPosition;
      info.strike_size = os2->yStrikeoutSize;
    }
  }
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA));
  if (hhea != nullptr) {
    double typo_height = static_cast<double>(hhea->Ascender) - hhea->Descender;
    double gap = hhea->Line_Gap - ((info.win_ascent + info.win_descent) - typo_height);
    info.line_gap = std::max(0.0, gap);
  }

  out.face = cairo_ft_font_face_create_for_ft_face(ft, 0);
  if (cairo_font_face_set_user_data(out.face, &kFtFaceKey, ft, done_face) !=
      CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(out.face);
    FT_Done_Face(ft);
    out.face = nullptr;
    return out;
  }
  unsigned synth = 0;
  if (out.weight >= 600 && weight < FC_WEIGHT_DEMIBOLD) synth |= CAIRO_FT_SYNTHESIZE_BOLD;
  if (out.italic && slant == FC_SLANT_ROMAN) synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
  if (synth != 0) cairo_ft_font_face_set_synthesize(out.face, synth);
  return out;
}

const FontCache::Face& FontCache::face_for(const FontDesc& font) {
  std::string name(font.face_name, strnlen(font.face_name, sizeof font.face_name));
  const int weight = gdi_weight(font.weight);
  const bool italic = font.italic != 0;
  for (const auto& f : faces_) {
    if (f.name == name && f.weight == weight && f.italic == italic &&
        (!name.empty() || f.pitch_and_family == font.pitch_and_family)) {
      return f;
    }
  }
  faces_.push_back(load_face(font));
  return faces_.back();
}

RealisedFont FontCache::realise(const FontDesc& font, const Face& face) {
  const FaceInfo& fi = face.info;
  const double cell_units = fi.win_ascent + fi.win_descent;
  RealisedFont r;
  r.face = face.face;
  double scale = 0;  // page units per font unit
  std::int32_t ascent = 0;
  std::int32_t descent = 0;
  if (font.height > 0) {
    // A cell height: the cell is exactly that tall.
    const double cell = magnitude(font.height);
    scale = cell / cell_units;
    ascent = to_units(fi.win_ascent * scale);
    descent = to_units(cell) - ascent;
  } else {
    const double em = font.height < 0 ? magnitude(font.height) : kDefaultEm;
    scale = em / fi.units_per_em;
    ascent = to_units(fi.win_ascent * scale);
    descent = to_units(fi.win_descent * scale);
  }
  r.em = scale * fi.units_per_em;
  r.ascent = ascent;
  TextMetrics& m = r.metrics;
  m.height = std::max(1, ascent + descent);
  m.external_leading = to_units(fi.line_gap * scale);
  const double natural_ave = fi.avg_width * scale;
  if (font.width != 0 && natural_ave > 0) {
    // FreeType fails on glyphs stretched far beyond their shape, and such a
    // failure would spoil the whole sheet: the stretch is kept within bounds
    // and the metrics tell the width actually drawn.
    const double wanted = magnitude(font.width) / natural_ave;
    r.x_scale = std::clamp(wanted, kMinStretch, std::min(kMaxStretch, kMaxUnits / r.em));
    m.ave_char_width = std::max(1, to_units(natural_ave * r.x_scale));
  } else {
    m.ave_char_width = std::max(1, to_units(natural_ave));
  }
  m.max_char_width = std::max(1, to_units(fi.max_advance * scale * r.x_scale));
  r.underline_top = ascent - to_units(fi.underline_position * scale);
  r.underline_size = std::max(1, to_units(fi.underline_thickness * scale));
  r.strike_top = ascent - to_units(fi.strike_position * scale);
  r.strike_size = std::max(1, to_units(fi.strike_size * scale));
  r.layout = layout_font(r);
  return r;
}

const RealisedFont& FontCache::get(const FontDesc& font) {
  if (last_ < fonts_.size() && fonts_[last_].first == font) return fonts_[last_].second;
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i].first == font) {
      last_ = i;
      return fonts_[i].second;
    }
  }
  if (fonts_.size() >= kMaxFonts) fonts_.erase(fonts_.begin());
  // Realised fonts borrow the face's reference; faces live as long as the cache.
  fonts_.emplace_back(font, realise(font, face_for(font)));
  last_ = fonts_.size() - 1;
  return fonts_.back().second;
}

std::string FontCache::family_of(const FontDesc& font) { return face_for(font).family; }

bool FontCache::is_stand_in(const FontDesc& font) { return face_for(font).stand_in; }

}  // namespace morvane
