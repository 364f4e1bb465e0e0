// A PDF file that is complete and valid after every page it takes. The first
// page writes a whole document; every later page is appended as an update:
// its objects, the changed page-tree nodes, a cross-reference section for
// them and a trailer pointing back at the previous one. Nothing written
// before is rewritten, so a page costs the same at page 1 and at page 1,000.
//
// The file always ends with the same fixed-width tail,
//   startxref\n<offset, 10 digits>\n%%EOF\n
// and a page is committed without the end of the file ever pointing at an
// unfinished update: (1) a copy of the current tail is written where the new
// end will be, (2) the update fills the gap before it, (3) the new tail's
// offset is written over the copy's, a write of a few bytes within one 4096-
// byte page of the file. However the program ends, the file's last bytes are
// a tail pointing at a complete chain of cross-reference sections; bytes of
// an update cut short (or a gap of NULs) lie between revisions, where readers
// never look. With `sync_each_page` the update is on the disk before (3) and
// the tail after it, so that a page reported stored survives the system too.
//
// An object a page has in common with earlier ones (a drawing form of the
// dot face, a font subset that is the same to the byte) is not written
// again: the page refers to the earlier object. The newest few hundred such
// objects are remembered, so memory stays flat.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>

#include "print/stored_file.h"
#include "print/virtual/pdf_objects.h"
#include "print/virtual/pdf_page_tree.h"

namespace morvane {

class PdfAppender {
 public:
  // The fixed objects: the catalog, the page tree's root, the document
  // information.
  static constexpr int kCatalog = 1;
  static constexpr int kPages = 2;
  static constexpr int kInfo = 3;
  static constexpr std::size_t kTailSize = 27;

  // `file` must be empty; it must outlive the appender.
  PdfAppender(StoredFile& file, bool sync_each_page) : file_(file), sync_(sync_each_page) {}

  // Adds the page of a one-page document (as cairo writes one). True once
  // the file holds it after every earlier page; false with the reason, the
  // file then holding what it held before.
  bool add_page(std::string_view one_page_document, std::string& error);
  // Puts the file on the disk when pages are not synced one by one.
  bool finish(std::string& error);

  std::uint64_t pages() const { return tree_.pages(); }
  std::uint64_t size() const { return end_; }
  const PdfPageTree& tree() const { return tree_; }

 private:
  // What one page adds to the file: its bytes, to go at the file's end,
  // and where in them the cross-reference section starts.
  struct Update {
    std::string bytes;
    std::uint64_t xref = 0;
  };

  static constexpr std::size_t kMostShared = 512;

  bool build_update(std::string_view one_page_document, Update& update, std::string& error);
  void remember(const ObjectKey& key, int number);
  bool write_first(const Update& update);
  bool append(const Update& update);

  StoredFile& file_;
  bool sync_;
  PdfPageTree tree_{kPages};
  int next_number_ = kInfo + 1;
  std::uint64_t end_ = 0;   // the file's length
  std::uint64_t xref_ = 0;  // where the newest cross-reference section starts
  std::map<ObjectKey, int> shared_;  // objects in the file, by their fingerprint
  std::deque<ObjectKey> shared_order_;  // the oldest is forgotten first
};

}  // namespace morvane
