#include "db/engine/sqlite/sqlite_error.h"

#include <sqlite3.h>

namespace db::engine {
namespace {

Error::Kind KindOf(int code) {
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return Error::Kind::kInUse;
    case SQLITE_CONSTRAINT:
      return Error::Kind::kConstraint;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return Error::Kind::kDamaged;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return Error::Kind::kPermission;
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
      return Error::Kind::kIo;
    default:
      return Error::Kind::kOther;
  }
}

// "T.C" -> {"T", "C"}; a name without a dot is the column.
std::pair<std::string, std::string> TableAndColumn(const std::string& qualified) {
  const size_t dot = qualified.find('.');
  if (dot == std::string::npos) return {"", qualified};
  return {qualified.substr(0, dot), qualified.substr(dot + 1)};
}

// SQLite's messages that a run's own statement can meet, each with the
// operator's words for it. SQLite gives them only as text; its result code
// (SQLITE_ERROR, SQLITE_CONSTRAINT) does not tell them apart.
struct KnownMessage {
  const char* start;      // what SQLite's message begins with
  const char* separator;  // what divides the two names after it, or ""
  Error::Kind kind;
  std::string (*lead)(const std::string& first, const std::string& second);
};

const KnownMessage kKnownMessages[] = {
    {"table ", " has no column named ", Error::Kind::kNotFound,
     [](const std::string& table, const std::string& column) {
       return "Tabelle " + table + " hat keine Spalte " + column;
     }},
    {"no such column: ", "", Error::Kind::kNotFound,
     [](const std::string& column, const std::string&) {
       return "Spalte " + column + " gibt es nicht";
     }},
    {"no such table: ", "", Error::Kind::kNotFound,
     [](const std::string& table, const std::string&) {
       return "Tabelle " + table + " gibt es nicht";
     }},
    {"NOT NULL constraint failed: ", "", Error::Kind::kConstraint,
     [](const std::string& qualified, const std::string&) {
       const auto [table, column] = TableAndColumn(qualified);
       return "Spalte " + column + (table.empty() ? "" : " in " + table) +
              " ist ein Pflichtfeld und darf nicht leer bleiben";
     }},
    {"CHECK constraint failed: ", "", Error::Kind::kConstraint,
     [](const std::string& rule, const std::string&) {
       return "Wert nicht erlaubt: " + rule;
     }},
    {"UNIQUE constraint failed: ", "", Error::Kind::kConstraint,
     [](const std::string& key, const std::string&) {
       return "ein Wert käme zweimal vor (Schlüssel " + key + ")";
     }},
};

// The operator's words for a failure of the device or the memory under
// SQLite: its own ("disk I/O error", "database or disk is full") mean nothing
// to them. None for any other code.
const char* DeviceReason(int code) {
  if (code == SQLITE_IOERR_NOMEM) return "Nicht genug Arbeitsspeicher";
  switch (code & 0xff) {
    case SQLITE_FULL:
      return "Auf dem Datenträger ist kein Platz mehr";
    case SQLITE_IOERR:
      return "Der Datenträger meldet einen Lese- oder Schreibfehler";
    case SQLITE_NOMEM:
      return "Nicht genug Arbeitsspeicher";
    case SQLITE_CANTOPEN:
      return "Die Datei oder ihre temporären Dateien können nicht geöffnet werden";
    default:
      return nullptr;
  }
}

}  // namespace

Error SqliteFailure(int code, const std::string& message, std::string_view file_name) {
  const Error::Kind kind = KindOf(code);
  if (const char* reason = DeviceReason(code))
    return Error(std::string(file_name) + ": " + reason, kind);
  if (kind == Error::Kind::kInUse)
    return Error(
        message + " (ein anderes Programm benutzt " + std::string(file_name) + ")", kind);
  for (const KnownMessage& known : kKnownMessages) {
    const std::string_view start = known.start;
    if (message.compare(0, start.size(), start) != 0) continue;
    const std::string rest = message.substr(start.size());
    std::string first = rest;
    std::string second;
    if (*known.separator != '\0') {
      const size_t at = rest.find(known.separator);
      if (at == std::string::npos) continue;
      first = rest.substr(0, at);
      second = rest.substr(at + std::string_view(known.separator).size());
    }
    const Error::Kind known_kind = kind == Error::Kind::kOther ? known.kind : kind;
    return Error(known.lead(first, second) + " (" + message + ")", known_kind);
  }
  return Error(message, kind);
}

Error SqliteFailure(sqlite3* db, std::string_view file_name) {
  return SqliteFailure(sqlite3_extended_errcode(db), sqlite3_errmsg(db), file_name);
}

void ThrowSqliteError(sqlite3* db, std::string_view file_name) {
  throw SqliteFailure(db, file_name);
}

}  // namespace db::engine
