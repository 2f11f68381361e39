// The second record loop: a row that is still without a price takes the
// selling price of the row whose name is the longest leading part of its own
// name, cut before a blank, at the same purchase price (state 4). Destination
// names thus inherit from the shorter names they extend ("Italien Mobil" from
// "Italien").

#include <optional>
#include <string>
#include <string_view>

#include "core/currency.h"
#include "core/value.h"
#include "db/engine/jetsql/case_fold.h"
#include "pricing/jet_text_literal.h"
#include "pricing/record_loops.h"
#include "pricing/record_progress.h"
#include "pricing/sql_number_text.h"
#include "run/tables.h"

namespace pricing {
namespace {

// A name sorts before every longer name that extends it after a blank, so a
// destination is priced before the names that may inherit from it; equal names
// at equal purchase prices come next to each other and share one search.
constexpr std::string_view kUnpricedRows =
    "SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL "
    "ORDER BY Ziel, PreisEk";

// The rows named exactly `leading_part` (letter case aside) at `purchase_price`.
// The name goes in literally: quotes doubled, pattern characters bracketed.
std::string LeadingNameLookup(std::string_view leading_part,
                              core::Currency purchase_price) {
  std::string sql = "SELECT Import2.Ziel, Import2.VkPreis ";
  sql += "FROM Import2 ";
  sql += "WHERE Ziel LIKE '";
  sql += JetLikeLiteral(leading_part);
  sql += "' AND PreisEk=";
  sql += SqlNumberText(purchase_price);
  sql += ";";
  return sql;
}

class LeadingNamePriceLoop {
 public:
  explicit LeadingNamePriceLoop(db::engine::Connection& connection)
      : connection_(connection) {}

  void Visit(db::engine::Recordset& row) {
    // A row without a name has no leading part to inherit from.
    const core::Value destination = row.Field("Ziel");
    const std::string name = destination.is_null() ? std::string() : destination.ToText();
    const core::Currency purchase_price = row.Field("PreisEk").ToCurrency();
    if (!in_group_ || db::engine::jetsql::CompareIgnoringCase(name, name_) != 0 ||
        purchase_price != price_) {
      in_group_ = true;
      name_ = name;
      price_ = purchase_price;
      Search();
    }
    if (!found_price_ || found_price_->is_null()) return;
    const core::Currency price = found_price_->ToCurrency();
    if (price < core::Currency()) return;
    const core::Value own = row.Field("VkPreis");
    if (!own.is_null() && own.ToCurrency() == price) return;
    row.SetField("VkPreis", core::Value::Money(price));
    row.SetField("ImportState", core::Value::Integer(run::kLeadingNamePrice));
    row.SetField("OldName", core::Value::Text(found_name_));
  }

 private:
  // Cuts the name at its last blank, then at the blank before, and so on. The
  // first row found ends the search, even when it has no price itself: that
  // destination is closer to this one than any shorter leading part.
  void Search() {
    found_price_.reset();
    size_t blank = name_.rfind(' ');  // a byte offset; the blank is one byte in UTF-8
    while (blank != std::string::npos) {
      const auto result = connection_.ExecuteQuery(
          LeadingNameLookup(std::string_view(name_).substr(0, blank), price_));
      const bool found = !result->IsEof();
      if (found) {
        found_name_ = result->Field("Ziel").ToText();
        found_price_ = result->Field("VkPreis");
      }
      result->Close();
      if (found) return;
      blank = blank == 0 ? std::string::npos : name_.rfind(' ', blank - 1);
    }
  }

  db::engine::Connection& connection_;
  bool in_group_ = false;
  std::string name_;                        // the group's name
  core::Currency price_;                    // the group's purchase price
  std::optional<core::Value> found_price_;  // none: nothing found; may hold NULL
  std::string found_name_;
};

}  // namespace

void ResolveLeadingNamePrices(db::engine::Connection& connection, run::RunView& view) {
  const auto rows = connection.OpenRecordset(kUnpricedRows);
  LeadingNamePriceLoop loop(connection);
  WalkRecords(*rows, view, [&loop](db::engine::Recordset& row) { loop.Visit(row); });
}

}  // namespace pricing
