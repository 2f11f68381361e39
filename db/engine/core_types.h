#ifndef PREISLISTE_DB_ENGINE_CORE_TYPES_H_
#define PREISLISTE_DB_ENGINE_CORE_TYPES_H_

#include "core/ascii.h"
#include "core/currency.h"
#include "core/error.h"
#include "core/numeric_text.h"
#include "core/value.h"

// The engine and its back ends speak in core's values and errors throughout;
// these declarations let their code name them without the namespace.
namespace db::engine {

using core::AsciiLower;
using core::Currency;
using core::EqualIgnoringAsciiCase;
using core::Error;
using core::IsAsciiDigit;
using core::IsNumericText;
using core::ToAsciiLower;
using core::Value;

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_CORE_TYPES_H_
