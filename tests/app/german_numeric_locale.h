#ifndef PREISLISTE_TESTS_APP_GERMAN_NUMERIC_LOCALE_H_
#define PREISLISTE_TESTS_APP_GERMAN_NUMERIC_LOCALE_H_

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/support/test_files.h"

namespace testing_support {

// Switches LC_NUMERIC to German (decimal comma) for the life of the object and
// back to "C" afterwards. When the system has no German locale, one is
// compiled with localedef into a temporary folder named by LOCPATH.
// active() is false when neither works.
class GermanNumericLocale {
 public:
  GermanNumericLocale() {
    if (TrySet()) return;
#ifndef _WIN32  // Windows has every locale built in
    if (std::system("command -v localedef >/dev/null 2>&1") != 0) return;
    compiled_ = std::make_unique<TempDir>();
    const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                (compiled_->path() / "de_DE.UTF-8").string() +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return;
    setenv("LOCPATH", compiled_->path().c_str(), 1);
    TrySet();
#endif
  }
  ~GermanNumericLocale() {
    std::setlocale(LC_NUMERIC, "C");
#ifndef _WIN32
    if (compiled_) unsetenv("LOCPATH");
#endif
  }

  bool active() const { return active_; }

 private:
  bool TrySet() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"})
      if (std::setlocale(LC_NUMERIC, name) != nullptr) return active_ = true;
    return false;
  }

  std::unique_ptr<TempDir> compiled_;
  bool active_ = false;
};

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_GERMAN_NUMERIC_LOCALE_H_
