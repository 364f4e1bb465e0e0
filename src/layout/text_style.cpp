#include "layout/text_style.h"

namespace morvane {

FontDesc base_font(std::int32_t height, std::int32_t weight, std::int32_t italic, const char* face) {
  FontDesc f;
  f.height = height;
  f.weight = weight;
  f.italic = italic != 0 ? 1 : 0;
  f.quality = 2;             // PROOF_QUALITY
  f.pitch_and_family = 0x12;  // VARIABLE_PITCH | FF_ROMAN
  f.set_face(face);
  return f;
}

FontDesc make_font(const PageState& page, Emulation emulation) {
  FontDesc f = page.font;
  if (emulation != Emulation::dot_matrix) {
    f.escapement = page.plotter.text_angle;
    f.width = 0;
    f.weight = 400;
    return f;
  }
  std::int32_t w = f.width;
  const bool script = page.styles.superscript || page.styles.subscript;
  if (script) {
    f.height = f.height * 2 / 3;
    w = f.width / 2;
  }
  if (page.styles.double_width || page.styles.expanded) {
    f.width = 2 * w;
    f.weight = page.styles.emphasized ? 700 : 400;
  } else if (page.styles.condensed && !page.styles.emphasized) {
    f.width = w / 2;
    if (script) f.weight = 400;
  } else {
    f.width = 0;
    f.weight = page.styles.emphasized ? 700 : 400;
  }
  return f;
}

CharStep char_step(const PageState& p) {
  if (p.styles.subscript) return {p.line_height / 3, p.char_width / 2};
  if (p.styles.superscript) return {0, p.char_width / 2};
  if (p.styles.double_width || p.styles.expanded) return {0, 2 * p.char_width};
  if (p.styles.condensed && !p.styles.emphasized) return {0, p.char_width / 2};
  return {0, p.char_width};
}

Color text_color(const PageState& page, Emulation emulation) {
  return emulation == Emulation::dot_matrix ? 0 : page.plotter.pen_color;
}

}  // namespace morvane
