#include "db/engine/mdb/catalog.h"

#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_row.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/text.h"

namespace db::engine::mdb {
namespace {

constexpr uint32_t kCatalogPage = 2;
constexpr int64_t kLocalTable = 1;
// Catalog flags that mark Jet's own tables (MSys...) and hidden system ones.
constexpr uint32_t kSystemFlags = 0x80000002;
constexpr uint32_t kIdPageMask = 0x00FFFFFF;

// Jet relates at most 10 columns; anything far beyond is damage.
constexpr int64_t kMaxRelationshipColumns = 32;

constexpr uint16_t kNameChunk = 0x80;
constexpr uint16_t kTableChunk = 0x00;
constexpr size_t kChunkHeader = 6;
constexpr size_t kPropertyHeader = 8;

// The stored fields of every row of a catalog table, with the named columns
// picked out; a column the table lacks reads as NULL. Each field is meant to
// be decoded once: its long-value rows are taken (LongValueRows).
class NamedRows {
 public:
  NamedRows(const FileImage& image, const TableDefinition& definition,
            std::initializer_list<std::string_view> names)
      : image_(image), definition_(definition) {
    for (std::string_view name : names) {
      const ColumnDefinition* column = definition.FindColumn(name);
      positions_.push_back(column
                               ? std::optional<size_t>(column - &definition.columns()[0])
                               : std::nullopt);
    }
    // SplitRow keeps views into the image, so the fields can be decoded later.
    TableReader(image, definition).ForEachRawRow([&](RowPointer, const ByteView& row) {
      rows_.push_back(SplitRow(definition, row));
    });
  }

  size_t size() const { return rows_.size(); }
  bool Has(size_t name) const { return positions_[name].has_value(); }

  const std::optional<ByteView>& Stored(size_t row, size_t name) const {
    static const std::optional<ByteView> kNull;
    return positions_[name] ? rows_[row][*positions_[name]] : kNull;
  }

  Value Field(size_t row, size_t name) const {
    if (!positions_[name]) return Value::Null();
    return DecodeValue(image_, definition_.columns()[*positions_[name]],
                       Stored(row, name), taken_);
  }

  // The bytes of a long binary field (none for NULL).
  std::vector<uint8_t> LongValue(size_t row, size_t name) const {
    const std::optional<ByteView>& stored = Stored(row, name);
    return stored ? ReadLongValue(image_, *stored, taken_) : std::vector<uint8_t>();
  }

  std::string Text(size_t row, size_t name) const {
    const Value value = Field(row, name);
    return value.type() == Value::Type::kText ? value.text() : std::string();
  }

  int64_t Number(size_t row, size_t name) const {
    const Value value = Field(row, name);
    return value.type() == Value::Type::kInteger ? value.integer() : 0;
  }

 private:
  const FileImage& image_;
  const TableDefinition& definition_;
  std::vector<std::optional<size_t>> positions_;
  std::vector<std::vector<std::optional<ByteView>>> rows_;
  mutable LongValueRows taken_;
};

// A property keeps even a Memo in its entry, unlike a row.
Value PropertyValue(uint8_t type, const ByteView& data) {
  if (data.size() == 0) return Value::Null();
  const auto column_type = static_cast<ColumnType>(type);
  if (column_type == ColumnType::kBoolean) return Value::Integer(data.U8(0) ? -1 : 0);
  if (column_type == ColumnType::kMemo)
    return Value::Text(DecodeStoredText(data.bytes()));
  return DecodeScalar(column_type, data).value_or(Value::Null());
}

std::vector<std::string> ParseNames(const ByteView& chunk) {
  std::vector<std::string> names;
  for (size_t at = 0; at < chunk.size();) {
    const uint16_t length = chunk.U16(at);
    names.push_back(Utf16LeToUtf8(chunk.Sub(at + 2, length).bytes()));
    at += 2 + size_t{length};
  }
  return names;
}

// A value chunk: the length of its header, the object's name, then the
// properties, each a 2-byte length (of the whole entry), a flag byte, its
// type, the index of its name, the length of its value and the value.
PropertyBlock ParseValues(const ByteView& chunk, const std::vector<std::string>& names) {
  PropertyBlock block;
  const uint16_t name_length = chunk.U16(4);
  block.name = Utf16LeToUtf8(chunk.Sub(6, name_length).bytes());
  for (size_t at = 6 + size_t{name_length}; at < chunk.size();) {
    const uint16_t entry_length = chunk.U16(at);
    if (entry_length < kPropertyHeader)
      throw Error(
          "Die Datenbankdatei ist beschädigt: ein Eintrag der Eigenschaften einer "
          "Tabelle ist zu kurz",
          Error::Kind::kDamaged);
    const ByteView entry = chunk.Sub(at, entry_length);
    const uint16_t name_index = entry.U16(4);
    if (name_index >= names.size())
      throw Error(
          "Die Datenbankdatei ist beschädigt: eine Eigenschaft einer Tabelle hat "
          "keinen Namen",
          Error::Kind::kDamaged);
    const ByteView data = entry.Sub(kPropertyHeader, entry.U16(6));
    Property property;
    property.name = names[name_index];
    property.type = entry.U8(3);
    property.value = PropertyValue(property.type, data);
    property.bytes.assign(data.bytes().begin(), data.bytes().end());
    block.properties.push_back(std::move(property));
    at += entry_length;
  }
  return block;
}

}  // namespace

const Property* PropertyBlock::Find(std::string_view property) const {
  for (const Property& p : properties)
    if (EqualIgnoringAsciiCase(p.name, property)) return &p;
  return nullptr;
}

const PropertyBlock* TableProperties::Column(std::string_view column) const {
  for (const PropertyBlock& block : columns)
    if (EqualIgnoringAsciiCase(block.name, column)) return &block;
  return nullptr;
}

TableProperties ParseProperties(std::span<const uint8_t> blob) {
  const ByteView view(blob, "der Eigenschaftsblock einer Tabelle");
  TableProperties result;
  if (blob.empty()) return result;
  const std::string_view magic(reinterpret_cast<const char*>(blob.data()),
                               std::min<size_t>(blob.size(), 4));
  if (magic != std::string_view("MR2\0", 4) && magic != std::string_view("KKD\0", 4))
    throw Error(
        "Die Datenbankdatei ist beschädigt: die Eigenschaften einer Tabelle haben "
        "ein unbekanntes Format",
        Error::Kind::kDamaged);
  std::vector<std::string> names;
  for (size_t at = 4; at < view.size();) {
    const uint32_t length = view.U32(at);
    const uint16_t type = view.U16(at + 4);
    if (length < kChunkHeader)
      throw Error(
          "Die Datenbankdatei ist beschädigt: die Eigenschaften einer Tabelle sind "
          "abgeschnitten",
          Error::Kind::kDamaged);
    const ByteView chunk = view.Sub(at + kChunkHeader, length - kChunkHeader);
    if (type == kNameChunk) {
      names = ParseNames(chunk);
    } else if (type == kTableChunk) {
      result.table = ParseValues(chunk, names);
    } else {
      result.columns.push_back(ParseValues(chunk, names));
    }
    at += length;
  }
  return result;
}

Catalog Catalog::Read(const FileImage& image) {
  const TableDefinition objects = TableDefinition::Read(image, kCatalogPage);
  enum { kId, kParentId, kName, kType, kFlags, kProperties };
  const NamedRows rows(image, objects,
                       {"Id", "ParentId", "Name", "Type", "Flags", "LvProp"});
  if (!rows.Has(kId) || !rows.Has(kName) || !rows.Has(kType))
    throw Error(
        "Die Datenbankdatei ist beschädigt: ihrem Systemkatalog fehlen die Spalten "
        "Id, Name und Type",
        Error::Kind::kDamaged);
  Catalog catalog;
  catalog.image_ = &image;
  for (size_t r = 0; r < rows.size(); ++r) {
    Entry entry;
    entry.id = static_cast<uint32_t>(rows.Number(r, kId));
    entry.parent_id = static_cast<uint32_t>(rows.Number(r, kParentId));
    entry.name = rows.Text(r, kName);
    entry.type = rows.Number(r, kType);
    entry.flags = static_cast<uint32_t>(rows.Number(r, kFlags));
    entry.properties = rows.LongValue(r, kProperties);
    catalog.entries_.push_back(std::move(entry));
  }
  return catalog;
}

std::vector<std::string> Catalog::UserTables() const {
  std::vector<std::string> tables;
  for (const Entry& entry : entries_)
    if (entry.type == kLocalTable && !(entry.flags & kSystemFlags))
      tables.push_back(entry.name);
  return tables;
}

const Catalog::Entry* Catalog::FindTable(std::string_view table) const {
  for (const Entry& entry : entries_)
    if (entry.type == kLocalTable && EqualIgnoringAsciiCase(entry.name, table))
      return &entry;
  return nullptr;
}

uint32_t Catalog::TableDefinitionPage(std::string_view table) const {
  const Entry* entry = FindTable(table);
  if (!entry)
    throw Error("Die Datenbank enthält keine Tabelle " + std::string(table),
                Error::Kind::kNotFound);
  return entry->id & kIdPageMask;
}

TableProperties Catalog::Properties(std::string_view table) const {
  const Entry* entry = FindTable(table);
  if (!entry)
    throw Error("Die Datenbank enthält keine Tabelle " + std::string(table),
                Error::Kind::kNotFound);
  return ParseProperties(entry->properties);
}

std::vector<Relationship> Catalog::Relationships(std::string_view table) const {
  const TableDefinition definition =
      TableDefinition::Read(*image_, TableDefinitionPage("MSysRelationships"));
  enum { kName, kTable, kColumn, kReferencedTable, kReferencedColumn, kFlags, kOrder };
  const NamedRows rows(*image_, definition,
                       {"szRelationship", "szObject", "szColumn", "szReferencedObject",
                        "szReferencedColumn", "grbit", "icolumn"});
  std::vector<Relationship> relationships;
  for (size_t r = 0; r < rows.size(); ++r) {
    const std::string name = rows.Text(r, kName);
    const std::string from = rows.Text(r, kTable);
    const std::string to = rows.Text(r, kReferencedTable);
    if (!EqualIgnoringAsciiCase(from, table) && !EqualIgnoringAsciiCase(to, table))
      continue;
    Relationship* relationship = nullptr;
    for (Relationship& known : relationships)
      if (known.name == name) relationship = &known;
    if (!relationship) {
      relationship = &relationships.emplace_back();
      relationship->name = name;
      relationship->table = from;
      relationship->referenced_table = to;
      relationship->flags = static_cast<uint32_t>(rows.Number(r, kFlags));
    }
    const int64_t order = rows.Number(r, kOrder);
    if (order < 0 || order >= kMaxRelationshipColumns)
      throw Error("Die Datenbankdatei ist beschädigt: die Beziehung " + name +
                      " hat eine Spalte mit der Nummer " + std::to_string(order),
                  Error::Kind::kDamaged);
    if (relationship->columns.size() <= static_cast<size_t>(order))
      relationship->columns.resize(static_cast<size_t>(order) + 1);
    relationship->columns[static_cast<size_t>(order)] = {rows.Text(r, kColumn),
                                                         rows.Text(r, kReferencedColumn)};
  }
  return relationships;
}

}  // namespace db::engine::mdb
