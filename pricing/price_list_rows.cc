#include "pricing/price_list_rows.h"

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>

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
  // The states of Import2 by the Numbers row each one makes, in Import2's
  // order among rows alike (a sorted vector: a run reads tens of thousands).
  struct State {
    Key key;
    int source;
    std::string found_under;
  };
  std::vector<State> states;
  const auto import2 = connection.ExecuteQuery(
      "SELECT [Vorwahl], Ziel, VkPreis, PreisEk, ImportState, OldName FROM Import2");
  for (; !import2->IsEof(); import2->MoveNext()) {
    const core::Value state = import2->Field("ImportState");
    states.push_back(
        {{Text(import2->Field("Vorwahl")), Text(import2->Field("Ziel")),
          Ticks(import2->Field("VkPreis")), Ticks(import2->Field("PreisEk"))},
         state.is_null() ? 0 : static_cast<int>(state.ToDouble()),
         Text(import2->Field("OldName"))});
  }
  const auto by_key = [](const State& a, const State& b) { return a.key < b.key; };
  std::stable_sort(states.begin(), states.end(), by_key);

  std::vector<PriceListRow> rows = ReadPriceList(connection);
  // For the first state of each key: how many of its kind are taken.
  std::vector<size_t> taken(states.size(), 0);
  for (PriceListRow& row : rows) {
    State wanted{KeyOf(row), 0, {}};
    const auto first = std::lower_bound(states.begin(), states.end(), wanted, by_key);
    if (first == states.end()) continue;
    const size_t at = static_cast<size_t>(first - states.begin());
    const size_t next = at + taken[at];
    if (next >= states.size() || states[next].key != wanted.key) continue;
    ++taken[at];
    row.source = states[next].source;
    row.found_under = std::move(states[next].found_under);
  }
  return rows;
}

}  // namespace pricing
