#ifndef PREISLISTE_CORE_VALUE_H_
#define PREISLISTE_CORE_VALUE_H_

#include <cstdint>
#include <string>
#include <variant>

#include "core/currency.h"

namespace core {

// One field value as the database layer hands it out and takes it in: NULL,
// text (UTF-8), a whole number, a double or a currency amount. NULL is a value
// of its own, never confused with 0 or with the empty text.
class Value {
 public:
  enum class Type { kNull, kText, kInteger, kDouble, kCurrency };

  Value() = default;  // NULL
  static Value Null() { return Value(); }
  static Value Text(std::string text) { return Value(std::move(text)); }
  static Value Integer(int64_t number) { return Value(number); }
  static Value Double(double number) { return Value(number); }
  static Value Money(Currency amount) { return Value(amount); }

  Type type() const { return static_cast<Type>(data_.index()); }
  bool is_null() const { return type() == Type::kNull; }

  // Raw access; the type must match.
  const std::string& text() const { return std::get<std::string>(data_); }
  int64_t integer() const { return std::get<int64_t>(data_); }
  double real() const { return std::get<double>(data_); }
  Currency currency() const { return std::get<Currency>(data_); }

  // Conversions as the database performs them when a value changes type.
  // Each throws core::Error with a description when the value cannot be
  // converted (NULL, text that is no number, a number out of range).
  Currency ToCurrency() const;
  double ToDouble() const;
  // Text form of any non-NULL value; numbers in plain C notation.
  std::string ToText() const;

  // Same type and same content (NULL equals NULL here).
  bool operator==(const Value& other) const = default;

 private:
  explicit Value(std::string text) : data_(std::move(text)) {}
  explicit Value(int64_t number) : data_(number) {}
  explicit Value(double number) : data_(number) {}
  explicit Value(Currency amount) : data_(amount) {}

  std::variant<std::monostate, std::string, int64_t, double, Currency> data_;
};

}  // namespace core

#endif  // PREISLISTE_CORE_VALUE_H_
