#ifndef PREISLISTE_DB_ENGINE_MDB_TEXT_H_
#define PREISLISTE_DB_ENGINE_MDB_TEXT_H_

#include <cstdint>
#include <span>
#include <string>

namespace db::engine::mdb {

// UTF-16LE (names, passwords, uncompressed text) to UTF-8. An odd last byte
// is ignored; a surrogate without its partner becomes U+FFFD.
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);

// A Text or Memo value as stored. Jet 4 may store text "compressed": the
// marker FF FE, then runs of characters alternating between one byte each
// (characters U+0001..U+00FF) and two bytes each (UTF-16LE), every 00 byte
// switching to the other kind of run, starting with one-byte runs.
std::string DecodeStoredText(std::span<const uint8_t> bytes);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_TEXT_H_
