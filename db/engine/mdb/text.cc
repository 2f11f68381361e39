#include "db/engine/mdb/text.h"

#include "core/utf8.h"

namespace db::engine::mdb {
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
  return core::Utf16ToUtf8(units);
}

std::string DecodeStoredText(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
    return Utf16LeToUtf8(bytes);
  std::u16string units;
  units.reserve(bytes.size());
  bool one_byte_run = true;
  for (size_t i = 2; i < bytes.size();) {
    if (bytes[i] == 0) {
      one_byte_run = !one_byte_run;
      ++i;
    } else if (one_byte_run) {
      units.push_back(bytes[i++]);
    } else if (i + 1 < bytes.size()) {
      units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
      i += 2;
    } else {
      break;  // a cut-off two-byte character: nothing more to read
    }
  }
  return core::Utf16ToUtf8(units);
}

}  // namespace db::engine::mdb
