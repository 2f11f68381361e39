#ifndef PREISLISTE_PRICING_PRICE_LIST_ROWS_H_
#define PREISLISTE_PRICING_PRICE_LIST_ROWS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/engine/connection.h"

namespace pricing {

// One row of Numbers as the change report sees it: prices in ticks of 1/10000
// (four decimals), no value when the field is empty.
struct PriceListRow {
  std::string number;
  std::string name;
  std::optional<int64_t> price;     // Price_EUR, selling price with VAT
  std::optional<int64_t> purchase;  // Rate_EK
  // How the run found the price (run::ImportState, 1..6); 0 for a row of the
  // old list or when unknown. Only rows of the new list carry it.
  int source = 0;
  std::string found_under;  // Import2's OldName
};

// Every row of Numbers as it stands, in the table's order.
std::vector<PriceListRow> ReadPriceList(db::engine::Connection& connection);

// Every row of Numbers once the pipeline has written the new list, each with
// the source and OldName of the Import2 row it was inserted from. Import2 must
// still exist. Rows are matched by prefix, name and both prices; rows alike
// in all four are interchangeable, whichever state goes to which.
std::vector<PriceListRow> ReadNewPriceList(db::engine::Connection& connection);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_PRICE_LIST_ROWS_H_
