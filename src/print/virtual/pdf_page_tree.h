// The page tree of a PDF file that grows a page at a time. Every node has at
// most kFanOut kids; the root (a fixed object) holds one complete subtree of
// each height in turn: height 1 takes 16 pages, height 2 takes 256, and so
// on. A page goes to the right-hand edge, so adding one changes only the
// nodes on the path from the root down to it: a few small objects, however
// many pages the file has. Nodes never move and are never renumbered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

class PdfPageTree {
 public:
  static constexpr int kFanOut = 16;

  struct Node {
    int number = 0;   // the node's object number
    int parent = 0;   // its parent's, 0 for the root
    int height = 0;   // 1: its kids are pages
    std::uint64_t count = 0;  // pages beneath it
    std::vector<int> kids;    // object numbers
  };

  // `root` is the root's object number.
  explicit PdfPageTree(int root);

  // Makes room for one more page: new nodes take their numbers from
  // `next_number`, which moves on past them. Returns the number of the node
  // the page must name as its /Parent.
  int parent_for_next_page(int& next_number);
  // Puts the page (object `page`) under that node; the nodes on its path
  // count it.
  void add_page(int page);

  // The nodes to write after add_page: the root and the path to the newest
  // page, each as a dictionary "<< /Type /Pages ... >>".
  std::vector<std::pair<int, std::string>> changed_nodes() const;

  std::uint64_t pages() const { return spine_.front().count; }
  // The nodes held in memory: the root and the path to the newest page.
  std::size_t nodes_held() const { return spine_.size(); }

 private:
  // spine_[0] is the root; spine_[i + 1] is the last kid of spine_[i].
  std::vector<Node> spine_;
};

}  // namespace morvane
