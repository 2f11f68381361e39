// The period-decimal price reader and the numeric-text test on any text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/numeric_text.h"
#include "import/read_price_number.h"

using price_import::ReadPriceNumber;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<core::Currency> price = ReadPriceNumber(text);
  const bool numeric = core::IsNumericText(text);
  // A text that holds no digit at all is neither numeric nor a price
  // other than 0.
  if (text.find_first_of("0123456789") == std::string_view::npos) {
    if (numeric) std::abort();
    if (!price || price->ticks() != 0) std::abort();
  }
  return 0;
}
