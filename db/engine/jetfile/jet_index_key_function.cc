#include "db/engine/jetfile/jet_index_key_function.h"

#include <sqlite3.h>

#include "db/engine/core_types.h"
#include "db/engine/jetfile/jet_value.h"
#include "db/engine/mdb/key_coverage.h"

namespace db::engine {
namespace {

void IndexKeyOf(sqlite3_context* context, int count, sqlite3_value** arguments) {
  const auto& columns =
      *static_cast<const std::vector<mdb::KeyColumn>*>(sqlite3_user_data(context));
  try {
    if (static_cast<size_t>(count) != columns.size())
      throw Error("Indexschlüssel: falsche Zahl von Spalten");
    std::vector<Value> values;
    bool all_null = true;
    for (size_t i = 0; i < columns.size(); ++i) {
      values.push_back(JetValue(columns[i].type, arguments[i], columns[i].name));
      if (values.back().is_null()) continue;
      all_null = false;
      mdb::RequireCoveredValue(columns[i], values.back());
    }
    if (all_null) return sqlite3_result_null(context);
    const mdb::KeyBytes key = mdb::IndexKey(columns, values);
    sqlite3_result_blob(context, key.data(), static_cast<int>(key.size()),
                        SQLITE_TRANSIENT);
  } catch (const Error& error) {
    sqlite3_result_error(context, error.what(), -1);
  }
}

}  // namespace

void RegisterIndexKeyFunction(sqlite3* db, const std::string& name,
                              std::vector<mdb::KeyColumn> columns) {
  auto* owned = new std::vector<mdb::KeyColumn>(std::move(columns));
  const int arguments = static_cast<int>(owned->size());
  // SQLite owns the columns from here and frees them with the function, even
  // when the registration fails.
  const int result = sqlite3_create_function_v2(
      db, name.c_str(), arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, owned, IndexKeyOf,
      nullptr, nullptr,
      [](void* columns) { delete static_cast<std::vector<mdb::KeyColumn>*>(columns); });
  if (result != SQLITE_OK)
    throw Error("Die Indexfunktion " + name +
                " kann nicht angelegt werden: " + sqlite3_errmsg(db));
}

}  // namespace db::engine
