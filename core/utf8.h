#ifndef PREISLISTE_CORE_UTF8_H_
#define PREISLISTE_CORE_UTF8_H_

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The program keeps every text as UTF-8; these are the few things it needs to
// know about that encoding, in one place. Conversions go through ICU.
namespace core {

// Whether `c` continues a character begun by an earlier byte (10xxxxxx).
constexpr bool IsUtf8ContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The number of characters (code points) of a text.
size_t CountCharacters(std::string_view utf8);

// The text cut after `characters` characters and marked with "…"; a shorter
// one whole. For quoting operator data in messages without flooding them.
std::string ShortenedText(std::string_view utf8, size_t characters);

// UTF-16 of a UTF-8 text; none when the text is not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// A path as UTF-8, as SQLite and the messages take it (on Windows, whose
// paths are UTF-16, path::string() would give the ANSI code page instead).
std::string PathToUtf8(const std::filesystem::path& path);

// The path a UTF-8 text names (settings, connection strings).
std::filesystem::path PathFromUtf8(std::string_view utf8);

}  // namespace core

#endif  // PREISLISTE_CORE_UTF8_H_
