#include "emul/idle.h"

#include "page/engine.h"
#include "page/feed.h"

namespace morvane {

namespace {

constexpr std::uint8_t kEsc = 27;
constexpr std::uint8_t kShiftOut = 14;
// A tab stop above the highest column ends the list and changes nothing else.
constexpr std::uint8_t kTabListEnd = 133;
// More steps than any command can take (1920 columns and a few parameters).
constexpr int kMaxSteps = 16;

// The parameter n of an open ESC x n that leaves the page as it is.
std::vector<std::uint8_t> neutral_parameter(const Engine& e) {
  const PageState& p = e.screen;
  switch (e.dot.esc_command) {
    case '-': return {static_cast<std::uint8_t>(p.font.underline & 1)};
    case 'S':
      if (p.subscript) return {1};
      if (p.superscript) return {0};
      return {0, kEsc, 'T'};  // ESC S always sets one of the two: clear it again
    case 'W':
      if (p.expanded) return {1};
      if (p.double_width) return {0, kShiftOut};  // ESC W 0 also ends double width
      return {0};
    default:
      // A bit-image count's low byte 0 (the high byte follows); ESC 3, A, C
      // and N ignore 0; ESC J and U ignore their parameter anyway.
      return {0};
  }
}

std::vector<std::uint8_t> dot_matrix_completion(const Engine& e) {
  const DotMatrixState& d = e.dot;
  if (d.bit_image_mode != 0) {
    const std::uint32_t left =
        d.bit_image_count > static_cast<std::uint32_t>(d.bit_image_received)
            ? d.bit_image_count - static_cast<std::uint32_t>(d.bit_image_received)
            : 1u;
    return std::vector<std::uint8_t>(left > kBitImageWidth ? kBitImageWidth : left, 0);
  }
  if (d.esc_pending) return {0};  // ESC NUL: both consumed without effect
  if (d.param_pending) return neutral_parameter(e);
  if (d.count_high_pending) return {0};
  if (d.tab_collecting) return {kTabListEnd};
  return {};
}

std::vector<std::uint8_t> plotter_completion(const Engine& e) {
  const PlotterState& s = e.plot;
  if (e.screen.plotter.graphic_mode) return {};
  // A NUL ends an escape or a parameter sequence and is not drawn.
  if (s.plot_esc || s.plot_param || s.plot_collecting || s.plot_line_open) return {0};
  return {};
}

}  // namespace

std::vector<std::uint8_t> idle_completion(const Engine& e) {
  if (e.emulation == 0) return dot_matrix_completion(e);
  if (e.emulation == 1) return plotter_completion(e);
  return {};
}

std::size_t abandon_incomplete_command(Engine& e) {
  std::size_t fed = 0;
  for (int step = 0; step < kMaxSteps; ++step) {
    const std::vector<std::uint8_t> bytes = idle_completion(e);
    if (bytes.empty()) break;
    if (!feed_screen(e, bytes.data(), bytes.size())) break;
    fed += bytes.size();
  }
  return fed;
}

}  // namespace morvane
