// The dot-matrix emulation: control codes and escape sequences of the M1009.
// One interpreter state serves both pages; a byte is consumed, turned into a
// line feed or carriage return, or passed on as it came.
#include <algorithm>

#include "emul/emulation.h"

namespace morvane {

namespace {

constexpr std::uint8_t kEsc = 27;
constexpr std::uint8_t kHighestTabStop = 132;

// The four bit-image commands differ only in how many columns they let through.
struct BitImageCommand {
  std::int32_t command;
  std::uint32_t cap;
  std::int32_t mode;
};

constexpr BitImageCommand kBitImageCommands[] = {
    {'K', 480, 1}, {'L', 960, 2}, {'Y', 960, 2}, {'Z', 1920, 3}};

const BitImageCommand* find_bit_image_command(std::int32_t command) {
  for (const auto& c : kBitImageCommands) {
    if (c.command == command) return &c;
  }
  return nullptr;
}

bool takes_parameter(std::uint8_t command) {
  switch (command) {
    case '-': case '3': case 'A': case 'C': case 'J': case 'N': case 'S': case 'U': case 'W':
      return true;
    default:
      return false;
  }
}

void set_spacing(PageState& page, std::int32_t num, std::int32_t den) {
  page.styles.spacing_num = num;
  page.styles.spacing_den = den;
}

// Switches a style flag; the font is re-made only when the flag really changed.
bool switch_flag(Interpreters& in, std::uint8_t& flag, std::uint8_t value) {
  if (flag == value) return false;
  flag = value;
  in.font_changed = true;
  return true;
}

void set_double_width(Interpreters& in, PageState& page, std::uint8_t value) {
  page.styles.double_width = value;
  in.font_changed = true;
}

void line_spacing_from_esc_a(const DotMatrixState& d, PageState& page) {
  if (d.esc_a_value != 0) set_spacing(page, d.esc_a_value, 72);
  else set_spacing(page, 1, 6);
}

void start_tab_list(Interpreters& in) {
  in.tab_table.count = 0;
  in.dot.tab_collecting = 1;
}

// The command byte after ESC. Commands with a parameter wait for it.
ByteResult escape_command(Interpreters& in, PageState& page, std::uint8_t byte) {
  DotMatrixState& d = in.dot;
  d.esc_command = byte;
  if (takes_parameter(byte)) {
    d.param_pending = 1;
    return ByteResult::consumed();
  }
  switch (byte) {
    case '#': enter_graphic_mode(in, page); break;
    case '0': set_spacing(page, 1, 8); break;
    case '1': set_spacing(page, 7, 72); break;
    case '2': line_spacing_from_esc_a(d, page); break;
    case '<': return ByteResult::carriage_return();
    case 'D': start_tab_list(in); break;
    case 'E': switch_flag(in, page.styles.emphasized, 1); break;
    case 'F': switch_flag(in, page.styles.emphasized, 0); break;
    case 'G':
      if (switch_flag(in, page.styles.double_strike, 1)) page.font.weight = 500;
      break;
    case 'H':
      if (switch_flag(in, page.styles.double_strike, 0)) page.font.weight = 400;
      break;
    case 'K': case 'L': case 'Y': case 'Z':
      bit_image_start(in);
      d.param_pending = 1;
      d.count_high_pending = 1;
      break;
    case 'O': page.skip_perforation = 0; break;
    case 'T':
      page.styles.superscript = 0;
      page.styles.subscript = 0;
      in.font_changed = true;
      break;
    default: break;  // unknown sequences are consumed without effect
  }
  return ByteResult::consumed();
}

void script_from_parameter(Interpreters& in, PageState& page, std::uint8_t n) {
  const bool odd = (n & 1) != 0;
  page.styles.subscript = odd ? 1 : 0;
  page.styles.superscript = odd ? 0 : 1;
  in.font_changed = true;
}

void expanded_from_parameter(Interpreters& in, PageState& page, std::uint8_t n) {
  if ((n & 1) != 0) {
    page.styles.expanded = 1;
  } else {
    page.styles.expanded = 0;
    page.styles.double_width = 0;
  }
  in.font_changed = true;
}

// The parameter byte n of the command in esc_command.
void escape_parameter(Interpreters& in, PageState& page, std::uint8_t n) {
  DotMatrixState& d = in.dot;
  switch (d.esc_command) {
    case '-':
      page.font.underline = n & 1;
      in.font_changed = true;
      break;
    case '3':
      if (n != 0) set_spacing(page, n, 216);
      break;
    case 'A':
      if (n >= 1 && n <= 85) d.esc_a_value = n;
      break;
    case 'C':
      if (n >= 1 && n <= 127) page.page_length_lines = std::min<std::uint32_t>(n, page.lines_per_page);
      break;
    case 'N':
      if (n >= 1 && n <= 127) page.skip_perforation = n;
      break;
    case 'S': script_from_parameter(in, page, n); break;
    case 'W': expanded_from_parameter(in, page, n); break;
    case 'K': case 'L': case 'Y': case 'Z': d.count_low = n; break;
    default: break;  // ESC J n and ESC U n only consume n
  }
}

// The high byte completes the column count; exactly that many data bytes follow.
void bit_image_count_high(Interpreters& in, std::uint8_t high) {
  DotMatrixState& d = in.dot;
  const BitImageCommand* c = find_bit_image_command(d.esc_command);
  if (c == nullptr) return;
  std::uint32_t count = static_cast<std::uint32_t>(d.count_low) + 256u * high;
  if (count > c->cap) count = c->cap;
  d.bit_image_count = count;
  if (count != 0) d.bit_image_mode = c->mode;
}

// After ESC D: stops ascend strictly, lie in 1..132, at most 28 of them.
void collect_tab_stop(Interpreters& in, PageState& page, std::uint8_t b) {
  TabTable& t = in.tab_table;
  DotMatrixState& d = in.dot;
  if (t.count < 0 || t.count >= kMaxTabStops) {
    d.tab_collecting = 0;
    return;
  }
  if (b == 0) {
    page.styles.double_width = 0;  // the font is left as it is until the next change
    d.tab_collecting = 0;
    return;
  }
  if (b > kHighestTabStop || (t.count > 0 && b <= t.stops[t.count - 1])) {
    d.tab_collecting = 0;
    return;
  }
  t.stops[t.count] = b;
  t.count += 1;
  if (t.count >= kMaxTabStops) d.tab_collecting = 0;
}

// To the first stop beyond the current column. Unsigned arithmetic throughout;
// without a measured character width there is no column, so nothing moves.
void horizontal_tab(Interpreters& in, PageState& page) {
  const std::uint32_t cw = page.char_width;
  if (cw == 0) return;
  const std::uint32_t d = page.cur_x - page.margin_left;
  std::uint32_t column = d / cw + 1;
  if (d % cw != 0) column += 1;
  const TabTable& t = in.tab_table;
  const std::int32_t n = std::clamp(t.count, 0, kMaxTabStops);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t s = t.stops[i];
    if (static_cast<std::int32_t>(column) < s) {
      page.cur_x = page.margin_left + static_cast<std::uint32_t>(s) * cw;
      return;
    }
  }
}

ByteResult control_code(Interpreters& in, PageState& page, std::uint8_t byte) {
  switch (byte) {
    case 0: return ByteResult::consumed();
    case 9: horizontal_tab(in, page); return ByteResult::consumed();
    case 11: return ByteResult::line_feed();
    case 12: case 13:
      if (page.styles.double_width == 1) set_double_width(in, page, 0);
      return ByteResult::passed(byte);
    case 14: set_double_width(in, page, 1); return ByteResult::consumed();
    case 15: page.styles.condensed = 1; in.font_changed = true; return ByteResult::consumed();
    case 18: page.styles.condensed = 0; in.font_changed = true; return ByteResult::consumed();
    case 20: case 24: set_double_width(in, page, 0); return ByteResult::consumed();
    case kEsc: in.dot.esc_pending = 1; return ByteResult::consumed();
    default: return ByteResult::passed(byte);
  }
}

}  // namespace

ByteResult dot_matrix_byte(Interpreters& in, PageTarget& target, std::uint8_t byte) {
  DotMatrixState& d = in.dot;
  PageState& page = target.page;
  if (d.bit_image_mode != 0) {
    bit_image_column(in, target, byte);
    return ByteResult::consumed();
  }
  if (d.esc_pending) {
    d.esc_pending = 0;
    return escape_command(in, page, byte);
  }
  if (d.param_pending) {
    d.param_pending = 0;
    escape_parameter(in, page, byte);
    return ByteResult::consumed();
  }
  if (d.count_high_pending) {
    d.count_high_pending = 0;
    bit_image_count_high(in, byte);
    return ByteResult::consumed();
  }
  if (d.tab_collecting) {
    collect_tab_stop(in, page, byte);
    return ByteResult::consumed();
  }
  return control_code(in, page, byte);
}

}  // namespace morvane
