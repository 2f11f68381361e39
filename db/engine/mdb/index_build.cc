#include <algorithm>
#include <limits>

#include "db/engine/core_types.h"
#include "db/engine/mdb/index_pages.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kNone = std::numeric_limits<size_t>::max();

// A page of the tree being planned, before it has a page number. `children` and
// `tail` index the level below.
struct Planned {
  IndexPage page;
  std::vector<size_t> children;
  size_t tail = kNone;
  IndexEntry last;  // the last entry of the subtree
};

size_t CommonPrefix(const KeyBytes& a, const KeyBytes& b) {
  return static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first -
                             a.begin());
}

// The prefix a page shares: the longest prefix of its first and last key, but
// only when the entries would not fit without it. That is what Access's pages
// show: it shares a prefix on pages that filled up and leaves it out elsewhere.
size_t SharedPrefix(const IndexPage& page) {
  size_t raw = 0;
  for (const IndexEntry& entry : page.entries) raw += EntrySize(entry, page.leaf);
  if (raw <= kMaxEntryBytes) return 0;
  return CommonPrefix(page.entries.front().key, page.entries.back().key);
}

// Bytes `entries` take on a page once the entries after the first leave out the
// shared prefix.
size_t PackedSize(size_t raw_total, size_t count, size_t prefix) {
  return raw_total - (count > 0 ? (count - 1) * prefix : 0);
}

std::vector<Planned> PlanLeaves(std::span<const IndexEntry> entries) {
  std::vector<Planned> leaves(1);
  size_t raw = 0;
  for (const IndexEntry& entry : entries) {
    Planned* leaf = &leaves.back();
    const size_t size = EntrySize(entry, true);
    if (!leaf->page.entries.empty()) {
      const size_t prefix = CommonPrefix(leaf->page.entries.front().key, entry.key);
      if (PackedSize(raw + size, leaf->page.entries.size() + 1, prefix) >
          kMaxEntryBytes) {
        leaves.emplace_back();
        leaf = &leaves.back();
        raw = 0;
      }
    }
    leaf->page.entries.push_back(entry);
    leaf->last = entry;
    raw += size;
  }
  return leaves;
}

// An intermediate page stores one entry per child but the last, which it names as
// its tail; with a single child it stores that child's entry and has no tail.
void Close(Planned& node, const std::vector<Planned>& below) {
  if (node.children.size() > 1) {
    node.tail = node.children.back();
    node.children.pop_back();
    node.page.entries.pop_back();
  }
  node.last = below[node.tail != kNone ? node.tail : node.children.back()].last;
}

std::vector<Planned> PlanLevelAbove(const std::vector<Planned>& below) {
  std::vector<Planned> level(1);
  size_t raw = 0;
  for (size_t i = 0; i < below.size(); ++i) {
    Planned* node = &level.back();
    const IndexEntry& entry = below[i].last;
    // Children beyond the first two only fit when the entries of all but the
    // newest one still fit: that one becomes the tail.
    if (node->children.size() >= 2) {
      const size_t prefix =
          CommonPrefix(node->page.entries.front().key, node->page.entries.back().key);
      if (PackedSize(raw, node->children.size(), prefix) > kMaxEntryBytes) {
        Close(*node, below);
        level.emplace_back();
        node = &level.back();
        raw = 0;
      }
    }
    node->page.entries.push_back(entry);
    node->children.push_back(i);
    raw += EntrySize(entry, false);
  }
  Close(level.back(), below);
  return level;
}

// For each page of `below`, the page of `level` that holds it.
std::vector<size_t> Parents(const std::vector<Planned>& level, size_t below_size) {
  std::vector<size_t> parent(below_size, kNone);
  for (size_t p = 0; p < level.size(); ++p) {
    for (size_t child : level[p].children) parent[child] = p;
    if (level[p].tail != kNone) parent[level[p].tail] = p;
  }
  return parent;
}

}  // namespace

BuiltIndex BuildIndex(std::span<const IndexEntry> entries, uint32_t table_page,
                      const std::function<uint32_t()>& allocate) {
  for (size_t i = 1; i < entries.size(); ++i) {
    if (!(entries[i - 1] < entries[i])) {
      throw Error(
          "Interner Fehler: die zu schreibenden Indexeinträge sind nicht streng "
          "aufsteigend",
          Error::Kind::kInternal);
    }
  }
  // levels[0] are the leaves; the last level holds the root alone.
  std::vector<std::vector<Planned>> levels{PlanLeaves(entries)};
  while (levels.back().size() > 1) levels.push_back(PlanLevelAbove(levels.back()));

  std::vector<std::vector<uint32_t>> numbers(levels.size());
  for (size_t l = levels.size(); l-- > 0;) {
    for (size_t i = 0; i < levels[l].size(); ++i) numbers[l].push_back(allocate());
  }
  for (size_t l = 0; l < levels.size(); ++l) {
    std::vector<Planned>& level = levels[l];
    // Leaves are linked from first to last; intermediate pages only to the pages
    // beside them under the same parent.
    const std::vector<size_t> parent = l + 1 < levels.size()
                                           ? Parents(levels[l + 1], level.size())
                                           : std::vector<size_t>{};
    for (size_t i = 0; i < level.size(); ++i) {
      IndexPage& page = level[i].page;
      page.leaf = l == 0;
      page.table_page = table_page;
      page.prefix_length = SharedPrefix(page);
      if (l > 0) {
        for (size_t child : level[i].children)
          page.children.push_back(numbers[l - 1][child]);
        if (level[i].tail != kNone) page.tail = numbers[l - 1][level[i].tail];
      }
      if (i + 1 < level.size() && (l == 0 || parent[i] == parent[i + 1])) {
        page.next = numbers[l][i + 1];
        level[i + 1].page.prev = numbers[l][i];
      }
    }
  }
  BuiltIndex built;
  built.root = numbers.back().front();
  for (size_t l = levels.size(); l-- > 0;) {
    for (size_t i = 0; i < levels[l].size(); ++i) {
      built.pages.emplace_back(numbers[l][i], EncodeIndexPage(levels[l][i].page));
    }
  }
  return built;
}

}  // namespace db::engine::mdb
