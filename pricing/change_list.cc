#include "pricing/change_list.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <utility>

#include "run/tables.h"

namespace pricing {
namespace {

// Empty prices sort first: std::optional orders no value before any value.
bool PairingOrder(const PriceListRow& a, const PriceListRow& b) {
  return std::tie(a.number, a.price, a.name) < std::tie(b.number, b.price, b.name);
}

Change ChangeOf(const std::optional<int64_t>& old_price,
                const std::optional<int64_t>& new_price) {
  if (!old_price && !new_price) return Change::kUnchanged;
  if (!old_price) return Change::kPriced;
  if (!new_price) return Change::kUnpriced;
  if (*new_price > *old_price) return Change::kIncreased;
  if (*new_price < *old_price) return Change::kDecreased;
  return Change::kUnchanged;
}

std::string_view ChangeWord(Change change) {
  switch (change) {
    case Change::kNew:
      return "new";
    case Change::kRemoved:
      return "removed";
    case Change::kIncreased:
      return "increased";
    case Change::kDecreased:
      return "decreased";
    case Change::kUnchanged:
      return "unchanged";
    case Change::kPriced:
      return "priced";
    case Change::kUnpriced:
      return "unpriced";
  }
  return "";
}

std::string_view SourceWord(int state) {
  switch (state) {
    case run::kByName:
      return "name";
    case run::kByPrefix:
      return "prefix";
    case run::kMostCommonPrice:
      return "most-common";
    case run::kLeadingNamePrice:
      return "leading-name";
    case run::kComputed:
      return "computed";
    case run::kKeptDomestic:
      return "kept-domestic";
    default:
      return "";
  }
}

std::string Field(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::vector<ChangeLine> CompareLists(std::vector<PriceListRow> old_rows,
                                     std::vector<PriceListRow> new_rows) {
  std::sort(old_rows.begin(), old_rows.end(), PairingOrder);
  std::sort(new_rows.begin(), new_rows.end(), PairingOrder);
  std::vector<ChangeLine> lines;
  lines.reserve(std::max(old_rows.size(), new_rows.size()));
  auto o = old_rows.begin();
  auto n = new_rows.begin();
  while (o != old_rows.end() || n != new_rows.end()) {
    // The smaller prefix goes first; for one prefix the rows pair in order.
    const bool take_old =
        o != old_rows.end() && (n == new_rows.end() || o->number <= n->number);
    const bool take_new =
        n != new_rows.end() && (o == old_rows.end() || n->number <= o->number);
    ChangeLine line;
    if (take_old) line.old_row = std::move(*o++);
    if (take_new) line.new_row = std::move(*n++);
    line.change = !line.old_row   ? Change::kNew
                  : !line.new_row ? Change::kRemoved
                                  : ChangeOf(line.old_row->price, line.new_row->price);
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string PriceText(const std::optional<int64_t>& ticks) {
  if (!ticks) return "";
  const int64_t value = *ticks;
  // Magnitude as unsigned, so that the smallest int64 does not overflow.
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
  const std::string fraction = std::to_string(magnitude % 10000);
  std::string text = value < 0 ? "-" : "";
  text += std::to_string(magnitude / 10000);
  text += '.';
  text.append(4 - fraction.size(), '0');
  text += fraction;
  return text;
}

std::string ChangeListText(const std::vector<ChangeLine>& lines) {
  std::string text =
      "Number;Name;OldPrice;NewPrice;PurchasePrice;Change;Source;FoundUnder\n";
  for (const ChangeLine& line : lines) {
    const PriceListRow& row = line.row();
    const std::optional<int64_t> no_price;
    text += Field(row.number) + ';' + Field(row.name) + ';' +
            PriceText(line.old_row ? line.old_row->price : no_price) + ';' +
            PriceText(line.new_row ? line.new_row->price : no_price) + ';' +
            PriceText(row.purchase) + ';' + std::string(ChangeWord(line.change)) + ';' +
            std::string(line.new_row ? SourceWord(line.new_row->source) : "") + ';' +
            Field(line.new_row ? line.new_row->found_under : "") + '\n';
  }
  return text;
}

}  // namespace pricing
