// The objects of a small PDF document as cairo writes one page of it, read
// back so that they can join a file of many pages: found through the
// document's cross-reference table, renumbered, and written out again with
// their stream data untouched.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// One indirect object. `text` is everything between "N G obj" and the
// keyword "stream" (or "endobj" when there is no stream): the only part
// that may hold references. `stream` is the stream's data, exactly as it
// lies between the line after "stream" and "endstream".
struct PdfObject {
  int number = 0;
  std::string_view text;
  bool has_stream = false;
  std::string_view stream;
};

// A one-page document: its objects in the order of their numbers, and the
// numbers of its catalog, page tree, page and document information.
struct PdfPageDocument {
  std::string_view version;  // "%PDF-1.5"
  std::vector<PdfObject> objects;
  int catalog = 0;
  int pages = 0;
  int page = 0;
  int info = 0;  // 0 when there is none

  const PdfObject* find(int number) const;
};

// Reads `pdf` (which must outlive the result). False with the reason when it
// is not a one-page document of the kind cairo writes.
bool read_page_document(std::string_view pdf, PdfPageDocument& doc, std::string& error);

// `text` with every reference "N G R" outside strings and comments made to
// point at renumbered[N] (generation 0). False with the reason when a
// reference names an object that `renumbered` does not know.
bool renumber_references(std::string_view text, const std::map<int, int>& renumbered, std::string& out,
                         std::string& error);

// The value of `key` in a dictionary's text when it is a reference; 0 when
// the key is absent or holds something else.
int reference_of(std::string_view dict, std::string_view key);

// A fingerprint of an object's content in which every reference stands for
// the fingerprint of what it leads to: objects of two documents with equal
// fingerprints are the same object (a drawing form one page shares with an
// earlier one). 128 bits from two unrelated hashes.
struct ObjectKey {
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  bool valid() const { return a != 0 || b != 0; }
  bool operator<(const ObjectKey& o) const { return a != o.a ? a < o.a : b < o.b; }
};

// The fingerprint of every object of `doc`; an invalid one for objects that
// lead to one of `excluded`, to a missing object or back to themselves.
std::map<int, ObjectKey> object_keys(const PdfPageDocument& doc, const std::set<int>& excluded);

// Appends "N 0 obj\n<text>stream...endstream\nendobj\n" for `object` under
// its new number and text.
void write_object(std::string& out, int number, std::string_view text, const PdfObject& object);

}  // namespace morvane
