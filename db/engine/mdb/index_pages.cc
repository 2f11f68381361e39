#include "db/engine/mdb/index_pages.h"

#include <set>
#include <string>

#include "db/engine/error.h"

namespace db::engine::mdb {
namespace {

// Deeper than any index Jet builds (a page holds at least two entries); a deeper
// walk means the tree is damaged.
constexpr int kMaxDepth = 32;

[[noreturn]] void Bad(uint32_t number, const std::string& what) {
  throw Error("Index page " + std::to_string(number) + " is damaged: " + what);
}

class IndexWalk {
 public:
  IndexWalk(const FileImage& image, uint32_t table_page)
      : image_(image), table_page_(table_page) {}

  IndexTree Read(uint32_t root) {
    Visit(root, 0);
    CheckLeafLinks();
    return std::move(tree_);
  }

 private:
  void Visit(uint32_t number, int depth) {
    if (depth > kMaxDepth) Bad(number, "the tree is too deep");
    if (!visited_.insert(number).second) Bad(number, "reached twice");
    tree_.pages.push_back(number);
    const IndexPage page = DecodeIndexPage(image_.Page(number).bytes(), number);
    if (page.table_page != table_page_) Bad(number, "belongs to another table");
    if (page.leaf) {
      for (const IndexEntry& entry : page.entries) Add(entry, number);
      leaves_.push_back({number, page.prev, page.next});
      return;
    }
    if (page.entries.empty() && page.tail == 0)
      Bad(number, "intermediate page without children");
    for (size_t i = 0; i < page.entries.size(); ++i) {
      Visit(page.children[i], depth + 1);
      // An intermediate entry repeats the last entry of its child's subtree.
      if (tree_.entries.empty() || tree_.entries.back() != page.entries[i]) {
        Bad(number, "entry differs from the last entry of child page " +
                        std::to_string(page.children[i]));
      }
    }
    if (page.tail != 0) Visit(page.tail, depth + 1);
  }

  void Add(const IndexEntry& entry, uint32_t number) {
    if (!tree_.entries.empty() && !(tree_.entries.back() < entry)) {
      Bad(number, "entries out of order");
    }
    tree_.entries.push_back(entry);
  }

  void CheckLeafLinks() const {
    for (size_t i = 0; i < leaves_.size(); ++i) {
      const uint32_t prev = i == 0 ? 0 : leaves_[i - 1].number;
      const uint32_t next = i + 1 == leaves_.size() ? 0 : leaves_[i + 1].number;
      if (leaves_[i].prev != prev || leaves_[i].next != next) {
        Bad(leaves_[i].number, "leaf links do not follow the tree");
      }
    }
  }

  struct Leaf {
    uint32_t number, prev, next;
  };
  const FileImage& image_;
  const uint32_t table_page_;
  IndexTree tree_;
  std::set<uint32_t> visited_;
  std::vector<Leaf> leaves_;
};

}  // namespace

IndexTree ReadIndex(const FileImage& image, uint32_t root, uint32_t table_page) {
  return IndexWalk(image, table_page).Read(root);
}

}  // namespace db::engine::mdb
