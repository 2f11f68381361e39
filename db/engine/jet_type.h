#ifndef PREISLISTE_DB_ENGINE_JET_TYPE_H_
#define PREISLISTE_DB_ENGINE_JET_TYPE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace db::engine {

// The column types of a Jet 4 file, by the type byte of a column's entry in
// a table definition: the one list of column types. The file format
// (db/engine/mdb) reads and writes values by it, and SqlTypeOf() says what
// each type is to the dialect (db/engine/jetsql) and to SQLite. Switches over
// it name every type and have no default, so that -Wswitch lists each place
// a new type must go (db/engine/mdb/README.md). A type byte outside this list
// leaves such a switch without a case.
enum class JetType : uint8_t {
  kBoolean = 0x01,  // Yes/No, kept in the row's null mask
  kByte = 0x02,
  kInteger = 0x03,   // 16-bit
  kLong = 0x04,      // 32-bit; also AutoNumber
  kCurrency = 0x05,  // 64-bit count of 1/10000
  kSingle = 0x06,
  kDouble = 0x07,
  kDateTime = 0x08,  // double: days since 1899-12-30
  kBinary = 0x09,
  kText = 0x0A,  // UTF-16LE, maybe compressed
  kOle = 0x0B,   // long binary
  kMemo = 0x0C,  // long text
  kGuid = 0x0F,
  kNumeric = 0x10,  // scaled decimal
  kComplex = 0x12,  // Access 2007 attachments and multi-value fields
};

// What the dialect does with the values of a column: converts what is
// written into it (jetsql::ConvertForColumn) and reads it back (the record
// sets) as such values.
enum class ValueKind {
  kText,      // text of at most a given number of characters
  kInteger,   // whole numbers (checked to 32 bits)
  kCurrency,  // four decimal places
  kDouble,    // floating point
  kUntyped,   // as stored
};

// A Jet column type as the program serves it through SQLite: the type
// declared in SQLite's CREATE TABLE (Text adds its length, see
// SqlDeclaration), the kind of its values, and the condition a value must
// meet where SQLite's type is wider than Jet's. `declared` is empty for a
// type the program does not serve: it could not write it back.
struct SqlType {
  std::string_view declared;
  ValueKind kind = ValueKind::kUntyped;
  std::string_view range_check;
};

constexpr SqlType SqlTypeOf(JetType type) {
  switch (type) {
    case JetType::kBoolean:
      return {"BIT", ValueKind::kUntyped, ""};
    case JetType::kByte:
      return {"TINYINT", ValueKind::kInteger, "BETWEEN 0 AND 255"};
    case JetType::kInteger:
      return {"SMALLINT", ValueKind::kInteger, "BETWEEN -32768 AND 32767"};
    case JetType::kLong:
      return {"INTEGER", ValueKind::kInteger, ""};
    case JetType::kCurrency:
      return {"CURRENCY", ValueKind::kCurrency, ""};
    case JetType::kSingle:
      return {"REAL", ValueKind::kDouble, ""};
    case JetType::kDouble:
      return {"DOUBLE", ValueKind::kDouble, ""};
    case JetType::kDateTime:
      return {"DATETIME", ValueKind::kUntyped, ""};
    case JetType::kText:
      return {"VARCHAR", ValueKind::kText, ""};
    case JetType::kMemo:
      return {"TEXT", ValueKind::kText, ""};
    case JetType::kBinary:
    case JetType::kOle:
    case JetType::kGuid:
    case JetType::kNumeric:
    case JetType::kComplex:
      return {};
  }
  return {};  // a type byte the format does not define
}

// The declared SQLite type of a served column: "VARCHAR(n)" for Text of
// `text_chars` characters, else SqlTypeOf(type).declared.
inline std::string SqlDeclaration(JetType type, size_t text_chars) {
  std::string declared(SqlTypeOf(type).declared);
  if (type == JetType::kText)
    declared.append("(").append(std::to_string(text_chars)).append(")");
  return declared;
}

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_JET_TYPE_H_
