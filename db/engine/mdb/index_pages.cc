#include "db/engine/mdb/index_pages.h"

#include <set>
#include <string>

namespace db::engine::mdb {
namespace {

// Deeper than any index Jet builds (a page holds at least two entries); a deeper
// walk means the tree is damaged.
constexpr int kMaxDepth = 32;

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
    if (depth > kMaxDepth) ThrowDamagedIndexPage(number, "der Baum ist zu tief");
    if (!visited_.insert(number).second)
      ThrowDamagedIndexPage(number, "zweimal erreicht");
    tree_.pages.push_back(number);
    const IndexPage page = DecodeIndexPage(image_.Page(number).bytes(), number);
    if (page.table_page != table_page_)
      ThrowDamagedIndexPage(number, "gehört zu einer anderen Tabelle");
    if (page.leaf) {
      for (const IndexEntry& entry : page.entries) Add(entry, number);
      leaves_.push_back({number, page.prev, page.next});
      return;
    }
    if (page.entries.empty() && page.tail == 0)
      ThrowDamagedIndexPage(number, "innere Seite ohne Kindseiten");
    for (size_t i = 0; i < page.entries.size(); ++i) {
      Visit(page.children[i], depth + 1);
      // An intermediate entry repeats the last entry of its child's subtree.
      if (tree_.entries.empty() || tree_.entries.back() != page.entries[i]) {
        ThrowDamagedIndexPage(number,
                              "Eintrag weicht vom letzten Eintrag der Kindseite " +
                                  std::to_string(page.children[i]));
      }
    }
    if (page.tail != 0) Visit(page.tail, depth + 1);
  }

  void Add(const IndexEntry& entry, uint32_t number) {
    if (!tree_.entries.empty() && !(tree_.entries.back() < entry)) {
      ThrowDamagedIndexPage(number, "Einträge nicht in Reihenfolge");
    }
    tree_.entries.push_back(entry);
  }

  void CheckLeafLinks() const {
    for (size_t i = 0; i < leaves_.size(); ++i) {
      const uint32_t prev = i == 0 ? 0 : leaves_[i - 1].number;
      const uint32_t next = i + 1 == leaves_.size() ? 0 : leaves_[i + 1].number;
      if (leaves_[i].prev != prev || leaves_[i].next != next) {
        ThrowDamagedIndexPage(leaves_[i].number,
                              "Verweise der Blattseiten folgen nicht dem Baum");
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
