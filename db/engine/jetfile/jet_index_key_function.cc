#include "db/engine/jetfile/jet_index_key_function.h"

#include <sqlite3.h>

#include <new>

#include "db/engine/core_types.h"
#include "db/engine/jetfile/jet_value.h"
#include "db/engine/mdb/key_coverage.h"
#include "db/engine/sqlite/sqlite_session.h"

namespace db::engine {
namespace {

struct KeyFunction {
  std::vector<mdb::KeyColumn> columns;
  SqliteSession* session;
};

void IndexKeyOf(sqlite3_context* context, int count, sqlite3_value** arguments) {
  const auto& function = *static_cast<const KeyFunction*>(sqlite3_user_data(context));
  const std::vector<mdb::KeyColumn>& columns = function.columns;
  try {
    if (static_cast<size_t>(count) != columns.size())
      throw Error("Indexschlüssel: falsche Zahl von Spalten", Error::Kind::kInternal);
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
    function.session->FunctionFailed(error);
    sqlite3_result_error(context, error.what(), -1);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  }
}

}  // namespace

void RegisterIndexKeyFunction(SqliteSession& session, const std::string& name,
                              std::vector<mdb::KeyColumn> columns) {
  sqlite3* db = session.handle();
  auto* owned = new KeyFunction{std::move(columns), &session};
  const int arguments = static_cast<int>(owned->columns.size());
  // SQLite owns the function's data from here and frees it with the function,
  // even when the registration fails.
  const int result = sqlite3_create_function_v2(
      db, name.c_str(), arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, owned, IndexKeyOf,
      nullptr, nullptr,
      [](void* function) { delete static_cast<KeyFunction*>(function); });
  if (result != SQLITE_OK)
    throw Error("Die Indexfunktion " + name +
                    " kann nicht angelegt werden: " + sqlite3_errmsg(db),
                Error::Kind::kOther);
}

}  // namespace db::engine
