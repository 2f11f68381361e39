#ifndef PREISLISTE_DB_ENGINE_MDB_GENERAL_LEGACY_CODES_H_
#define PREISLISTE_DB_ENGINE_MDB_GENERAL_LEGACY_CODES_H_

#include <cstdint>

namespace db::engine::mdb {

// How the General (legacy) sort order, 0x409 version 0, writes one UTF-16 code
// unit into a text index key. The table behind GeneralLegacyCode() is generated at
// build time from index_codes/*.txt; index_codes/README.md explains the notation.
struct CharCode {
  enum class Kind : uint8_t {
    kNotListed,             // a surrogate: the code files do not list it
    kIgnored,               // leaves no trace in the key
    kSimple,                // inline bytes only
    kInternational,         // inline bytes plus extra bytes
    kUnprintable,           // unprintable bytes only
    kUnprintableModifier,   // adds `modifier` to the last extra byte
    kInternationalFlagged,  // inline, optional extra bytes, and a two-bit flag
  };
  struct Bytes {
    uint8_t size;
    uint8_t data[4];
  };

  Kind kind;
  Bytes inline_bytes;
  Bytes extra_bytes;
  Bytes unprintable_bytes;
  uint8_t modifier;
  uint8_t flag;  // 2 or 3 for kInternationalFlagged, else 0
};

const CharCode& GeneralLegacyCode(char16_t c);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_GENERAL_LEGACY_CODES_H_
