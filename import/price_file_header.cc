#include "import/price_file_header.h"

#include "core/ascii.h"
#include "core/utf8.h"
#include "import/line_decoder.h"

namespace price_import {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// The line's start is quoted up to this many characters.
constexpr size_t kQuotedCharacters = 30;

const std::string kMustBegin =
    "sie muss mit \xE2\x80\x9E" + std::string(kPriceFileHeader) + "\xE2\x80\x9C beginnen";

// The start of the line as readable text: decoded like the data lines,
// control characters shown as "?", cut after kQuotedCharacters characters.
std::string QuotedStart(std::string line) {
  LineDecoder().ToUtf8(line);
  std::string start;
  size_t characters = 0;
  for (const char c : line) {
    if (!core::IsUtf8ContinuationByte(c) && characters++ == kQuotedCharacters) {
      start += "\xE2\x80\xA6";  // …
      break;
    }
    start += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  }
  return "\xE2\x80\x9E" + start + "\xE2\x80\x9C";
}

}  // namespace

bool IsPriceFileHeader(std::string_view first_line) {
  return core::EqualIgnoringAsciiCase(first_line.substr(0, kPriceFileHeader.size()),
                                      kPriceFileHeader);
}

std::string WhyNoPriceFileHeader(const std::optional<std::string>& first_line,
                                 bool read_failed) {
  if (!first_line) {
    if (read_failed) return "Die Preisdatei konnte nicht gelesen werden.";
    return "Die Datei enthält keine Zeile; " + kMustBegin + ".";
  }
  if (first_line->starts_with(kUtf8ByteOrderMark)) {
    const bool header_follows = IsPriceFileHeader(
        std::string_view(*first_line).substr(kUtf8ByteOrderMark.size()));
    return std::string(
               "Die Datei beginnt mit einer UTF-8-Bytereihenfolge-Markierung (BOM)") +
           (header_follows
                ? " vor \xE2\x80\x9E" + std::string(kPriceFileHeader) + "\xE2\x80\x9C"
                : "") +
           ", wie sie beim Speichern als \xE2\x80\x9E"
           "CSV UTF-8\xE2\x80\x9C entsteht. "
           "Bitte die Datei als CSV ohne BOM speichern.";
  }
  return "Die erste Zeile beginnt mit " + QuotedStart(*first_line) + "; " + kMustBegin +
         ".";
}

}  // namespace price_import
