#include "app/run_checks.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iterator>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "app/setting_number.h"
#include "core/utf8.h"

namespace app {
namespace {

using price_import::LineFault;
using price_import::PriceFileLines;

std::string Count(int64_t count) { return std::to_string(count); }

// To a tenth where that is not whole, so that a share just above a limit
// does not read as the limit itself ("5,4 %", not "5 %"); only for messages,
// the checks compare exactly.
std::string Percent(int64_t part, int64_t whole) {
  const int64_t tenths =
      std::llround(1000.0 * static_cast<double>(part) / static_cast<double>(whole));
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) {
    text += ',';
    text += static_cast<char>('0' + tenths % 10);
  }
  return text + " %";
}

// Whether `part` is more than `percent` percent of `whole`; never at 100.
bool Exceeds(int64_t part, int64_t whole, int percent) {
  return percent < 100 && part * 100 > static_cast<int64_t>(percent) * whole;
}

std::string FaultText(LineFault fault) {
  switch (fault) {
    case LineFault::kTooFewFields:
      return "weniger als drei durch ';' getrennte Felder";
    case LineFault::kPrefixNotDigits:
      return "Vorwahl nicht nur aus Ziffern";
    case LineFault::kPriceMissing:
      return "Preis fehlt";
    case LineFault::kPriceNotNumber:
      return "Preis ist keine Zahl";
    case LineFault::kPriceNegative:
      return "Preis negativ";
    case LineFault::kNone:
      break;
  }
  return {};
}

std::string MalformedReason(const PriceFileLines& lines, int limit) {
  std::string text = Count(lines.malformed) + " von " + Count(lines.read) +
                     " Datenzeilen (" + Percent(lines.malformed, lines.read) +
                     ") sind keine Zeilen einer Preisliste; erlaubt sind " +
                     std::to_string(limit) + " % (" + kMaxMalformedKey + "):\n";
  for (const PriceFileLines::Line& line : lines.first_malformed)
    text += "  Zeile " + Count(line.number) + " (" + FaultText(line.fault) +
            "): " + line.text + "\n";
  if (lines.malformed > static_cast<int64_t>(lines.first_malformed.size()))
    text += "  ...\n";
  if (lines.other_separator * 2 >= lines.malformed)
    text +=
        "Die Zeilen haben kein ';', aber Kommas oder Tabulatoren: die Datei ist "
        "wohl mit einem anderen Trennzeichen gespeichert worden.\n";
  return text;
}

std::set<std::string> Prefixes(const std::vector<pricing::PriceListRow>& rows) {
  std::set<std::string> prefixes;
  for (const pricing::PriceListRow& row : rows) prefixes.insert(row.number);
  return prefixes;
}

// The removed prefixes that come back in `now` without their leading zeros,
// as a spreadsheet writes "0043" when it takes it for a number: how many, and
// the first.
std::pair<int64_t, std::string> LostLeadingZeros(const std::set<std::string>& removed,
                                                 const std::set<std::string>& now) {
  int64_t count = 0;
  std::string example;
  for (const std::string& prefix : removed) {
    const size_t digit = prefix.find_first_not_of('0');
    if (digit == 0 || digit == prefix.npos || !now.contains(prefix.substr(digit)))
      continue;
    if (count++ == 0) example = prefix.substr(digit) + " statt " + prefix;
  }
  return {count, example};
}

std::string ShrinkReason(const std::set<std::string>& before,
                         const std::set<std::string>& after,
                         const std::set<std::string>& removed, int limit) {
  const auto size = [](const std::set<std::string>& s) {
    return static_cast<int64_t>(s.size());
  };
  std::string text =
      "Die neue Preisliste hätte " + Count(size(after)) + " Vorwahlen statt bisher " +
      Count(size(before)) + ": " + Count(size(removed)) + " bisherige Vorwahlen (" +
      Percent(size(removed), size(before)) + ") fielen weg; erlaubt sind " +
      std::to_string(limit) + " % (" + kMaxRemovedKey + ").\n";
  const auto [lost_zeros, example] = LostLeadingZeros(removed, after);
  if (lost_zeros * 2 >= size(removed))
    text += "Den Vorwahlen der Datei fehlen die führenden Nullen (" + example +
            "): die Datei ist wohl in einer Tabellenkalkulation geöffnet und "
            "gespeichert worden.\n";
  return text;
}

// When the file was last changed, local time: "10.12.2026 um 14:05".
std::string ChangedAt(std::filesystem::file_time_type time) {
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(time));
  const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
  const std::tm* local = std::localtime(&seconds);
  char text[32];
  if (local == nullptr ||
      std::strftime(text, sizeof text, "%d.%m.%Y um %H:%M", local) == 0)
    return "?";
  return text;
}

std::string FileLine(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  std::string text = "Preisdatei: " + core::PathToUtf8(error ? path : full);
  const auto size = std::filesystem::file_size(path, error);
  const auto changed = error ? std::filesystem::file_time_type{}
                             : std::filesystem::last_write_time(path, error);
  if (!error)
    text += " (" + Count(static_cast<int64_t>(size)) + " Bytes, geändert am " +
            ChangedAt(changed) + ")";
  text += "\n";
  // LocatePriceFile gives a file of the current folder by its plain name.
  if (path.has_parent_path())
    text += "  aus dem Ordner des Programms: im aktuellen Ordner lag keine " +
            core::PathToUtf8(path.filename()) + "\n";
  return text;
}

std::string LinesLine(const PriceFileLines& lines) {
  std::string text = "Zeilen: " + Count(lines.read) + " gelesen, " +
                     Count(lines.taken()) + " übernommen, " +
                     Count(lines.read - lines.taken()) + " ausgelassen (" +
                     Count(lines.price_above_limit) + " Einkaufspreis über 3, " +
                     Count(lines.prefix_not_number) + " Vorwahl keine Zahl), " +
                     Count(lines.malformed) + " fehlerhaft";
  if (lines.malformed == 0) return text + ".\n";
  text += " (Zeile";
  if (lines.malformed > 1) text += "n";
  for (size_t i = 0; i < lines.first_malformed.size(); ++i)
    text += (i == 0 ? " " : ", ") + Count(lines.first_malformed[i].number);
  if (lines.malformed > static_cast<int64_t>(lines.first_malformed.size()))
    text += " ...";
  return text + ").\n";
}

}  // namespace

CheckLimitsOrMessage ReadCheckLimits(const SettingsStore& store) {
  CheckLimits limits;
  try {
    for (const auto& [key, limit] :
         {std::pair{kMaxMalformedKey, &limits.max_malformed_percent},
          std::pair{kMaxRemovedKey, &limits.max_removed_percent}}) {
      const std::string value = store.Get(kChecksSection, key, std::to_string(*limit));
      const std::optional<int> percent = ReadWholeSetting(value, 0, 100);
      if (!percent)
        return {std::nullopt, std::string("Die Einstellung \"") + key +
                                  "\" im Abschnitt [" + kChecksSection +
                                  "] ist keine ganze Zahl von 0 bis 100: \"" + value +
                                  "\". Bitte eine Prozentzahl eintragen (100 schaltet "
                                  "die Prüfung ab), z. B. " +
                                  key + "=" + std::to_string(*limit) + "."};
      *limit = *percent;
    }
  } catch (const std::exception& error) {
    return {std::nullopt, error.what()};
  }
  return {limits, {}};
}

std::vector<std::string> CheckNewList(
    const CheckLimits& limits, const PriceFileLines& lines,
    const std::vector<pricing::PriceListRow>& old_rows,
    const std::vector<pricing::PriceListRow>& new_rows) {
  std::vector<std::string> reasons;
  if (Exceeds(lines.malformed, lines.read, limits.max_malformed_percent))
    reasons.push_back(MalformedReason(lines, limits.max_malformed_percent));

  const std::set<std::string> before = Prefixes(old_rows), after = Prefixes(new_rows);
  std::set<std::string> removed;
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                      std::inserter(removed, removed.end()));
  if (Exceeds(static_cast<int64_t>(removed.size()), static_cast<int64_t>(before.size()),
              limits.max_removed_percent))
    reasons.push_back(ShrinkReason(before, after, removed, limits.max_removed_percent));
  return reasons;
}

std::string StopReason(const std::vector<std::string>& reasons) {
  std::string text;
  for (const std::string& reason : reasons) text += reason;
  return text +
         "Die Preisliste bleibt, wie sie war. Stimmt die Datei doch, einmal mit "
         "--ohne-pruefung starten oder die Grenzen im Abschnitt [" +
         kChecksSection + "] der Einstellungen ändern.";
}

std::string PriceFileSummary(const price_import::PriceFileSeen& file) {
  return FileLine(file.path) + LinesLine(file.lines);
}

}  // namespace app
