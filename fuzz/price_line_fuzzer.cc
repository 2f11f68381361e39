// Price file reading as the import does it: lines out of arbitrary bytes
// (in blocks of a size the input chooses), decoded to UTF-8, split into
// fields, the price read and the prefix tested for being a number.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/numeric_text.h"
#include "import/line_decoder.h"
#include "import/price_file_reader.h"
#include "import/read_price_number.h"
#include "import/split_price_line.h"
#include "tests/import/memory_source.h"

using price_import::LineDecoder;
using price_import::PriceFileReader;
using price_import::PriceLineFields;
using price_import::ReadPriceNumber;
using price_import::SplitPriceLine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t chunk = 1 + data[0] % 64;  // cuts lines and CR LF pairs at block edges
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t length = bytes.size();
  PriceFileReader reader(
      std::make_unique<testing_support::MemorySource>(std::move(bytes), chunk));
  static LineDecoder decoder;
  int64_t position = 0;
  while (std::optional<std::string> line = reader.ReadFileLine()) {
    // Lines never carry their line end, and reading only moves forwards.
    if (line->find_first_of("\r\n") != std::string::npos) std::abort();
    if (reader.ReadPosition128() < position ||
        reader.ReadPosition128() * 128 > int64_t(length))
      std::abort();
    position = reader.ReadPosition128();
    decoder.ToUtf8(*line);
    const PriceLineFields fields = SplitPriceLine(*line);
    for (const auto& field : fields)
      if (field && field->find(';') != std::string::npos) std::abort();
    if (fields[2]) ReadPriceNumber(*fields[2]);
    if (fields[0]) core::IsNumericText(*fields[0]);
  }
  return 0;
}
