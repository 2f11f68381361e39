#include "tests/pricing/import2_fixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "core/value.h"
#include "db/engine/testing/connection_internals.h"
#include "run/tables.h"

namespace pricing_testing {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

int CollectLookup(unsigned /*event*/, void* context, void* statement, void* /*sql*/) {
  char* expanded = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
  const std::string sql = Lower(expanded ? expanded : "");
  sqlite3_free(expanded);
  const size_t start = sql.find_first_not_of(" (");
  if (start != std::string::npos && sql.compare(start, 6, "select") == 0 &&
      sql.find("import2") != std::string::npos &&
      sql.find("importstate") == std::string::npos)
    static_cast<std::vector<std::string>*>(context)->push_back(sql);
  return 0;
}

std::string Shown(const core::Value& value) {
  return value.is_null() ? "-" : value.ToText();
}

}  // namespace

void Import2Fixture::SetUp() {
  database_.Begin({});
  connection().Execute(run::kCreateImport2Index);
  sqlite3_trace_v2(db::engine::ConnectionInternals::NativeHandle(connection()),
                   SQLITE_TRACE_STMT, CollectLookup, &lookups_);
}

void Import2Fixture::TearDown() {
  sqlite3_trace_v2(db::engine::ConnectionInternals::NativeHandle(connection()), 0,
                   nullptr, nullptr);
}

void Import2Fixture::Insert(const std::vector<Import2Row>& rows) {
  using testing_support::JetLiteral;
  for (const Import2Row& row : rows) {
    const std::string state = row.state ? std::to_string(*row.state) : "Null";
    connection().Execute(
        "INSERT INTO Import2 (Vorwahl, Ziel, PreisEk, ImportState, OldName, VkPreis) "
        "VALUES (" +
        JetLiteral(row.prefix) + ", " + JetLiteral(row.name) + ", " +
        JetLiteral(row.purchase) + ", " + state + ", " + JetLiteral(row.old_name) + ", " +
        JetLiteral(row.price) + ")");
  }
  lookups_.clear();
}

std::vector<std::string> Import2Fixture::Rows() {
  std::vector<std::string> rows;
  const auto result = connection().ExecuteQuery(
      "SELECT Vorwahl, ImportState, OldName, VkPreis FROM Import2 ORDER BY Vorwahl");
  for (; !result->IsEof(); result->MoveNext()) {
    rows.push_back(
        Shown(result->Field("Vorwahl")) + " " + Shown(result->Field("ImportState")) +
        " " + Shown(result->Field("OldName")) + " " + Shown(result->Field("VkPreis")));
  }
  result->Close();
  return rows;
}

}  // namespace pricing_testing
