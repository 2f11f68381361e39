#include "pricing/price_list_rows.h"

#include <deque>
#include <map>
#include <memory>
#include <tuple>

namespace pricing {
namespace {

using Key =
    std::tuple<std::string, std::string, std::optional<int64_t>, std::optional<int64_t>>;

std::optional<int64_t> Ticks(const core::Value& value) {
  if (value.is_null()) return std::nullopt;
  return value.ToCurrency().ticks();
}

std::string Text(const core::Value& value) {
  return value.is_null() ? std::string() : value.ToText();
}

Key KeyOf(const PriceListRow& row) {
  return {row.number, row.name, row.price, row.purchase};
}

}  // namespace

std::vector<PriceListRow> ReadPriceList(db::engine::Connection& connection) {
  std::vector<PriceListRow> rows;
  const auto set =
      connection.ExecuteQuery("SELECT [Number], Name, Price_EUR, Rate_EK FROM Numbers");
  for (; !set->IsEof(); set->MoveNext()) {
    rows.push_back({Text(set->Field("Number")),
                    Text(set->Field("Name")),
                    Ticks(set->Field("Price_EUR")),
                    Ticks(set->Field("Rate_EK")),
                    0,
                    {}});
  }
  return rows;
}

std::vector<PriceListRow> ReadNewPriceList(db::engine::Connection& connection) {
  // The states of Import2, waiting for the Numbers row made from each.
  std::map<Key, std::deque<std::pair<int, std::string>>> states;
  const auto import2 = connection.ExecuteQuery(
      "SELECT [Vorwahl], Ziel, VkPreis, PreisEk, ImportState, OldName FROM Import2");
  for (; !import2->IsEof(); import2->MoveNext()) {
    const PriceListRow row{Text(import2->Field("Vorwahl")),
                           Text(import2->Field("Ziel")),
                           Ticks(import2->Field("VkPreis")),
                           Ticks(import2->Field("PreisEk")),
                           0,
                           {}};
    const core::Value state = import2->Field("ImportState");
    states[KeyOf(row)].emplace_back(
        state.is_null() ? 0 : static_cast<int>(state.ToDouble()),
        Text(import2->Field("OldName")));
  }
  std::vector<PriceListRow> rows = ReadPriceList(connection);
  for (PriceListRow& row : rows) {
    const auto found = states.find(KeyOf(row));
    if (found == states.end() || found->second.empty()) continue;
    std::tie(row.source, row.found_under) = found->second.front();
    found->second.pop_front();
  }
  return rows;
}

}  // namespace pricing
