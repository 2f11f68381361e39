#include "db/engine/mdb/text_key.h"

#include <cstdio>

#include "core/utf8.h"
#include "db/engine/core_types.h"
#include "db/engine/mdb/general_legacy_codes.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kMaxIndexedChars = 255;

// Markers between the parts of a text key.
constexpr uint8_t kEndOfText = 0x01;
constexpr uint8_t kEndOfKey = 0x00;
constexpr uint8_t kNoExtraPlaceholder = 0x02;
constexpr uint8_t kUnprintableMidfix = 0x06;
constexpr uint8_t kFlagsStart = 0x80;
constexpr uint8_t kFlagsSuffix[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
constexpr uint8_t kFlagsBeforeUnprintable = 0xFF;
constexpr uint8_t kTrailingFlagDropped = 3;

void Append(KeyBytes& out, const CharCode::Bytes& bytes) {
  out.insert(out.end(), bytes.data, bytes.data + bytes.size);
}

// A text key has up to four parts: the inline codes of the characters that have
// them, then (after 0x01) the extra codes of accented and similar characters, the
// two-bit flags of some of them, and the codes of unprintable characters, each
// placed by the position it had among the inline characters.
class TextKeyBuilder {
 public:
  void Add(char16_t c) {
    const CharCode& code = GeneralLegacyCode(c);
    if (code.kind == CharCode::Kind::kNotListed) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c));
      throw Error("Das Zeichen U+" + std::string(hex) +
                      " (außerhalb der Basic Multilingual Plane) kann nicht Teil eines "
                      "Textschlüssels im Index sein",
                  Error::Kind::kUnsupported);
    }
    const size_t position = inline_chars_;
    Append(inline_, code.inline_bytes);
    if (code.inline_bytes.size > 0) ++inline_chars_;
    if (code.extra_bytes.size > 0 || code.modifier != 0) AddExtra(position, code);
    if (code.unprintable_bytes.size > 0) AddUnprintable(position, code);
    if (code.flag != 0) flags_.push_back(code.flag);
  }

  void Finish(KeyBytes& key) {
    key.insert(key.end(), inline_.begin(), inline_.end());
    key.push_back(kEndOfText);
    // Placeholders (and zero codes) at the end of the extra part carry nothing.
    while (!extra_.empty() && extra_.back() <= kNoExtraPlaceholder) extra_.pop_back();
    key.insert(key.end(), extra_.begin(), extra_.end());
    if (flags_.empty() && unprintable_.empty()) return;
    key.push_back(kEndOfText);
    key.push_back(kEndOfText);
    if (!flags_.empty()) {
      AppendFlags(key);
      if (!unprintable_.empty()) key.push_back(kFlagsBeforeUnprintable);
    }
    if (!unprintable_.empty()) {
      key.push_back(kEndOfText);
      key.insert(key.end(), unprintable_.begin(), unprintable_.end());
    }
  }

 private:
  // The extra part holds one entry per inline character up to the last one that
  // has extra codes; characters without any get a placeholder. A modifier changes
  // the entry before it instead of adding one.
  void AddExtra(size_t position, const CharCode& code) {
    if (extra_chars_ < position) {
      extra_.insert(extra_.end(), position - extra_chars_, kNoExtraPlaceholder);
      extra_chars_ = position;
    }
    if (code.extra_bytes.size > 0) {
      Append(extra_, code.extra_bytes);
      ++extra_chars_;
    } else if (!extra_.empty()) {
      extra_.back() = static_cast<uint8_t>(extra_.back() + code.modifier);
    } else {
      extra_.push_back(code.modifier);
      modifier_prefix_ = 1;
    }
  }

  // Each unprintable character is written as a big-endian 16-bit position (0x8000
  // | 7 + 4 * n), 0x06 and its code. n counts the inline characters before it, but
  // measured in the extra part once that has begun.
  void AddUnprintable(size_t position, const CharCode& code) {
    size_t n = position;
    if (!extra_.empty()) n = extra_.size() + (position - extra_chars_) - modifier_prefix_;
    const unsigned offset = 0x8000 | (7 + 4 * n);
    unprintable_.push_back(static_cast<uint8_t>(offset >> 8));
    unprintable_.push_back(static_cast<uint8_t>(offset));
    unprintable_.push_back(kUnprintableMidfix);
    Append(unprintable_, code.unprintable_bytes);
  }

  // Flags are packed three to a byte behind 0x80 (two bits each, first flag
  // highest); flags of value 3 at the end are left out, the suffix never is.
  void AppendFlags(KeyBytes& key) {
    while (!flags_.empty() && flags_.back() == kTrailingFlagDropped) flags_.pop_back();
    for (size_t i = 0; i < flags_.size(); i += 3) {
      uint8_t byte = kFlagsStart;
      for (size_t j = 0; j < 3 && i + j < flags_.size(); ++j) {
        byte |= static_cast<uint8_t>(flags_[i + j] << (4 - 2 * j));
      }
      key.push_back(byte);
    }
    key.insert(key.end(), std::begin(kFlagsSuffix), std::end(kFlagsSuffix));
  }

  KeyBytes inline_, extra_, unprintable_;
  std::vector<uint8_t> flags_;
  size_t inline_chars_ = 0;
  size_t extra_chars_ = 0;
  size_t modifier_prefix_ = 0;
};

}  // namespace

std::u16string TextKeySource(std::string_view utf8) {
  std::optional<std::u16string> converted = core::Utf8ToUtf16(utf8);
  if (!converted) throw Error("Ein Text ist kein gültiges UTF-8", Error::Kind::kBadInput);
  std::u16string text = std::move(*converted);
  if (text.size() > kMaxIndexedChars) text.resize(kMaxIndexedChars);
  while (!text.empty() && text.back() == u' ') text.pop_back();
  return text;
}

void AppendTextKey(std::u16string_view text, bool ascending, KeyBytes& key) {
  const size_t start = key.size();
  TextKeyBuilder builder;
  for (char16_t c : text) builder.Add(c);
  builder.Finish(key);
  if (!ascending) {
    // A descending key is the complement, ending in 0xFF (the complemented end
    // marker) and then a plain 0x00.
    key.push_back(kEndOfKey);
    for (size_t i = start; i < key.size(); ++i) key[i] = static_cast<uint8_t>(~key[i]);
  }
  key.push_back(kEndOfKey);
}

}  // namespace db::engine::mdb
