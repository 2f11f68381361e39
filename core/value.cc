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
  if (!IsNumericText(text))
    throw Error("Typen unverträglich: '" + text + "' ist keine Zahl",
                Error::Kind::kBadInput);
  return std::strtod(text.c_str(), nullptr);  // C locale: period decimal point
}

}  // namespace

Currency Value::ToCurrency() const {
  switch (type()) {
    case Type::kNull:
      throw Error("Unzulässige Verwendung von Null (leerer Wert)",
                  Error::Kind::kBadInput);
    case Type::kCurrency:
      return currency();
    case Type::kInteger:
      if (integer() > INT64_MAX / Currency::kScale ||
          integer() < INT64_MIN / Currency::kScale)
        throw Error("Überlauf: " + std::to_string(integer()) +
                        " liegt außerhalb des Währungsbereichs",
                    Error::Kind::kBadInput);
      return Currency::FromTicks(integer() * Currency::kScale);
    case Type::kDouble:
    case Type::kText: {
      const double number = type() == Type::kDouble ? real() : ParseNumber(text());
      if (auto amount = Currency::FromDouble(number)) return *amount;
      throw Error("Überlauf: " + ToText() + " liegt außerhalb des Währungsbereichs",
                  Error::Kind::kBadInput);
    }
  }
  throw Error("Typen unverträglich", Error::Kind::kBadInput);
}

double Value::ToDouble() const {
  switch (type()) {
    case Type::kNull:
      throw Error("Unzulässige Verwendung von Null (leerer Wert)",
                  Error::Kind::kBadInput);
    case Type::kCurrency:
      return currency().ToDouble();
    case Type::kInteger:
      return static_cast<double>(integer());
    case Type::kDouble:
      return real();
    case Type::kText:
      return ParseNumber(text());
  }
  throw Error("Typen unverträglich", Error::Kind::kBadInput);
}

std::string Value::ToText() const {
  switch (type()) {
    case Type::kNull:
      throw Error("Unzulässige Verwendung von Null (leerer Wert)",
                  Error::Kind::kBadInput);
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
  throw Error("Typen unverträglich", Error::Kind::kBadInput);
}

}  // namespace core
