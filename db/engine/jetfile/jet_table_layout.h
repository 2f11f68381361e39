#ifndef PREISLISTE_DB_ENGINE_JETFILE_JET_TABLE_LAYOUT_H_
#define PREISLISTE_DB_ENGINE_JETFILE_JET_TABLE_LAYOUT_H_

#include <optional>
#include <string>
#include <vector>

#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/index_key.h"
#include "db/engine/mdb/sort_order.h"
#include "db/engine/mdb/table_definition.h"

namespace db::engine {

// How a table of a Jet file is set up in SQLite so that every statement of
// the run finds the columns it knows and meets the rules Jet would enforce:
//   - the column names, and declared types the translator reads as the Jet
//     types: Text(n) VARCHAR(n), Memo TEXT, Currency CURRENCY, Long INTEGER,
//     Integer SMALLINT, Byte TINYINT, Double DOUBLE, Single REAL, Yes/No BIT,
//     Date/Time DATETIME;
//   - Required as NOT NULL, AllowZeroLength = No as a check against empty
//     text, the width of a Text(n) and the range of Integer and Byte as
//     checks, a literal DefaultValue as DEFAULT;
//   - each index of the table as an index on its Jet key bytes (see
//     jet_index_key_function.h), unique where the Jet index is;
//   - an AutoNumber primary key as INTEGER PRIMARY KEY AUTOINCREMENT, whose
//     counter continues from the table's own.
struct SqliteIndexLayout {
  std::string function;  // the key function the index is built on
  std::vector<mdb::KeyColumn> columns;
  std::string create;       // CREATE [UNIQUE] INDEX ...
  std::string sqlite_name;  // the index's name in SQLite: "<table>: <name>"
  std::string name;         // the index's name in the file ("PrimaryKey")
  bool unique = false;
};

struct SqliteTableLayout {
  std::string create_table;
  std::vector<SqliteIndexLayout> indexes;
  std::string insert_row;  // INSERT with one ? per column, in column order
  // Set when the table has an AutoNumber column: the last number given.
  std::optional<uint32_t> autonumber_counter;
};

// The layout of `definition`, whose name is `table`, in a file whose sort order
// is `database_sort_order`. A table that the writer could not write back
// exactly is refused with a core::Error of kind kUnsupported giving the
// reason: a relationship, a validation rule, a default value that is not a
// literal, a column type the writer does not write, an AutoNumber column that
// is not the whole primary key, an index whose keys are not covered, an index
// over a text column when the database's or the column's sort order is not
// General (the reason names the order and how to change it in Access).
SqliteTableLayout LayOutTable(const std::string& table,
                              mdb::SortOrder database_sort_order,
                              const mdb::TableDefinition& definition,
                              const mdb::TableProperties& properties,
                              const std::vector<mdb::Relationship>& relationships);

// The SQL literal of a DefaultValue property, or none when the property is
// an expression: a number, a quoted text ("neu" or 'neu', quotes doubled
// inside), True/False, Yes/No, On/Off (-1 and 0, as Jet stores them), Null.
std::optional<std::string> DefaultLiteral(const std::string& property);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_JETFILE_JET_TABLE_LAYOUT_H_
