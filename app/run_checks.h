#ifndef PREISLISTE_APP_RUN_CHECKS_H_
#define PREISLISTE_APP_RUN_CHECKS_H_

#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "import/price_file_lines.h"
#include "pricing/price_list_rows.h"

namespace app {

// The look at the whole result before it replaces the operator's price list:
// a file that is plainly no price list, or a new list that loses most of the
// current one, stops the run although every single line was handled.

inline constexpr char kChecksSection[] = "Pruefung";
inline constexpr char kMaxMalformedKey[] = "MaxFehlerhafteZeilen";
inline constexpr char kMaxRemovedKey[] = "MaxWegfall";

// Whole percent 0..100; 100 switches a check off.
struct CheckLimits {
  int max_malformed_percent = 5;  // of the data lines
  int max_removed_percent = 30;   // of the current list's prefixes
};

struct CheckLimitsOrMessage {
  std::optional<CheckLimits> limits;
  std::string message;  // the settings error, naming key and value
};

// Reads section [Pruefung]; a value that is not a whole number from 0 to 100
// (blanks around it allowed) stops the run with a message of its own.
CheckLimitsOrMessage ReadCheckLimits(const SettingsStore& store);

// Why the new list must not replace the current one, one text per failed
// check (German, several lines each); empty when both pass. `old_rows` is
// Numbers before the run, `new_rows` the list that would replace it.
std::vector<std::string> CheckNewList(const CheckLimits& limits,
                                      const price_import::PriceFileLines& lines,
                                      const std::vector<pricing::PriceListRow>& old_rows,
                                      const std::vector<pricing::PriceListRow>& new_rows);

// The detail of the "Falsche Datei" message for the reasons of CheckNewList.
std::string StopReason(const std::vector<std::string>& reasons);

// The summary's part on the price file: where it was found (said so when it
// was taken from beside the program), its size and time of last change, and
// its data lines: read, taken, left out by the preparation's rules, and
// malformed with the first line numbers. Lines end in '\n'.
std::string PriceFileSummary(const price_import::PriceFileSeen& file);

}  // namespace app

#endif  // PREISLISTE_APP_RUN_CHECKS_H_
