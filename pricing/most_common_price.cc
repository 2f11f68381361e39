// The first record loop: a row that is still without a price takes the selling
// price that most already priced rows of its destination name have (state 3).

#include <optional>
#include <string>
#include <string_view>

#include "core/currency.h"
#include "core/value.h"
#include "db/engine/jetsql/case_fold.h"
#include "pricing/jet_text_literal.h"
#include "pricing/record_loops.h"
#include "pricing/record_progress.h"
#include "run/tables.h"

namespace pricing {
namespace {

// In name order, so that one lookup serves a whole run of rows with the same
// destination (the database sorts names without regard to letter case).
constexpr std::string_view kUnpricedRows =
    "SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL ORDER BY "
    "Ziel";

// The priced rows of one destination, counted per price, most frequent first.
// The name goes in literally: quotes doubled, pattern characters bracketed.
std::string MostCommonPriceLookup(std::string_view destination) {
  std::string sql =
      "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS AnzahlvonVkPreis ";
  sql += "FROM Import2 ";
  sql += "WHERE Ziel LIKE '";
  sql += JetLikeLiteral(destination);
  sql += "' AND VkPreis IS NOT NULL ";
  sql += "GROUP BY Import2.Ziel, Import2.VkPreis ";
  sql += "ORDER BY Count(Import2.VkPreis) DESC;";
  return sql;
}

class MostCommonPriceLoop {
 public:
  explicit MostCommonPriceLoop(db::engine::Connection& connection)
      : connection_(connection) {}

  void Visit(db::engine::Recordset& row) {
    const core::Value destination = row.Field("Ziel");
    // Names are compared the way the database sorts them, so a run of equal
    // names here is exactly a run of the record set's order. A null name never
    // starts a new destination; rows without a name sort first and therefore
    // never see a found price.
    if (!destination.is_null() &&
        db::engine::jetsql::CompareIgnoringCase(destination.ToText(), current_) != 0) {
      current_ = destination.ToText();
      LookUp();
    }
    if (!found_price_ || *found_price_ < core::Currency()) return;
    const core::Value own = row.Field("VkPreis");
    if (!own.is_null() && own.ToCurrency() == *found_price_) return;
    row.SetField("VkPreis", core::Value::Money(*found_price_));
    row.SetField("ImportState", core::Value::Integer(run::kMostCommonPrice));
    row.SetField("OldName", core::Value::Text(found_name_));
  }

 private:
  // Only the first result row matters: the price with the highest count.
  void LookUp() {
    const auto result = connection_.ExecuteQuery(MostCommonPriceLookup(current_));
    found_price_.reset();
    if (!result->IsEof()) {
      found_name_ = result->Field("Ziel").ToText();
      if (result->Field("AnzahlvonVkPreis").ToDouble() >= 1)
        found_price_ = result->Field("VkPreis").ToCurrency();
    }
    result->Close();
  }

  db::engine::Connection& connection_;
  std::string current_;                        // the name of the last lookup
  std::optional<core::Currency> found_price_;  // none: nothing to write
  std::string found_name_;
};

}  // namespace

void ResolveMostCommonPrices(db::engine::Connection& connection, run::RunView& view) {
  const auto rows = connection.OpenRecordset(kUnpricedRows);
  MostCommonPriceLoop loop(connection);
  WalkRecords(*rows, view, [&loop](db::engine::Recordset& row) { loop.Visit(row); });
}

}  // namespace pricing
