#include "bench/deck_files.h"

#include <sqlite3.h>

#include <fstream>
#include <memory>

#include "bench/text.h"
#include "core/error.h"

namespace bench {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string FormatLine(const PriceLine& line) {
  std::string prefix = line.prefix;
  std::string name = ToWindows1252(line.name);
  std::string price = PriceText(line.purchase);
  if (line.quote_all) {
    prefix = Quoted(prefix);
    price = Quoted(price);
  }
  if (line.quote_all || line.quote_name) name = Quoted(name);
  if (line.padded) return " " + prefix + " ; " + name + " ;  " + price + " ";
  if (line.fifth_field_price)
    return prefix + ";" + name + ";" + PriceText(line.purchase + 100) + ";Tarif alt;" +
           price;
  return prefix + ";" + name + ";" + price;
}

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

void Check(sqlite3* db, int code, const char* what) {
  if (code != SQLITE_OK && code != SQLITE_DONE)
    throw core::Error(std::string(what) + ": " + sqlite3_errmsg(db),
                      core::Error::Kind::kOther);
}

void Exec(sqlite3* db, const char* sql) {
  Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), sql);
}

void BindMoney(sqlite3_stmt* statement, int index, const std::optional<int64_t>& ticks) {
  if (ticks)
    sqlite3_bind_double(statement, index, static_cast<double>(*ticks) / 10000);
  else
    sqlite3_bind_null(statement, index);
}

}  // namespace

std::string PriceText(int64_t ticks) {
  std::string text = std::to_string(ticks / 10000);
  std::string fraction = std::to_string(10000 + ticks % 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "," + fraction;
  return text;
}

void WritePriceFile(const std::filesystem::path& file, const Deck& deck) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "#Vorwahl;Ziel;Preis\r\n";
  for (const PriceLine& line : deck.lines) out << FormatLine(line) << "\r\n";
  out.close();
  if (!out) throw core::Error("cannot write " + file.string(), core::Error::Kind::kIo);
}

void WriteNumbersDatabase(const std::filesystem::path& file, const Deck& deck) {
  std::filesystem::remove(file);
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open(file.c_str(), &raw);
  std::unique_ptr<sqlite3, SqliteCloser> db(raw);
  Check(raw, opened, "open");
  // Only the generator's own file: durability does not matter while writing it.
  Exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
  Exec(
      raw,
      "CREATE TABLE Numbers (Number VARCHAR(255), Name VARCHAR(255), Price_EUR CURRENCY, "
      "Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(255));");
  Exec(raw, "BEGIN");
  sqlite3_stmt* prepared = nullptr;
  Check(raw,
        sqlite3_prepare_v2(raw, "INSERT INTO Numbers VALUES (?, ?, ?, ?, ?, ?)", -1,
                           &prepared, nullptr),
        "prepare");
  std::unique_ptr<sqlite3_stmt, StatementFinalizer> insert(prepared);
  for (size_t i = 0; i < deck.numbers.size(); ++i) {
    const NumbersRow& row = deck.numbers[i];
    sqlite3_bind_text(prepared, 1, row.number.data(), static_cast<int>(row.number.size()),
                      SQLITE_STATIC);
    sqlite3_bind_text(prepared, 2, row.name.data(), static_cast<int>(row.name.size()),
                      SQLITE_STATIC);
    BindMoney(prepared, 3, row.price);
    BindMoney(prepared, 4, row.rate);
    sqlite3_bind_int(prepared, 5,
                     static_cast<int>(i % 3) * 30);  // seconds, as in real lists
    if (i % 5 == 0)
      sqlite3_bind_text(prepared, 6, "Standard", -1, SQLITE_STATIC);
    else
      sqlite3_bind_null(prepared, 6);
    Check(raw, sqlite3_step(prepared), "insert");
    sqlite3_reset(prepared);
  }
  Exec(raw, "COMMIT");
}

}  // namespace bench
