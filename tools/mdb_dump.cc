// Shows what the Jet 4 reader reads from an .mdb file: a developer's tool.
//
//   mdb_dump FILE           header, user tables, and each table's definition
//                           (columns, indexes, properties, relationships)
//   mdb_dump FILE TABLE     the table's rows, one a line, each value tagged
//                           as tests/db/engine/mdb/oracle/dump-table.mjs does,
//                           so the two outputs can be compared with diff
//                           (numbers may be spelled differently)

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "core/error.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace mdb = db::engine::mdb;

namespace {

std::string Shortest(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The tag, then the text (appended, not concatenated to a literal: GCC 12
// warns about the temporary of "S" + text).
std::string Tagged(const core::Value& value, const mdb::ColumnDefinition& column) {
  using Type = core::Value::Type;
  if (column.column_type() == mdb::ColumnType::kBoolean)
    return value.integer() ? "B1" : "B0";
  std::string tagged;
  switch (value.type()) {
    case Type::kNull:
      tagged = "\\N";
      break;
    case Type::kText:
      tagged = "S";
      tagged += Escape(value.text());
      break;
    case Type::kInteger:
      tagged = "D";
      tagged += std::to_string(value.integer());
      break;
    case Type::kCurrency:
      tagged = "M";
      tagged += value.currency().ToString();
      break;
    case Type::kDouble:
      if (column.column_type() == mdb::ColumnType::kDateTime) {
        // Milliseconds since 1970, rounded as JavaScript's Math.round does.
        tagged = "T";
        tagged += Shortest(std::floor((value.real() - 25569) * 86400000 + 0.5));
      } else {
        tagged = "D";
        tagged += Shortest(value.real());
      }
      break;
  }
  return tagged;
}

void DumpRows(const mdb::FileImage& image, const mdb::Catalog& catalog,
              const std::string& table) {
  const auto definition =
      mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
  mdb::TableReader(image, definition).ForEachRow([&](const mdb::StoredRow& row) {
    std::string line;
    for (size_t i = 0; i < row.values.size(); ++i) {
      if (i) line += '\t';
      line += Tagged(row.values[i], definition.columns()[i]);
    }
    std::printf("%s\n", line.c_str());
  });
}

void DumpProperties(const mdb::PropertyBlock& block, const char* indent) {
  for (const mdb::Property& property : block.properties)
    std::printf(
        "%s%s (%s) = %s\n", indent, property.name.c_str(),
        mdb::ColumnTypeName(property.type).c_str(),
        property.value.is_null() ? "<binary>" : Escape(property.value.ToText()).c_str());
}

void DumpDefinition(const mdb::FileImage& image, const mdb::Catalog& catalog,
                    const std::string& table) {
  const auto definition =
      mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
  std::printf("table %s: definition pages", table.c_str());
  for (uint32_t page : definition.pages()) std::printf(" %u", page);
  std::printf("; %u rows; autonumber %u; owned-pages map %u:%u; free-space map %u:%u\n",
              definition.row_count(), definition.autonumber(),
              definition.owned_pages().page, definition.owned_pages().row,
              definition.free_space_pages().page, definition.free_space_pages().row);
  const mdb::TableProperties properties = catalog.Properties(table);
  DumpProperties(properties.table, "  ");
  for (const mdb::ColumnDefinition& column : definition.columns()) {
    std::printf("  column %u %s: %s, length %u, flags 0x%02x/0x%02x, %s %u",
                column.number, column.name.c_str(),
                mdb::ColumnTypeName(column.type).c_str(), column.length, column.flags,
                column.extra_flags, column.is_fixed() ? "fixed at" : "variable",
                column.is_fixed() ? column.fixed_offset : column.variable_index);
    if (column.column_type() == mdb::ColumnType::kText)
      std::printf(", sort order %s", mdb::SortOrderName(column.sort_order).c_str());
    std::printf("\n");
    if (const mdb::PropertyBlock* block = properties.Column(column.name))
      DumpProperties(*block, "    ");
  }
  for (size_t i = 0; i < definition.real_indexes().size(); ++i) {
    const mdb::RealIndex& index = definition.real_indexes()[i];
    std::printf(
        "  b-tree %zu: root page %u, map %u:%u, flags 0x%02x, key count %u, columns", i,
        index.first_page, index.usage_map.page, index.usage_map.row, index.flags,
        index.key_count);
    for (const mdb::IndexColumn& column : index.columns)
      std::printf(" %u%s", column.column_number, column.ascending ? "" : " desc");
    std::printf("\n");
  }
  for (const mdb::LogicalIndex& index : definition.logical_indexes())
    std::printf("  index %s: number %u, b-tree %u, kind %u\n", index.name.c_str(),
                index.number, index.real_index, index.kind);
  for (const mdb::Relationship& relationship : catalog.Relationships(table)) {
    std::printf("  relationship %s: %s -> %s, flags 0x%x:", relationship.name.c_str(),
                relationship.table.c_str(), relationship.referenced_table.c_str(),
                relationship.flags);
    for (const auto& pair : relationship.columns)
      std::printf(" %s=%s", pair.column.c_str(), pair.referenced_column.c_str());
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: mdb_dump FILE [TABLE]\n");
    return 2;
  }
  try {
    const mdb::FileImage image = mdb::FileImage::ReadFile(argv[1]);
    const mdb::Header header = mdb::Header::Parse(image);
    const mdb::Catalog catalog = mdb::Catalog::Read(image);
    if (argc == 3) {
      DumpRows(image, catalog, argv[2]);
      return 0;
    }
    std::printf("%u pages; password \"%s\"; code page %u; sort order %s; created %.6f\n",
                image.page_count(), header.password().c_str(), header.code_page(),
                mdb::SortOrderName(header.sort_order()).c_str(), header.creation_date());
    for (const std::string& table : catalog.UserTables())
      DumpDefinition(image, catalog, table);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mdb_dump: %s\n", error.what());
    return 1;
  }
  return 0;
}
