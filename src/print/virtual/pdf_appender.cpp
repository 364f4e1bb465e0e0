#include "print/virtual/pdf_appender.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "print/virtual/pdf_objects.h"

namespace morvane {

namespace {

// The tail's offset is written over in place: it must never straddle a
// page of the file (writes within one page are not cut by a kill).
constexpr std::uint64_t kFilePage = 4096;
constexpr std::size_t kOffsetAt = 10;  // "startxref\n"
constexpr std::uint64_t kLargestOffset = 9999999999ull;

std::string tail(std::uint64_t xref) {
  char text[PdfAppender::kTailSize + 1];
  std::snprintf(text, sizeof text, "startxref\n%010llu\n%%%%EOF\n", static_cast<unsigned long long>(xref));
  return std::string(text, PdfAppender::kTailSize);
}

void write_plain_object(std::string& out, int number, const std::string& text) {
  out += std::to_string(number);
  out += " 0 obj\n";
  out += text;
  out += "\nendobj\n";
}

// The cross-reference section of the objects at `offsets` (numbers in
// order), in runs of consecutive numbers.
void write_xref(std::string& out, const std::vector<std::pair<int, std::uint64_t>>& offsets, bool first) {
  out += "xref\n";
  if (first) out += "0 1\n0000000000 65535 f \n";
  for (std::size_t i = 0; i < offsets.size();) {
    std::size_t j = i + 1;
    while (j < offsets.size() && offsets[j].first == offsets[j - 1].first + 1) ++j;
    out += std::to_string(offsets[i].first) + " " + std::to_string(j - i) + "\n";
    for (; i < j; ++i) {
      char entry[21];
      std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets[i].second));
      out.append(entry, 20);
    }
  }
}

}  // namespace

bool PdfAppender::build_update(std::string_view one_page_document, Update& update, std::string& error) {
  PdfPageDocument doc;
  if (!read_page_document(one_page_document, doc, error)) {
    error = "the page's PDF cannot be read back: " + error;
    return false;
  }
  const bool first = end_ == 0;
  const std::uint64_t base = end_;
  std::string& out = update.bytes;
  std::vector<std::pair<int, std::uint64_t>> offsets;
  if (first) {
    out.append(doc.version);
    out += "\n%\xb5\xed\xae\xfb\n";  // binary bytes: the file is not text
  }
  // The page's objects get fresh numbers above every number in the file,
  // unless the file holds the same object already (a drawing form of an
  // earlier page); its page tree becomes the tree's node that takes it.
  int next = next_number_;
  std::map<int, int> renumbered{{doc.pages, tree_.parent_for_next_page(next)}};
  const std::map<int, ObjectKey> keys = object_keys(doc, {doc.catalog, doc.pages, doc.info});
  std::vector<const PdfObject*> fresh;
  for (const PdfObject& o : doc.objects) {
    if (o.number == doc.catalog || o.number == doc.pages || o.number == doc.info) continue;
    const ObjectKey key = keys.at(o.number);
    const auto held = key.valid() ? shared_.find(key) : shared_.end();
    if (held != shared_.end()) {
      renumbered[o.number] = held->second;
      continue;
    }
    renumbered[o.number] = next++;
    fresh.push_back(&o);
    if (key.valid()) remember(key, renumbered[o.number]);
  }
  std::string text;
  for (const PdfObject* object : fresh) {
    const PdfObject& o = *object;
    if (!renumber_references(o.text, renumbered, text, error)) {
      error = "the page's PDF cannot be joined: " + error;
      return false;
    }
    const int number = renumbered[o.number];
    offsets.emplace_back(number, base + out.size());
    write_object(out, number, text, o);
  }
  tree_.add_page(renumbered[doc.page]);
  for (const auto& [number, node] : tree_.changed_nodes()) {
    offsets.emplace_back(number, base + out.size());
    write_plain_object(out, number, node);
  }
  if (first) {
    offsets.emplace_back(kCatalog, base + out.size());
    write_plain_object(out, kCatalog, "<< /Type /Catalog /Pages " + std::to_string(kPages) + " 0 R >>");
    const PdfObject* info = doc.find(doc.info);
    std::string info_text = "<< /Creator (Morvane) >>";
    if (info != nullptr && !info->has_stream && renumber_references(info->text, {}, text, error)) info_text = text;
    offsets.emplace_back(kInfo, base + out.size());
    write_plain_object(out, kInfo, info_text);
  }
  std::sort(offsets.begin(), offsets.end());
  update.xref = base + out.size();
  write_xref(out, offsets, first);
  out += "trailer\n<< /Size " + std::to_string(next) + " /Root " + std::to_string(kCatalog) + " 0 R /Info " +
         std::to_string(kInfo) + " 0 R";
  if (!first) out += " /Prev " + std::to_string(xref_);
  out += " >>\n";
  const std::uint64_t tail_at = base + out.size();
  if (tail_at % kFilePage + kTailSize > kFilePage) out.append(kFilePage - tail_at % kFilePage, '\n');
  if (base + out.size() + kTailSize > kLargestOffset) {
    error = "the PDF cannot grow beyond 10 GB";
    return false;
  }
  next_number_ = next;
  return true;
}

void PdfAppender::remember(const ObjectKey& key, int number) {
  if (shared_order_.size() >= kMostShared) {
    shared_.erase(shared_order_.front());
    shared_order_.pop_front();
  }
  shared_[key] = number;
  shared_order_.push_back(key);
}

bool PdfAppender::write_first(const Update& update) {
  const std::string whole = update.bytes + tail(update.xref);
  return file_.write_at(0, whole.data(), whole.size()) && (!sync_ || file_.sync());
}

bool PdfAppender::append(const Update& update) {
  const std::uint64_t tail_at = end_ + update.bytes.size();
  const std::string old_tail = tail(xref_);
  const std::string new_offset = tail(update.xref).substr(kOffsetAt, 10);
  return file_.write_at(tail_at, old_tail.data(), old_tail.size()) &&
         file_.write_at(end_, update.bytes.data(), update.bytes.size()) && (!sync_ || file_.sync()) &&
         file_.write_at(tail_at + kOffsetAt, new_offset.data(), new_offset.size()) && (!sync_ || file_.sync());
}

bool PdfAppender::add_page(std::string_view one_page_document, std::string& error) {
  const PdfPageTree tree_before = tree_;
  const int next_before = next_number_;
  const auto shared_before = shared_;
  const auto shared_order_before = shared_order_;
  Update update;
  bool ok = build_update(one_page_document, update, error);
  if (ok) {
    const bool first = end_ == 0;
    ok = first ? write_first(update) : append(update);
    if (ok) {
      end_ += update.bytes.size() + kTailSize;
      xref_ = update.xref;
      return true;
    }
    error = file_.failure().reason;
    // Whatever of the update reached the file goes: it ends as it was.
    file_.truncate(end_);
  }
  tree_ = tree_before;
  next_number_ = next_before;
  shared_ = shared_before;
  shared_order_ = shared_order_before;
  return false;
}

bool PdfAppender::finish(std::string& error) {
  if (sync_ || end_ == 0 || file_.sync()) return true;
  error = file_.failure().reason;
  return false;
}

}  // namespace morvane
