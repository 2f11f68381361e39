#include "core/value.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/error.h"
#include "core/numeric_text.h"

namespace core {
namespace {

double ParseNumber(const std::string& text) {
  if (!IsNumericText(text)) throw Error("Type mismatch: '" + text + "' is not a number");
  return std::strtod(text.c_str(), nullptr);  // C locale: period decimal point
}

}  // namespace

Currency Value::ToCurrency() const {
  switch (type()) {
    case Type::kNull:
      throw Error("Invalid use of Null");
    case Type::kCurrency:
      return currency();
    case Type::kInteger:
      if (integer() > INT64_MAX / Currency::kScale ||
          integer() < INT64_MIN / Currency::kScale)
        throw Error("Overflow: " + std::to_string(integer()) +
                    " is out of the currency range");
      return Currency::FromTicks(integer() * Currency::kScale);
    case Type::kDouble:
    case Type::kText: {
      const double number = type() == Type::kDouble ? real() : ParseNumber(text());
      if (auto amount = Currency::FromDouble(number)) return *amount;
      throw Error("Overflow: " + ToText() + " is out of the currency range");
    }
  }
  throw Error("Type mismatch");
}

double Value::ToDouble() const {
  switch (type()) {
    case Type::kNull:
      throw Error("Invalid use of Null");
    case Type::kCurrency:
      return currency().ToDouble();
    case Type::kInteger:
      return static_cast<double>(integer());
    case Type::kDouble:
      return real();
    case Type::kText:
      return ParseNumber(text());
  }
  throw Error("Type mismatch");
}

std::string Value::ToText() const {
  switch (type()) {
    case Type::kNull:
      throw Error("Invalid use of Null");
    case Type::kText:
      return text();
    case Type::kInteger:
      return std::to_string(integer());
    case Type::kCurrency:
      return currency().ToString();
    case Type::kDouble: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%.15g", real());
      return buffer;
    }
  }
  throw Error("Type mismatch");
}

}  // namespace core
