// The pieces of the PDF file that grows a page at a time: reading cairo's
// one-page documents back, renumbering their references, and the page tree.
#include <gtest/gtest.h>

#include <cairo-pdf.h>
#include <cairo.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "print/virtual/pdf_objects.h"
#include "print/virtual/pdf_page_tree.h"

namespace morvane {
namespace {

cairo_status_t to_string(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A one-page document as the virtual printer has cairo make one: text in a
// font (a subset, a descriptor, a ToUnicode map), a filled shape, metadata.
std::string cairo_page(const std::string& text) {
  std::string pdf;
  cairo_surface_t* s = cairo_pdf_surface_create_for_stream(to_string, &pdf, 612, 792);
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, "Title (with 1 0 R inside)");
  cairo_t* cr = cairo_create(s);
  cairo_select_font_face(cr, "Liberation Mono", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  cairo_move_to(cr, 72, 72);
  cairo_show_text(cr, text.c_str());
  cairo_rectangle(cr, 100, 100, 50, 50);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_finish(s);
  cairo_surface_destroy(s);
  return pdf;
}

TEST(PdfObjects, ReadsTheOnePageDocumentCairoWrites) {
  const std::string pdf = cairo_page("Hello (world) 1 0 R");
  PdfPageDocument doc;
  std::string error;
  ASSERT_TRUE(read_page_document(pdf, doc, error)) << error;
  EXPECT_EQ(doc.version.substr(0, 5), "%PDF-");
  const PdfObject* page = doc.find(doc.page);
  ASSERT_NE(page, nullptr);
  EXPECT_NE(page->text.find("/Type /Page"), std::string_view::npos);
  EXPECT_EQ(reference_of(page->text, "/Parent"), doc.pages);
  EXPECT_NE(doc.find(doc.info), nullptr);
  // Every reference in the document leads to one of its objects, and every
  // stream's data is exactly its /Length long.
  std::set<int> numbers;
  for (const PdfObject& o : doc.objects) numbers.insert(o.number);
  for (const PdfObject& o : doc.objects) {
    std::map<int, int> identity;
    for (int n : numbers) identity[n] = n;
    std::string out;
    ASSERT_TRUE(renumber_references(o.text, identity, out, error)) << o.number << ": " << error;
    if (!o.has_stream) continue;
    const int length_object = reference_of(o.text, "/Length");
    ASSERT_NE(doc.find(length_object), nullptr) << o.number;
    const std::string length(doc.find(length_object)->text);
    EXPECT_EQ(std::stoul(length), o.stream.size() - 1) << o.number;  // cairo ends the data with a newline
  }
}

TEST(PdfObjects, RenumbersReferencesOnlyOutsideStringsAndComments) {
  const std::map<int, int> map{{1, 9}, {4, 10}, {12, 100}};
  struct Case {
    const char* text;
    const char* want;
  };
  const Case cases[] = {
      {"<< /Parent 1 0 R /Contents 4 0 R >>", "<< /Parent 9 0 R /Contents 10 0 R >>"},
      {"[1 0 R 4 0 R]", "[9 0 R 10 0 R]"},
      {"<</Kids[12 0 R]>>", "<</Kids[100 0 R]>>"},
      {"(a string 1 0 R) 4 0 R", "(a string 1 0 R) 10 0 R"},
      {"(nested (1 0 R) \\) 1 0 R) 4 0 R", "(nested (1 0 R) \\) 1 0 R) 10 0 R"},
      {"% a comment 1 0 R\n4 0 R", "% a comment 1 0 R\n10 0 R"},
      {"<0102> 4 0 R <1 0 R>", "<0102> 10 0 R <1 0 R>"},
      {"/R 4 0 R /Name1 0 R", "/R 10 0 R /Name1 0 R"},
      {"4 0 RG 1 0 Rx", "4 0 RG 1 0 Rx"},  // other keywords
      {"4\n0\nR", "10\n0\nR"},
      {"4 1 R", "10 0 R"},
      {"1.5 0 R 4 0 R", "1.5 0 R 10 0 R"},
      {"   106\n", "   106\n"},
  };
  for (const Case& c : cases) {
    std::string out, error;
    ASSERT_TRUE(renumber_references(c.text, map, out, error)) << c.text << ": " << error;
    EXPECT_EQ(out, c.want) << c.text;
  }
  std::string out, error;
  EXPECT_FALSE(renumber_references("<< /Parent 7 0 R >>", map, out, error));
  EXPECT_NE(error.find("7"), std::string::npos);
}

// Whatever the bytes, reading never goes astray: a cut or damaged document
// is refused with a reason (the sanitizers watch the reads).
TEST(PdfObjects, CutOrDamagedDocumentsAreRefusedNeverMisread) {
  const std::string pdf = cairo_page("Text");
  const std::size_t needed = pdf.rfind("startxref");
  for (std::size_t length = 0; length < pdf.size(); ++length) {
    PdfPageDocument doc;
    std::string error;
    const bool read = read_page_document(std::string_view(pdf).substr(0, length), doc, error);
    EXPECT_TRUE(!read || length >= needed) << length;
    EXPECT_TRUE(read || !error.empty()) << length;
  }
  std::mt19937 random(24);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = pdf;
    for (int k = 0; k < 1 + round % 4; ++k) {
      const std::size_t at = random() % damaged.size();
      damaged[at] = "0123456789 RobjxefPagsnt<>()[]/%\n"[random() % 34];
    }
    PdfPageDocument doc;
    std::string error;
    if (!read_page_document(damaged, doc, error)) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    ASSERT_NE(doc.find(doc.page), nullptr);
    for (const PdfObject& o : doc.objects) {
      EXPECT_GE(o.text.data(), damaged.data());
      EXPECT_LE(o.text.data() + o.text.size(), damaged.data() + damaged.size());
      EXPECT_LE(o.stream.data() + o.stream.size(), damaged.data() + damaged.size());
    }
  }
}

TEST(PdfObjects, DocumentsThatAreNotOnePageAreRefused) {
  std::string two;
  cairo_surface_t* s = cairo_pdf_surface_create_for_stream(to_string, &two, 100, 100);
  cairo_surface_show_page(s);
  cairo_surface_show_page(s);
  cairo_surface_finish(s);
  cairo_surface_destroy(s);
  const char* broken[] = {"", "%PDF-1.5", "%PDF-1.5\nstartxref\n5\n%%EOF\n",
                          "%PDF-1.5\nxref\n0 1\n0000000000 65535 f \ntrailer\n<< >>\nstartxref\n9\n%%EOF\n"};
  PdfPageDocument doc;
  std::string error;
  EXPECT_FALSE(read_page_document(two, doc, error));
  for (const char* text : broken) {
    EXPECT_FALSE(read_page_document(text, doc, error)) << text;
  }
}

// The tree as a reader sees it after every update: each changed node
// replaces its earlier version.
struct TreeImage {
  std::map<int, std::string> nodes;

  void apply(const PdfPageTree& tree) {
    for (const auto& [number, text] : tree.changed_nodes()) nodes[number] = text;
  }
  static std::vector<int> kids(const std::string& text) {
    std::vector<int> out;
    const std::size_t from = text.find("/Kids [");
    std::size_t at = from + 7;
    while (text[at] == ' ' && text.compare(at, 2, " ]") != 0) {
      out.push_back(std::stoi(text.substr(at + 1)));
      at = text.find(" 0 R", at) + 4;
    }
    return out;
  }
  // The pages in reading order, checking counts, fan-out and parents.
  void walk(int node, int parent, std::vector<int>& pages, std::uint64_t& counted) const {
    const std::string& text = nodes.at(node);
    const int named_parent = reference_of(text, "/Parent");
    EXPECT_EQ(named_parent, parent) << node;
    const std::vector<int> children = kids(text);
    EXPECT_LE(children.size(), static_cast<std::size_t>(PdfPageTree::kFanOut)) << node;
    std::uint64_t below = 0;
    for (int kid : children) {
      if (nodes.count(kid) != 0) {
        walk(kid, node, pages, below);
      } else {
        pages.push_back(kid);
        ++below;
      }
    }
    EXPECT_EQ(std::stoull(text.substr(text.find("/Count ") + 7)), below) << node;
    counted += below;
  }
};

TEST(PdfPageTree, EveryPageInOrderAfterEveryUpdateWithFewNodesWritten) {
  PdfPageTree tree(2);
  TreeImage image;
  int next = 10;
  std::vector<int> pages;
  std::size_t most_written = 0;
  for (int n = 1; n <= 5000; ++n) {
    const int parent = tree.parent_for_next_page(next);
    const int page = next++;
    tree.add_page(page);
    pages.push_back(page);
    image.apply(tree);
    most_written = std::max(most_written, tree.changed_nodes().size());
    // The page's parent is the node that holds it.
    EXPECT_NE(image.kids(image.nodes.at(parent)).back(), 0);
    EXPECT_EQ(image.kids(image.nodes.at(parent)).back(), page);
    if (n % 97 == 0 || n < 40 || n == 5000) {
      std::vector<int> seen;
      std::uint64_t counted = 0;
      image.walk(2, 0, seen, counted);
      ASSERT_EQ(seen, pages) << n;
      ASSERT_EQ(tree.pages(), static_cast<std::uint64_t>(n));
    }
  }
  // 5000 pages take a root and a path of at most four nodes (16^4 > 5000).
  EXPECT_LE(most_written, 5u);
  EXPECT_LE(tree.nodes_held(), 5u);
}

}  // namespace
}  // namespace morvane
