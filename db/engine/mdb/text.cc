#include "db/engine/mdb/text.h"

#include <vector>

namespace db::engine::mdb {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string UnitsToUtf8(const std::vector<char16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes) {
  std::vector<char16_t> units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
  return UnitsToUtf8(units);
}

std::string DecodeStoredText(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
    return Utf16LeToUtf8(bytes);
  std::vector<char16_t> units;
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
  return UnitsToUtf8(units);
}

}  // namespace db::engine::mdb
