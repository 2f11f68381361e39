#include "db/engine/jetfile/jet_table_layout.h"

#include <algorithm>
#include <cctype>

#include "db/engine/core_types.h"
#include "db/engine/jet_type.h"
#include "db/engine/jetsql/sql_builder.h"
#include "db/engine/mdb/key_coverage.h"

namespace db::engine {
namespace {

using mdb::ColumnDefinition;
using mdb::ColumnType;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsNumberLiteral(const std::string& text) {
  size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
    ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
      ++i, ++digits;
  }
  return digits > 0 && i == text.size();
}

// "a""b" -> 'a"b' (with ' and " swapped for a text in single quotes).
std::optional<std::string> QuotedText(const std::string& text) {
  const char quote = text[0];
  if ((quote != '"' && quote != '\'') || text.size() < 2 || text.back() != quote)
    return std::nullopt;
  std::string literal = "'";
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == quote) {
      if (text[i + 1] != quote || i + 2 >= text.size()) return std::nullopt;
      ++i;
    }
    literal += text[i];
    if (text[i] == '\'') literal += '\'';
  }
  return literal + "'";
}

// The SQLite type of a column the writer writes; anything else is refused.
SqlType ServedType(const ColumnDefinition& column) {
  const SqlType type = SqlTypeOf(column.column_type());
  if (type.declared.empty())
    throw Error("die Spalte " + column.name + " hat den Typ " +
                    mdb::ColumnTypeName(column.type) +
                    ", den das Programm nicht zurückschreiben kann",
                Error::Kind::kUnsupported);
  return type;
}

bool IsTrue(const mdb::Property* property) {
  return property != nullptr && !property->value.is_null() &&
         property->value.ToDouble() != 0;
}

void RefuseValidationRule(const mdb::PropertyBlock* block, const std::string& owner) {
  if (block == nullptr) return;
  const mdb::Property* rule = block->Find("ValidationRule");
  if (rule != nullptr && !rule->value.is_null() && !Trimmed(rule->value.ToText()).empty())
    throw Error(owner + " hat eine Gültigkeitsregel (" + rule->value.ToText() +
                    "), die das Programm nicht prüfen kann",
                Error::Kind::kUnsupported);
}

// The columns that a primary key or a required index keeps free of NULL.
std::vector<uint16_t> NotNullColumns(const mdb::TableDefinition& definition) {
  std::vector<uint16_t> numbers;
  for (const mdb::LogicalIndex& logical : definition.logical_indexes()) {
    const mdb::RealIndex& real = definition.real_indexes().at(logical.real_index);
    if (!logical.is_primary_key() && !real.required()) continue;
    for (const mdb::IndexColumn& column : real.columns)
      numbers.push_back(column.column_number);
  }
  return numbers;
}

// The AutoNumber column, which must be the primary key on its own: SQLite
// counts such a column on from the table's counter, as Jet does.
const ColumnDefinition* AutoNumberKey(const mdb::TableDefinition& definition) {
  const auto autonumber =
      std::find_if(definition.columns().begin(), definition.columns().end(),
                   [](const ColumnDefinition& c) { return c.is_autonumber(); });
  if (autonumber == definition.columns().end()) return nullptr;
  for (const mdb::LogicalIndex& logical : definition.logical_indexes()) {
    const mdb::RealIndex& real = definition.real_indexes().at(logical.real_index);
    if (logical.is_primary_key() && real.columns.size() == 1 &&
        real.columns[0].column_number == autonumber->number &&
        autonumber->column_type() == ColumnType::kLong)
      return &*autonumber;
  }
  throw Error(
      "die AutoWert-Spalte " + autonumber->name + " ist nicht allein der Primärschlüssel",
      Error::Kind::kUnsupported);
}

void ColumnText(jetsql::SqlBuilder& sql, const ColumnDefinition& column,
                const mdb::PropertyBlock* properties, bool not_null) {
  const SqlType type = ServedType(column);
  const std::string declared = SqlDeclaration(column.column_type(), column.length / 2);
  sql.Name(column.name).Append(" ").Append(declared).Append(jetsql::kCollate);
  const auto find = [&](const char* name) {
    return properties ? properties->Find(name) : nullptr;
  };
  if (not_null || IsTrue(find("Required"))) sql.Append(" NOT NULL");
  if (const mdb::Property* fallback = find("DefaultValue")) {
    const std::string text = fallback->value.is_null() ? "" : fallback->value.ToText();
    const std::optional<std::string> literal = DefaultLiteral(text);
    if (!literal)
      throw Error("die Spalte " + column.name + " hat den Standardwert " + text +
                      ", der kein fester Wert ist",
                  Error::Kind::kUnsupported);
    sql.Append(" DEFAULT ").Append(*literal);
  }
  const std::string limit = std::to_string(column.length / 2);
  if (column.column_type() == ColumnType::kText)
    sql.Append(" CONSTRAINT ")
        .Name(column.name + ": Text länger als " + limit + " Zeichen")
        .Append(" CHECK (length(")
        .Name(column.name)
        .Append(") <= " + limit + ")");
  const mdb::Property* zero_length = find("AllowZeroLength");
  if (zero_length != nullptr && !IsTrue(zero_length))
    sql.Append(" CONSTRAINT ")
        .Name(column.name + ": leerer Text ist nicht erlaubt")
        .Append(" CHECK (")
        .Name(column.name)
        .Append(" <> '')");
  if (!type.range_check.empty())
    sql.Append(" CONSTRAINT ")
        .Name(column.name + ": Wert außerhalb des Bereichs " + declared)
        .Append(" CHECK (")
        .Name(column.name)
        .Append(" ")
        .Append(type.range_check)
        .Append(")");
}

// The writer encodes text keys in the General order only. A text column of an
// index keys in its own order, which Access sets to the database's when it
// creates the column or compacts the file; an index over text refuses the
// table when either order is another, and says how to change it in Access.
// Without such an index no text key is ever written, and any order is kept.
void RefuseTextKeysOutsideGeneral(const std::string& table,
                                  const mdb::TableDefinition& definition,
                                  mdb::SortOrder database) {
  for (const mdb::RealIndex& index : definition.real_indexes()) {
    for (const mdb::IndexColumn& key : index.columns) {
      const ColumnDefinition* column = definition.FindColumn(key.column_number);
      if (column == nullptr || !mdb::IsTextType(column->column_type())) continue;
      std::string reason;
      if (database != mdb::kGeneralSortOrder)
        reason = "die Datenbank verwendet die Sortierreihenfolge „" +
                 mdb::SortOrderName(database) + "“, und die Tabelle " + table +
                 " hat einen Index über die Textspalte " + column->name;
      else if (column->sort_order != mdb::kGeneralSortOrder)
        reason = "die Textspalte " + column->name + " der Tabelle " + table +
                 " hat die Sortierreihenfolge „" +
                 mdb::SortOrderName(column->sort_order) + "“ und steht in einem Index";
      else
        continue;
      throw Error(
          reason + ". Textschlüssel schreibt das Programm nur in der " +
              "Sortierreihenfolge „" + mdb::SortOrderName(mdb::kGeneralSortOrder) +
              "“. In Access unter Optionen › Allgemein die Sortierreihenfolge " +
              "für neue Datenbanken auf „Allgemein – Legacy“ (vor Access 2010: " +
              "„Allgemein“) stellen und die Datenbank komprimieren und reparieren",
          Error::Kind::kUnsupported);
    }
  }
}

std::vector<SqliteIndexLayout> IndexLayouts(const std::string& table,
                                            const mdb::TableDefinition& definition,
                                            const ColumnDefinition* autonumber_key) {
  std::vector<SqliteIndexLayout> indexes;
  const auto& reals = definition.real_indexes();
  for (size_t r = 0; r < reals.size(); ++r) {
    const auto logical = std::find_if(
        definition.logical_indexes().begin(), definition.logical_indexes().end(),
        [r](const mdb::LogicalIndex& l) { return l.real_index == r; });
    const std::string name = logical != definition.logical_indexes().end()
                                 ? logical->name
                                 : "Index " + std::to_string(r);
    SqliteIndexLayout index;
    try {
      index.columns = mdb::KeyColumnsOf(definition, reals[r]);
      for (const mdb::KeyColumn& column : index.columns)
        mdb::RequireCoveredColumn(column);
    } catch (const Error& error) {
      throw Error("der Index " + name + " kann nicht geschrieben werden: " + error.what(),
                  Error::Kind::kUnsupported);
    }
    // The AutoNumber key is the row id itself: integers compare as Long keys.
    if (autonumber_key != nullptr && reals[r].columns.size() == 1 &&
        reals[r].columns[0].column_number == autonumber_key->number)
      continue;
    index.function = "jet_index_key_" + std::to_string(r);
    index.sqlite_name = table + ": " + name;
    index.name = name;
    index.unique = reals[r].unique();
    jetsql::SqlBuilder sql;
    sql.Append(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ")
        .Name(index.sqlite_name)
        .Append(" ON ")
        .Name(table)
        .Append(" (" + index.function + "(");
    for (size_t c = 0; c < index.columns.size(); ++c) {
      if (c > 0) sql.Append(", ");
      sql.Name(index.columns[c].name);
    }
    sql.Append("))");
    index.create = sql.Finish().sql;
    indexes.push_back(std::move(index));
  }
  return indexes;
}

}  // namespace

std::optional<std::string> DefaultLiteral(const std::string& property) {
  const std::string text = Trimmed(property);
  if (text.empty()) return std::nullopt;
  for (const char* word : {"True", "Yes", "On"})
    if (EqualIgnoringAsciiCase(text, word)) return "-1";
  for (const char* word : {"False", "No", "Off"})
    if (EqualIgnoringAsciiCase(text, word)) return "0";
  if (EqualIgnoringAsciiCase(text, "Null")) return "NULL";
  if (IsNumberLiteral(text)) return text[0] == '+' ? text.substr(1) : text;
  return QuotedText(text);
}

SqliteTableLayout LayOutTable(const std::string& table,
                              mdb::SortOrder database_sort_order,
                              const mdb::TableDefinition& definition,
                              const mdb::TableProperties& properties,
                              const std::vector<mdb::Relationship>& relationships) {
  if (!relationships.empty())
    throw Error(
        "die Tabelle " + table + " hat die Beziehung " + relationships.front().name +
            " zur Tabelle " +
            (relationships.front().table == table ? relationships.front().referenced_table
                                                  : relationships.front().table),
        Error::Kind::kUnsupported);
  RefuseValidationRule(&properties.table, "die Tabelle " + table);
  RefuseTextKeysOutsideGeneral(table, definition, database_sort_order);
  const ColumnDefinition* autonumber_key = AutoNumberKey(definition);
  const std::vector<uint16_t> not_null = NotNullColumns(definition);

  SqliteTableLayout layout;
  jetsql::SqlBuilder create;
  jetsql::SqlBuilder insert;
  create.Append("CREATE TABLE ").Name(table).Append(" (");
  insert.Append("INSERT INTO ").Name(table).Append(" (");
  std::string placeholders;
  for (const ColumnDefinition& column : definition.columns()) {
    const bool first = &column == &definition.columns().front();
    if (!first) {
      create.Append(", ");
      insert.Append(", ");
      placeholders += ", ";
    }
    insert.Name(column.name);
    placeholders += "?";
    const mdb::PropertyBlock* column_properties = properties.Column(column.name);
    RefuseValidationRule(column_properties, "die Spalte " + column.name);
    if (&column == autonumber_key) {
      create.Name(column.name).Append(" INTEGER PRIMARY KEY AUTOINCREMENT");
      layout.autonumber_counter = definition.autonumber();
      continue;
    }
    const bool required =
        std::find(not_null.begin(), not_null.end(), column.number) != not_null.end();
    ColumnText(create, column, column_properties, required);
  }
  layout.create_table = create.Append(")").Finish().sql;
  layout.insert_row = insert.Append(") VALUES (" + placeholders + ")").Finish().sql;
  layout.indexes = IndexLayouts(table, definition, autonumber_key);
  return layout;
}

}  // namespace db::engine
