#include "tests/app/jet_numbers_rows.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/db/engine/mdb/oracles.h"

namespace testing_support {
namespace {

namespace mdb = db::engine::mdb;
using core::Value;

enum class Kind { kText, kWhole, kMoney, kReal, kOther };

Kind KindOf(const mdb::ColumnDefinition& column) {
  switch (column.column_type()) {
    case mdb::ColumnType::kText:
    case mdb::ColumnType::kMemo:
      return Kind::kText;
    case mdb::ColumnType::kByte:
    case mdb::ColumnType::kInteger:
    case mdb::ColumnType::kLong:
      return Kind::kWhole;
    case mdb::ColumnType::kCurrency:
      return Kind::kMoney;
    case mdb::ColumnType::kDouble:
      return Kind::kReal;
    default:
      ADD_FAILURE() << "column " << column.name << ": type "
                    << mdb::ColumnTypeName(column.type) << " not compared";
      return Kind::kOther;
  }
}

std::vector<Kind> KindsOf(const mdb::TableDefinition& table) {
  std::vector<Kind> kinds;
  for (const mdb::ColumnDefinition& column : table.columns())
    kinds.push_back(KindOf(column));
  return kinds;
}

std::string Money(int64_t ticks) {
  char text[32];
  const uint64_t magnitude = ticks < 0 ? 0 - static_cast<uint64_t>(ticks) : ticks;
  std::snprintf(text, sizeof text, "%s%" PRIu64 ".%04" PRIu64, ticks < 0 ? "-" : "",
                magnitude / 10000, magnitude % 10000);
  return text;
}

std::string Real(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// `text` after a one-character mark: a quote for a text, "?" for what
// matches nothing.
std::string Marked(char mark, std::string text) {
  text.insert(text.begin(), mark);
  return text;
}

// A number an oracle printed; a text that is none is spelled so that it
// matches nothing.
std::string Number(Kind kind, const std::string& text) {
  if (kind == Kind::kMoney) {
    const std::optional<int64_t> ticks = mdb_test::DecimalTicks(text);
    return ticks ? Money(*ticks) : Marked('?', text);
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0') return Marked('?', text);
  if (kind == Kind::kWhole) {
    if (value != std::floor(value)) return Marked('?', text);
    return std::to_string(static_cast<int64_t>(value));
  }
  return Real(value);
}

SpelledRows Sorted(SpelledRows rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::string Only(const SpelledRows& in, const SpelledRows& without,
                 const std::string& name) {
  SpelledRows only;
  std::set_difference(in.begin(), in.end(), without.begin(), without.end(),
                      std::back_inserter(only));
  std::string text;
  for (size_t i = 0; i < only.size() && i < 5; ++i) {
    text += "\n  only " + name + ":";
    for (const std::string& value : only[i]) text += " " + value;
  }
  if (only.size() > 5) text += "\n  ... " + std::to_string(only.size()) + " rows in all";
  return text;
}

}  // namespace

std::string RowDifference(const SpelledRows& ours, const std::string& our_name,
                          const SpelledRows& theirs, const std::string& their_name) {
  if (ours == theirs) return "";
  return std::to_string(ours.size()) + " rows " + our_name + ", " +
         std::to_string(theirs.size()) + " rows " + their_name +
         Only(ours, theirs, our_name) + Only(theirs, ours, their_name);
}

SpelledRows RowsOf(const mdb::TableDefinition& table,
                   const std::vector<mdb::StoredRow>& rows) {
  const std::vector<Kind> kinds = KindsOf(table);
  SpelledRows spelled;
  for (const mdb::StoredRow& row : rows) {
    std::vector<std::string>& out = spelled.emplace_back();
    for (size_t c = 0; c < row.values.size(); ++c) {
      const Value& value = row.values[c];
      if (value.is_null()) {
        out.push_back("NULL");
        continue;
      }
      switch (value.type()) {
        case Value::Type::kText:
          out.push_back(Marked('\'', value.text()));
          break;
        case Value::Type::kInteger:
          out.push_back(std::to_string(value.integer()));
          break;
        case Value::Type::kCurrency:
          out.push_back(Money(value.currency().ticks()));
          break;
        case Value::Type::kDouble:
          out.push_back(Real(value.real()));
          break;
        default:
          out.push_back("?");
      }
      if (kinds[c] == Kind::kText && value.type() != Value::Type::kText)
        out.back() = Marked('?', out.back());
    }
  }
  return Sorted(std::move(spelled));
}

SpelledRows MdbExportRows(const std::filesystem::path& file,
                          const mdb::TableDefinition& table) {
  const std::vector<Kind> kinds = KindsOf(table);
  SpelledRows spelled;
  for (const auto& row : mdb_test::MdbExport(file, "Numbers").rows) {
    std::vector<std::string>& out = spelled.emplace_back();
    for (size_t c = 0; c < row.size(); ++c) {
      const mdb_test::CsvField& field = row[c];
      const Kind kind = c < kinds.size() ? kinds[c] : Kind::kOther;
      if (!field.quoted && field.text.empty())
        out.push_back("NULL");
      else if (kind == Kind::kText)
        out.push_back(Marked(field.quoted ? '\'' : '?', field.text));
      else
        out.push_back(Number(kind, field.text));
    }
  }
  return Sorted(std::move(spelled));
}

SpelledRows MdbReaderRows(const std::filesystem::path& file,
                          const mdb::TableDefinition& table) {
  const std::vector<Kind> kinds = KindsOf(table);
  SpelledRows spelled;
  for (const auto& row : mdb_test::MdbReaderRows(file, "Numbers")) {
    std::vector<std::string>& out = spelled.emplace_back();
    for (size_t c = 0; c < row.size(); ++c) {
      const mdb_test::TaggedValue& value = row[c];
      const Kind kind = c < kinds.size() ? kinds[c] : Kind::kOther;
      const char expected_tag = kind == Kind::kText    ? 'S'
                                : kind == Kind::kMoney ? 'M'
                                                       : 'D';
      if (value.tag == 'N')
        out.push_back("NULL");
      else if (value.tag != expected_tag)
        out.push_back(Marked('?', Marked(value.tag, value.text)));
      else if (kind == Kind::kText)
        out.push_back(Marked('\'', value.text));
      else
        out.push_back(Number(kind, value.text));
    }
  }
  return Sorted(std::move(spelled));
}

SpelledRows SqliteRows(const std::filesystem::path& file, const std::string& name,
                       const mdb::TableDefinition& table) {
  sqlite3* db = nullptr;
  SpelledRows spelled;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << file << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return spelled;
  }
  std::string sql = "SELECT ";
  for (const mdb::ColumnDefinition& column : table.columns())
    sql += (&column == &table.columns().front() ? "\"" : ", \"") + column.name + "\"";
  sql += " FROM \"" + name + "\"";
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
  const std::vector<Kind> kinds = KindsOf(table);
  while (statement && sqlite3_step(statement) == SQLITE_ROW) {
    std::vector<std::string>& out = spelled.emplace_back();
    for (int c = 0; c < static_cast<int>(kinds.size()); ++c) {
      if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
        out.push_back("NULL");
        continue;
      }
      switch (kinds[c]) {
        case Kind::kText:
          out.push_back(Marked(
              '\'', reinterpret_cast<const char*>(sqlite3_column_text(statement, c))));
          break;
        case Kind::kWhole:
          out.push_back(std::to_string(sqlite3_column_int64(statement, c)));
          break;
        case Kind::kMoney:
          out.push_back(Money(std::llround(sqlite3_column_double(statement, c) * 10000)));
          break;
        default:
          out.push_back(Real(sqlite3_column_double(statement, c)));
      }
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return Sorted(std::move(spelled));
}

}  // namespace testing_support
