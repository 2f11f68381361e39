#ifndef PREISLISTE_DB_ENGINE_TEXT_TOO_LONG_H_
#define PREISLISTE_DB_ENGINE_TEXT_TOO_LONG_H_

#include <cstddef>
#include <string>

#include "db/engine/core_types.h"

namespace db::engine {

// A text refused because it is longer than its column's declared width
// (VARCHAR(n)), whichever way it was written: a statement or a record set.
// The description names the column, the width and the value,
// "Name: Text länger als 10 Zeichen: Deutschland Mobilfunk"; the parts stay
// available so that a caller can say which row the value belongs to.
class TextTooLong : public Error {
 public:
  TextTooLong(std::string column, size_t limit, std::string value);

  const std::string& column() const { return column_; }
  size_t limit() const { return limit_; }
  const std::string& value() const { return value_; }

 private:
  std::string column_;
  size_t limit_;
  std::string value_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_TEXT_TOO_LONG_H_
