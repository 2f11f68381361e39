#ifndef PREISLISTE_CORE_ERROR_H_
#define PREISLISTE_CORE_ERROR_H_

#include <stdexcept>
#include <string>

namespace core {

// A failed database operation. what() is the description text that callers
// show to the user after "Fehler: ", so it must read well on its own.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace core

#endif  // PREISLISTE_CORE_ERROR_H_
