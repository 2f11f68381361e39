#ifndef PREISLISTE_DB_ENGINE_MDB_TEXT_KEY_H_
#define PREISLISTE_DB_ENGINE_MDB_TEXT_KEY_H_

#include <string>
#include <string_view>

#include "db/engine/mdb/index_key.h"

namespace db::engine::mdb {

// The UTF-16 text that a text index key is made from: `utf8` converted, cut to the
// 255 characters Jet indexes, trailing blanks removed (Jet ignores them in keys).
// Invalid UTF-8 is a db::Error.
std::u16string TextKeySource(std::string_view utf8);

// Appends the key bytes of a non-NULL text after its flag byte, in the General
// (legacy) sort order, 0x409 version 0. A UTF-16 surrogate is a db::Error.
void AppendTextKey(std::u16string_view text, bool ascending, KeyBytes& key);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_TEXT_KEY_H_
