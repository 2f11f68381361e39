#ifndef PREISLISTE_CORE_ERROR_H_
#define PREISLISTE_CORE_ERROR_H_

#include <stdexcept>
#include <string>

namespace core {

// A failure, thrown as an exception through the layers below the run and
// caught where a procedure turns it into its own message (the run driver,
// the import, each stretch of the price update). what() is the description
// that the operator reads after "Fehler: ", so it must read well on its own
// and name the values that let the operator act. kind() says what sort of
// failure it is, so that callers choose their reaction by it, never by
// searching the text.
//
// The convention, kept throughout the program:
// - Every failure our code raises is a core::Error (or a class derived from
//   it), and its kind is chosen where it is thrown: the constructor has no
//   default, so each throw site states it.
// - A failure reported by a library in its own way (a return code, an
//   exception of std::) becomes a core::Error where the library is called,
//   with the kind and the description the caller needs.
// - A catch names core::Error (or a class derived from it). Only the places
//   that turn any failure into the operator's message catch std::exception
//   as well, so that nothing unforeseen (no memory) ends the run unexplained.
//   A function that SQLite calls hands core::Error and std::bad_alloc to
//   SQLite as its result: no exception may pass through SQLite's C frames.
//
// Procedures that report to the operator themselves return a bool (or a
// result struct) after showing the message; nothing else signals failure by
// a return value.
class Error : public std::runtime_error {
 public:
  enum class Kind {
    kOther,        // none of the kinds below fits
    kNotFound,     // a file, table or column that is not there
    kPermission,   // the system refuses access
    kInUse,        // another program holds the file
    kDamaged,      // a file whose content is not what its format allows
    kUnsupported,  // valid, but something the program cannot handle exactly
    kConstraint,   // a write the table's rules refuse (key, required, width)
    kIo,           // reading or writing failed on the device
    kBadInput,     // the operator's data or settings are not usable
    kInternal,     // the program's own use of a layer is wrong: a statement
                   // the dialect refuses, a call out of order, a state the
                   // code never reaches
  };

  Error(const std::string& description, Kind kind)
      : std::runtime_error(description), kind_(kind) {}

  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace core

#endif  // PREISLISTE_CORE_ERROR_H_
