#ifndef PREISLISTE_DB_ENGINE_MDB_CATALOG_H_
#define PREISLISTE_DB_ENGINE_MDB_CATALOG_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

// One property of a table or column (DefaultValue, Required, ...), as Access
// keeps them in the LvProp blob of the object's catalog row. `value` is the
// decoded value for the simple types (Text/Memo -> Text, Yes/No -> Integer
// -1/0, Byte/Integer/Long -> Integer, Double/Single/Date -> Double,
// Currency -> Money) and NULL for binary ones; `bytes` is always as stored.
struct Property {
  std::string name;
  uint8_t type = 0;  // a ColumnType
  Value value;
  std::vector<uint8_t> bytes;
};

// The properties of one object: the table itself (name empty) or a column.
struct PropertyBlock {
  std::string name;
  std::vector<Property> properties;

  const Property* Find(std::string_view property) const;  // letter case ignored
};

struct TableProperties {
  PropertyBlock table;
  std::vector<PropertyBlock> columns;

  const PropertyBlock* Column(std::string_view column) const;  // letter case ignored
};

// A relationship between two tables (MSysRelationships), one column pair per
// entry of `columns`, in order.
struct Relationship {
  std::string name;
  std::string table;             // the table holding the foreign key
  std::string referenced_table;  // the table it refers to
  struct ColumnPair {
    std::string column;
    std::string referenced_column;
  };
  std::vector<ColumnPair> columns;
  uint32_t flags = 0;  // as stored (referential integrity, cascades)
};

// The database's catalog: MSysObjects, whose table definition is always on
// page 2, and what hangs off it. Names of tables compare without letter
// case, as Jet compares them.
class Catalog {
 public:
  struct Entry {
    std::string name;
    uint32_t id = 0;
    uint32_t parent_id = 0;
    int64_t type = 0;
    uint32_t flags = 0;
    std::vector<uint8_t> properties;  // the LvProp blob, maybe empty
  };

  static Catalog Read(const FileImage& image);

  const std::vector<Entry>& entries() const { return entries_; }

  // The tables a user made, in catalog order (system tables left out).
  std::vector<std::string> UserTables() const;
  // The first page of a table's definition; throws db::Error naming the
  // table when there is no such table.
  uint32_t TableDefinitionPage(std::string_view table) const;
  // The properties of a table and its columns (empty when it has none).
  TableProperties Properties(std::string_view table) const;
  // Every relationship in which the table takes part, on either side.
  std::vector<Relationship> Relationships(std::string_view table) const;

 private:
  const Entry* FindTable(std::string_view table) const;

  const FileImage* image_ = nullptr;
  std::vector<Entry> entries_;
};

// Decodes an LvProp blob ("MR2\0" or "KKD\0", then chunks of names and of
// property values); throws db::Error when it does not hold together.
TableProperties ParseProperties(std::span<const uint8_t> blob);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_CATALOG_H_
