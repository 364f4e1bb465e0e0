#include "config/ini_text.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace morvane::ini {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool is_blank(char c) {
  // Ctrl-Z counts too: old editors ended text files with it.
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' ||
         c == '\x1A';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Line {
  std::string body;  // without the line break
  std::string eol;   // "\r\n", "\n" or empty for an unterminated last line
};

// The file as lines, with a leading UTF-8 mark kept aside so the first line
// still reads as a section header.
struct Document {
  std::string mark;
  std::vector<Line> lines;
};

Document split(std::string_view text) {
  Document doc;
  if (text.starts_with(kUtf8Mark)) {
    doc.mark = kUtf8Mark;
    text.remove_prefix(kUtf8Mark.size());
  }
  doc.lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) {
      doc.lines.push_back({std::string(text), ""});
      break;
    }
    const bool crlf = nl > 0 && text[nl - 1] == '\r';
    const std::size_t body_len = crlf ? nl - 1 : nl;
    doc.lines.push_back({std::string(text.substr(0, body_len)), crlf ? "\r\n" : "\n"});
    text.remove_prefix(nl + 1);
  }
  return doc;
}

std::string join(const Document& doc) {
  std::size_t size = doc.mark.size();
  for (const Line& line : doc.lines) size += line.body.size() + line.eol.size();
  std::string out;
  out.reserve(size);
  out += doc.mark;
  for (const Line& line : doc.lines) {
    out += line.body;
    out += line.eol;
  }
  return out;
}

enum class Kind { other, section, entry };

struct Parsed {
  Kind kind = Kind::other;
  std::string_view name;   // section name or key
  std::string_view value;  // entries only
};

Parsed classify(std::string_view body) {
  const std::string_view s = trim(body);
  if (s.starts_with('[')) {
    const std::size_t close = s.find(']');
    if (close != std::string_view::npos) return {Kind::section, trim(s.substr(1, close - 1)), {}};
  }
  if (s.starts_with(';')) return {};
  const std::size_t eq = s.find('=');
  if (eq == std::string_view::npos) return {};
  return {Kind::entry, trim(s.substr(0, eq)), trim(s.substr(eq + 1))};
}

std::string_view unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::size_t find_section(const Document& doc, std::string_view section) {
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    const Parsed p = classify(doc.lines[i].body);
    if (p.kind == Kind::section && same_name(p.name, section)) return i;
  }
  return kNone;
}

// One past the last line of the section whose header is at index header.
std::size_t section_end(const Document& doc, std::size_t header) {
  std::size_t i = header + 1;
  while (i < doc.lines.size() && classify(doc.lines[i].body).kind != Kind::section) ++i;
  return i;
}

std::size_t find_entry(const Document& doc, std::size_t begin, std::size_t end,
                       std::string_view key) {
  for (std::size_t i = begin; i < end; ++i) {
    const Parsed p = classify(doc.lines[i].body);
    if (p.kind == Kind::entry && same_name(p.name, key)) return i;
  }
  return kNone;
}

std::string line_break_of(const Document& doc) {
  if (!doc.lines.empty() && !doc.lines.front().eol.empty()) return doc.lines.front().eol;
  return "\r\n";
}

std::string clean_value(std::string_view value) {
  const std::size_t brk = value.find_first_of("\r\n");
  if (brk != std::string_view::npos) value = value.substr(0, brk);
  // Leading blanks only, as the platform stores it; a read drops the trailing ones.
  while (!value.empty() && is_blank(value.front())) value.remove_prefix(1);
  return std::string(value);
}

// "left" "=" "5": built by appending, the form GCC's -O3 string warnings accept.
std::string joined(std::string_view a, std::string_view b, std::string_view c) {
  std::string out;
  out.reserve(a.size() + b.size() + c.size());
  out.append(a).append(b).append(c);
  return out;
}

// Inserts a line after index at (or at the front for kNone), giving the line
// before it a break if it lacked one.
void insert_after(Document& doc, std::size_t at, std::string body, const std::string& eol) {
  const std::size_t pos = (at == kNone) ? 0 : at + 1;
  if (pos > 0 && doc.lines[pos - 1].eol.empty()) doc.lines[pos - 1].eol = eol;
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(pos), Line{std::move(body), eol});
}

}  // namespace

// A read goes through the text once, line by line as split() cuts them, and
// copies nothing but the value found: the first section of the name counts,
// and in it the first entry of the key.
std::optional<std::string> find_value(std::string_view text, std::string_view section,
                                      std::string_view key) {
  if (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());
  bool in_section = false;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view body = text.substr(0, nl);
    if (nl != std::string_view::npos && body.ends_with('\r')) body.remove_suffix(1);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    const Parsed p = classify(body);
    if (p.kind == Kind::section) {
      if (in_section) return std::nullopt;  // the section ended without the key
      in_section = same_name(p.name, section);
    } else if (in_section && p.kind == Kind::entry && same_name(p.name, key)) {
      return std::string(unquote(p.value));
    }
  }
  return std::nullopt;
}

std::string set_value(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
  Document doc = split(text);
  const std::string eol = line_break_of(doc);
  const std::string cleaned = clean_value(value);
  const std::size_t header = find_section(doc, section);
  if (header == kNone) {
    const std::size_t last = doc.lines.empty() ? kNone : doc.lines.size() - 1;
    insert_after(doc, last, joined("[", section, "]"), eol);
    insert_after(doc, doc.lines.size() - 1, joined(key, "=", cleaned), eol);
    return join(doc);
  }
  const std::size_t end = section_end(doc, header);
  const std::size_t at = find_entry(doc, header + 1, end, key);
  if (at != kNone) {
    const Parsed entry = classify(doc.lines[at].body);
    // The same value again leaves the line, spacing and all, as it is.
    if (entry.value == cleaned) return std::string(text);
    doc.lines[at].body = joined(entry.name, "=", cleaned);
    return join(doc);
  }
  std::size_t last = header;
  for (std::size_t i = header + 1; i < end; ++i) {
    if (!trim(doc.lines[i].body).empty()) last = i;
  }
  insert_after(doc, last, joined(key, "=", cleaned), eol);
  return join(doc);
}

std::int32_t parse_int(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    const char p = text[i + 1];
    base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  std::uint32_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    std::uint32_t digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'Z') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    if (digit >= base) break;
    value = value * base + digit;
  }
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::int32_t int_from_value(const std::string& value, std::int32_t default_value) {
  return value.empty() ? default_value : parse_int(value);
}

std::string trimmed_default(std::string_view default_value) {
  while (!default_value.empty() && default_value.back() == ' ') default_value.remove_suffix(1);
  return std::string(default_value);
}

std::string fit_buffer(std::string text, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  if (text.size() > buffer_size - 1) text.resize(buffer_size - 1);
  return text;
}

}  // namespace morvane::ini
