#include "db/engine/jetsql/sqlite_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <memory>
#include <new>
#include <string>

#include "core/utf8.h"
#include "db/engine/core_types.h"
#include "db/engine/jetsql/case_fold.h"
#include "db/engine/jetsql/column_type.h"
#include "db/engine/jetsql/like_pattern.h"

namespace db::engine::jetsql {
namespace {

std::string_view TextOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text ? std::string_view(text, sqlite3_value_bytes(value)) : std::string_view();
}

int JetNoCase(void*, int a_size, const void* a, int b_size, const void* b) {
  return CompareIgnoringCase(std::string_view(static_cast<const char*>(a), a_size),
                             std::string_view(static_cast<const char*>(b), b_size));
}

// A compiled pattern with its own buffer, kept by SQLite for as long as the
// pattern argument of a statement stays the same.
struct CachedPattern {
  explicit CachedPattern(std::string_view text) : pattern(text) {}
  LikePattern pattern;
  std::u32string scratch;
};

// jet_like(pattern, value): Jet's LIKE; NULL when either is NULL.
void JetLike(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL ||
      sqlite3_value_type(args[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  if (auto* cached = static_cast<CachedPattern*>(sqlite3_get_auxdata(context, 0))) {
    return sqlite3_result_int(context,
                              cached->pattern.Matches(TextOf(args[1]), &cached->scratch));
  }
  try {
    auto compiled = std::make_unique<CachedPattern>(TextOf(args[0]));
    const bool matches = compiled->pattern.Matches(TextOf(args[1]), &compiled->scratch);
    // SQLite owns it from here and may drop it at any time.
    sqlite3_set_auxdata(context, 0, compiled.release(),
                        [](void* p) { delete static_cast<CachedPattern*>(p); });
    sqlite3_result_int(context, matches);
  } catch (const Error& e) {
    sqlite3_result_error(context, e.what(), -1);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  }
}

// jet_isnumeric(x): 1 for a number or a text that reads as one, else 0 (also for NULL).
void JetIsNumeric(sqlite3_context* context, int, sqlite3_value** args) {
  switch (sqlite3_value_type(args[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return sqlite3_result_int(context, 1);
    case SQLITE_TEXT:
      return sqlite3_result_int(context, IsNumericText(TextOf(args[0])));
    default:
      return sqlite3_result_int(context, 0);
  }
}

// jet_currency(x): x rounded half to even to four decimals, as stored in a
// CURRENCY column; NULL stays NULL; no number or out of range is an error.
void JetCurrency(sqlite3_context* context, int, sqlite3_value** args) {
  Value value;
  switch (sqlite3_value_type(args[0])) {
    case SQLITE_NULL:
      return sqlite3_result_null(context);
    case SQLITE_INTEGER:
      value = Value::Integer(sqlite3_value_int64(args[0]));
      break;
    case SQLITE_FLOAT:
      value = Value::Double(sqlite3_value_double(args[0]));
      break;
    default:
      value = Value::Text(std::string(TextOf(args[0])));
      break;
  }
  try {
    const Currency amount = value.ToCurrency();
    if (amount.ticks() % Currency::kScale == 0) {
      return sqlite3_result_int64(context, amount.ticks() / Currency::kScale);
    }
    sqlite3_result_double(context, amount.ToDouble());
  } catch (const Error& e) {
    sqlite3_result_error(context, e.what(), -1);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(context);
  }
}

// The characters of a value as text; a number is counted as SQLite would
// store it in a text column.
size_t TextLength(sqlite3_value* value) {
  if (sqlite3_value_type(value) == SQLITE_TEXT)
    return core::CountCharacters(TextOf(value));
  // Reading a number as text would change the argument; count on a copy.
  std::unique_ptr<sqlite3_value, void (*)(sqlite3_value*)> copy(sqlite3_value_dup(value),
                                                                sqlite3_value_free);
  return copy ? core::CountCharacters(TextOf(copy.get())) : 0;
}

// jet_text_fits(x, n, column): x unchanged when it is NULL or has at most n
// characters; otherwise the error TextTooLong describes, which is also kept
// where the registration asked for it.
void JetTextFits(sqlite3_context* context, int, sqlite3_value** args) {
  const auto limit = static_cast<size_t>(sqlite3_value_int64(args[1]));
  if (sqlite3_value_type(args[0]) == SQLITE_NULL || TextLength(args[0]) <= limit)
    return sqlite3_result_value(context, args[0]);
  TextTooLong refused(std::string(TextOf(args[2])), limit, std::string(TextOf(args[0])));
  sqlite3_result_error(context, refused.what(), -1);
  if (auto* kept = static_cast<std::optional<TextTooLong>*>(sqlite3_user_data(context)))
    *kept = std::move(refused);
}

// The text a value contributes to "&": whole doubles without ".0".
void AppendText(sqlite3_value* value, std::string* out) {
  if (sqlite3_value_type(value) == SQLITE_FLOAT) {
    const double number = sqlite3_value_double(value);
    if (std::trunc(number) == number && std::fabs(number) < 1e15) {
      *out += std::to_string(static_cast<int64_t>(number));
      return;
    }
  }
  *out += TextOf(value);
}

// jet_concat(a, b): Jet's "&": NULL counts as empty text; NULL & NULL is NULL.
void JetConcat(sqlite3_context* context, int, sqlite3_value** args) {
  if (sqlite3_value_type(args[0]) == SQLITE_NULL &&
      sqlite3_value_type(args[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  std::string text;
  AppendText(args[0], &text);
  AppendText(args[1], &text);
  sqlite3_result_text(context, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK) {
    throw Error(std::string("Cannot register ") + what + ": " + sqlite3_errmsg(db),
                Error::Kind::kOther);
  }
}

}  // namespace

void RegisterSqliteFunctions(sqlite3* db, std::optional<TextTooLong>* refused_text) {
  constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  Check(db,
        sqlite3_create_collation_v2(db, "JETNOCASE", SQLITE_UTF8, nullptr, JetNoCase,
                                    nullptr),
        "collation JETNOCASE");
  struct Function {
    const char* name;
    int args;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
  };
  static constexpr Function kFunctions[] = {
      {"jet_like", 2, JetLike},
      {"jet_isnumeric", 1, JetIsNumeric},
      {"jet_currency", 1, JetCurrency},
      {"jet_concat", 2, JetConcat},
  };
  for (const Function& function : kFunctions) {
    Check(db,
          sqlite3_create_function_v2(db, function.name, function.args, kFlags, nullptr,
                                     function.call, nullptr, nullptr, nullptr),
          function.name);
  }
  Check(db,
        sqlite3_create_function_v2(db, "jet_text_fits", 3, kFlags, refused_text,
                                   JetTextFits, nullptr, nullptr, nullptr),
        "jet_text_fits");
}

}  // namespace db::engine::jetsql
