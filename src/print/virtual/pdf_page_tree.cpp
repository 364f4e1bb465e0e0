#include "print/virtual/pdf_page_tree.h"

namespace morvane {

namespace {

// The pages a complete node of `height` holds.
std::uint64_t capacity(int height) {
  std::uint64_t n = 1;
  for (int i = 0; i < height; ++i) n *= PdfPageTree::kFanOut;
  return n;
}

}  // namespace

PdfPageTree::PdfPageTree(int root) {
  Node r;
  r.number = root;
  spine_.push_back(r);
}

int PdfPageTree::parent_for_next_page(int& next_number) {
  if (spine_.size() > 1 && spine_.back().kids.size() < static_cast<std::size_t>(kFanOut))
    return spine_.back().number;
  // The lowest node of the current subtree with room left keeps its place;
  // below it a fresh path is made. With none, the next subtree, one higher,
  // starts beside the others under the root.
  std::size_t keep = spine_.size() - 1;
  while (keep >= 1 && spine_[keep].count >= capacity(spine_[keep].height)) --keep;
  const int top = keep >= 1 ? spine_[keep].height - 1 : static_cast<int>(spine_[0].kids.size()) + 1;
  spine_.resize(keep + 1);
  for (int height = top; height >= 1; --height) {
    Node n;
    n.number = next_number++;
    n.parent = spine_.back().number;
    n.height = height;
    spine_.back().kids.push_back(n.number);
    spine_.push_back(n);
  }
  return spine_.back().number;
}

void PdfPageTree::add_page(int page) {
  spine_.back().kids.push_back(page);
  for (Node& n : spine_) ++n.count;
}

std::vector<std::pair<int, std::string>> PdfPageTree::changed_nodes() const {
  std::vector<std::pair<int, std::string>> out;
  for (const Node& n : spine_) {
    std::string text = "<< /Type /Pages";
    if (n.parent != 0) text += " /Parent " + std::to_string(n.parent) + " 0 R";
    text += " /Kids [";
    for (int kid : n.kids) text += " " + std::to_string(kid) + " 0 R";
    text += " ] /Count " + std::to_string(n.count) + " >>";
    out.emplace_back(n.number, std::move(text));
  }
  return out;
}

}  // namespace morvane
