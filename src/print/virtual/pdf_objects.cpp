#include "print/virtual/pdf_objects.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <utility>

namespace morvane {

namespace {

bool is_space(char c) {
  return c == '\0' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

bool is_delimiter(char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
         c == '/' || c == '%';
}

bool is_regular(char c) { return !is_space(c) && !is_delimiter(c); }

struct Token {
  enum class Kind { regular, name, string, delimiter, end };
  Kind kind = Kind::end;
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The tokens of PDF text; whitespace and comments lie between them.
class Lexer {
 public:
  explicit Lexer(std::string_view text, std::size_t from = 0) : s_(text), pos_(from) {}

  Token next() {
    skip_space_and_comments();
    Token t;
    t.begin = pos_;
    if (pos_ >= s_.size()) {
      t.end = pos_;
      return t;
    }
    const char c = s_[pos_];
    if (c == '(') {
      t.kind = Token::Kind::string;
      skip_string();
    } else if (c == '<' && !at("<<")) {
      t.kind = Token::Kind::string;
      const std::size_t close = s_.find('>', pos_);
      pos_ = close == std::string_view::npos ? s_.size() : close + 1;
    } else if (c == '/') {
      t.kind = Token::Kind::name;
      ++pos_;
      while (pos_ < s_.size() && is_regular(s_[pos_])) ++pos_;
    } else if (is_delimiter(c)) {
      t.kind = Token::Kind::delimiter;
      pos_ += at("<<") || at(">>") ? 2 : 1;
    } else {
      t.kind = Token::Kind::regular;
      while (pos_ < s_.size() && is_regular(s_[pos_])) ++pos_;
    }
    t.end = pos_;
    return t;
  }

  std::string_view text(const Token& t) const { return s_.substr(t.begin, t.end - t.begin); }
  std::size_t position() const { return pos_; }

 private:
  bool at(std::string_view what) const { return s_.substr(pos_, what.size()) == what; }

  void skip_space_and_comments() {
    while (pos_ < s_.size()) {
      if (is_space(s_[pos_])) {
        ++pos_;
      } else if (s_[pos_] == '%') {
        while (pos_ < s_.size() && s_[pos_] != '\n' && s_[pos_] != '\r') ++pos_;
      } else {
        break;
      }
    }
  }

  // A literal string: balanced parentheses, backslash escapes.
  void skip_string() {
    int depth = 0;
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '\\') {
        if (pos_ < s_.size()) ++pos_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return;
      }
    }
  }

  std::string_view s_;
  std::size_t pos_;
};

bool to_int(std::string_view text, long long& value) {
  if (text.empty()) return false;
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size();
}

bool is_int(const Lexer& lex, const Token& t) {
  long long v = 0;
  return t.kind == Token::Kind::regular && to_int(lex.text(t), v);
}

int int_of(const Lexer& lex, const Token& t) {
  long long v = 0;
  to_int(lex.text(t), v);
  return v >= 0 && v <= 0x7FFFFFFF ? static_cast<int>(v) : -1;
}

// Calls found(number, first token, second token) for every "N G R" in text.
template <typename Found>
void each_reference(std::string_view text, Found found) {
  Lexer lex(text);
  Token a, b;
  for (Token t = lex.next(); t.kind != Token::Kind::end; t = lex.next()) {
    if (t.kind == Token::Kind::regular && lex.text(t) == "R" && is_int(lex, a) && is_int(lex, b))
      found(int_of(lex, a), a, b);
    a = b;
    b = t;
  }
}

std::vector<int> references_in(std::string_view text) {
  std::vector<int> refs;
  each_reference(text, [&refs](int n, const Token&, const Token&) { refs.push_back(n); });
  return refs;
}

// The text of the array that `key` holds in a dictionary's text, brackets
// excluded; empty when there is none.
std::string_view array_of(std::string_view dict, std::string_view key) {
  Lexer lex(dict);
  for (Token t = lex.next(); t.kind != Token::Kind::end; t = lex.next()) {
    if (t.kind != Token::Kind::name || lex.text(t) != key) continue;
    const Token open = lex.next();
    if (lex.text(open) != "[") return {};
    const std::size_t from = open.end;
    for (Token u = lex.next(); u.kind != Token::Kind::end; u = lex.next()) {
      if (lex.text(u) == "]") return dict.substr(from, u.begin - from);
    }
    return {};
  }
  return {};
}

struct XrefEntry {
  int number;
  std::size_t offset;
};

// The in-use entries of the cross-reference table at `at`, and where its
// trailer's dictionary starts.
bool read_xref(std::string_view pdf, std::size_t at, std::vector<XrefEntry>& entries, std::size_t& trailer,
               std::string& error) {
  Lexer lex(pdf, at);
  if (lex.text(lex.next()) != "xref") {
    error = "no cross-reference table where startxref points";
    return false;
  }
  for (;;) {
    const Token first = lex.next();
    if (lex.text(first) == "trailer") {
      trailer = lex.position();
      return true;
    }
    const Token count = lex.next();
    if (!is_int(lex, first) || !is_int(lex, count)) {
      error = "a cross-reference section is malformed";
      return false;
    }
    const int start = int_of(lex, first);
    const int n = int_of(lex, count);
    if (start < 0 || n < 0 || n > 1000000) {
      error = "a cross-reference section is out of range";
      return false;
    }
    for (int i = 0; i < n; ++i) {
      const Token offset = lex.next(), generation = lex.next(), type = lex.next();
      long long off = 0;
      if (!to_int(lex.text(offset), off) || !is_int(lex, generation) ||
          (lex.text(type) != "n" && lex.text(type) != "f")) {
        error = "a cross-reference entry is malformed";
        return false;
      }
      if (lex.text(type) == "n") {
        if (off < 0 || static_cast<std::size_t>(off) >= at) {
          error = "an object lies outside the document";
          return false;
        }
        entries.push_back({start + i, static_cast<std::size_t>(off)});
      }
    }
  }
}

// One object from its span: header, the text before its stream, the stream.
bool read_object(std::string_view span, int number, PdfObject& object, std::string& error) {
  Lexer lex(span);
  const Token n = lex.next(), g = lex.next(), obj = lex.next();
  if (!is_int(lex, n) || int_of(lex, n) != number || !is_int(lex, g) || lex.text(obj) != "obj") {
    error = "object " + std::to_string(number) + " is not where the table says";
    return false;
  }
  const std::size_t body = obj.end;
  const std::size_t endobj = span.rfind("endobj");
  if (endobj == std::string_view::npos || endobj < body) {
    error = "object " + std::to_string(number) + " has no end";
    return false;
  }
  object.number = number;
  object.text = span.substr(body, endobj - body);
  for (Token t = lex.next(); t.kind != Token::Kind::end && t.begin < endobj; t = lex.next()) {
    if (t.kind != Token::Kind::regular || lex.text(t) != "stream") continue;
    std::size_t data = t.end;
    if (span.substr(data, 2) == "\r\n") data += 2;
    else if (data < span.size() && span[data] == '\n') data += 1;
    const std::size_t endstream = span.rfind("endstream", endobj);
    if (endstream == std::string_view::npos || endstream < data) {
      error = "object " + std::to_string(number) + " has a stream without end";
      return false;
    }
    object.text = span.substr(body, t.begin - body);
    object.has_stream = true;
    object.stream = span.substr(data, endstream - data);
    break;
  }
  return true;
}

bool find_parts(PdfPageDocument& doc, std::string_view trailer, std::string& error) {
  doc.catalog = reference_of(trailer, "/Root");
  doc.info = reference_of(trailer, "/Info");
  const PdfObject* catalog = doc.find(doc.catalog);
  if (catalog == nullptr || (doc.info != 0 && doc.find(doc.info) == nullptr)) {
    error = "the trailer names objects the document lacks";
    return false;
  }
  doc.pages = reference_of(catalog->text, "/Pages");
  const PdfObject* pages = doc.find(doc.pages);
  const std::vector<int> kids = pages != nullptr ? references_in(array_of(pages->text, "/Kids")) : std::vector<int>{};
  if (kids.size() != 1 || doc.find(kids[0]) == nullptr) {
    error = "the document does not have exactly one page";
    return false;
  }
  doc.page = kids[0];
  return true;
}

// Computes fingerprints depth first; an object met again while its own is
// being computed is part of a loop, which nothing can share.
class Fingerprints {
 public:
  Fingerprints(const PdfPageDocument& doc, const std::set<int>& excluded) : doc_(doc), excluded_(excluded) {}

  ObjectKey of(int number, int depth = 0) {
    auto known = keys_.find(number);
    if (known != keys_.end()) return known->second;
    const PdfObject* o = doc_.find(number);
    if (o == nullptr || excluded_.count(number) != 0 || depth > kDeepest) return {};
    keys_[number] = {};  // a loop back here finds an invalid key
    std::string canonical;
    std::size_t copied = 0;
    bool shareable = true;
    each_reference(o->text, [&](int target, const Token& n, const Token& g) {
      canonical.append(o->text.substr(copied, n.begin - copied));
      const ObjectKey k = of(target, depth + 1);
      shareable = shareable && k.valid();
      canonical += "<" + std::to_string(k.a) + "." + std::to_string(k.b) + ">";
      copied = g.end;
    });
    canonical.append(o->text.substr(copied));
    if (!shareable) return {};
    if (o->has_stream) canonical += "stream";
    ObjectKey key{fnv1a(o->stream, fnv1a(canonical, kFnvBasis)),
                  std::hash<std::string>{}(canonical) * 31 + std::hash<std::string_view>{}(o->stream)};
    if (!key.valid()) key.a = 1;
    keys_[number] = key;
    return key;
  }

 private:
  static constexpr int kDeepest = 32;
  static constexpr std::uint64_t kFnvBasis = 14695981039346656037ull;
  static std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash) {
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    return hash;
  }

  const PdfPageDocument& doc_;
  const std::set<int>& excluded_;
  std::map<int, ObjectKey> keys_;
};

}  // namespace

std::map<int, ObjectKey> object_keys(const PdfPageDocument& doc, const std::set<int>& excluded) {
  Fingerprints prints(doc, excluded);
  std::map<int, ObjectKey> keys;
  for (const PdfObject& o : doc.objects) keys[o.number] = prints.of(o.number);
  return keys;
}

const PdfObject* PdfPageDocument::find(int number) const {
  auto it = std::lower_bound(objects.begin(), objects.end(), number,
                             [](const PdfObject& o, int n) { return o.number < n; });
  return it != objects.end() && it->number == number ? &*it : nullptr;
}

int reference_of(std::string_view dict, std::string_view key) {
  Lexer lex(dict);
  for (Token t = lex.next(); t.kind != Token::Kind::end; t = lex.next()) {
    if (t.kind != Token::Kind::name || lex.text(t) != key) continue;
    const Token n = lex.next(), g = lex.next(), r = lex.next();
    if (is_int(lex, n) && is_int(lex, g) && lex.text(r) == "R") return std::max(int_of(lex, n), 0);
    return 0;
  }
  return 0;
}

bool read_page_document(std::string_view pdf, PdfPageDocument& doc, std::string& error) {
  doc = {};
  const std::size_t eol = pdf.find_first_of("\r\n");
  if (pdf.substr(0, 5) != "%PDF-" || eol == std::string_view::npos) {
    error = "not a PDF document";
    return false;
  }
  doc.version = pdf.substr(0, eol);
  const std::size_t startxref = pdf.rfind("startxref");
  long long xref = -1;
  if (startxref != std::string_view::npos) {
    Lexer lex(pdf, startxref + 9);
    to_int(lex.text(lex.next()), xref);
  }
  if (xref <= 0 || static_cast<std::size_t>(xref) >= startxref) {
    error = "no usable startxref";
    return false;
  }
  const auto at = static_cast<std::size_t>(xref);
  std::vector<XrefEntry> entries;
  std::size_t trailer = 0;
  if (!read_xref(pdf, at, entries, trailer, error)) return false;
  std::sort(entries.begin(), entries.end(), [](const XrefEntry& a, const XrefEntry& b) { return a.offset < b.offset; });
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t end = i + 1 < entries.size() ? entries[i + 1].offset : at;
    PdfObject object;
    if (!read_object(pdf.substr(entries[i].offset, end - entries[i].offset), entries[i].number, object, error))
      return false;
    doc.objects.push_back(object);
  }
  std::sort(doc.objects.begin(), doc.objects.end(), [](const PdfObject& a, const PdfObject& b) { return a.number < b.number; });
  for (std::size_t i = 1; i < doc.objects.size(); ++i) {
    if (doc.objects[i].number == doc.objects[i - 1].number) {
      error = "object " + std::to_string(doc.objects[i].number) + " is listed twice";
      return false;
    }
  }
  return find_parts(doc, pdf.substr(trailer, startxref - trailer), error);
}

bool renumber_references(std::string_view text, const std::map<int, int>& renumbered, std::string& out,
                         std::string& error) {
  out.clear();
  std::size_t copied = 0;
  bool ok = true;
  each_reference(text, [&](int n, const Token& number, const Token& generation) {
    auto it = renumbered.find(n);
    if (it == renumbered.end()) {
      if (ok) error = "a reference to object " + std::to_string(n) + ", which the document lacks";
      ok = false;
      return;
    }
    out.append(text.substr(copied, number.begin - copied));
    out += std::to_string(it->second);
    out.append(text.substr(number.end, generation.begin - number.end));
    out += '0';
    copied = generation.end;
  });
  out.append(text.substr(copied));
  return ok;
}

void write_object(std::string& out, int number, std::string_view text, const PdfObject& object) {
  out += std::to_string(number);
  out += " 0 obj";
  out.append(text);
  if (object.has_stream) {
    out += "stream\n";
    out.append(object.stream);
    out += "endstream";
  }
  out += "\nendobj\n";
}

}  // namespace morvane
