#include "import/line_decoder.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include "core/error.h"

namespace price_import {
namespace {

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

void ThrowIfFailed(UErrorCode status, const char* what) {
  if (U_FAILURE(status))
    throw core::Error(std::string(what) + ": " + u_errorName(status),
                      core::Error::Kind::kOther);
}

}  // namespace

LineDecoder::LineDecoder() {
  UErrorCode status = U_ZERO_ERROR;
  windows1252_ = ucnv_open("windows-1252", &status);
  ThrowIfFailed(status, "Cannot load the Windows-1252 code page");
}

LineDecoder::~LineDecoder() { ucnv_close(windows1252_); }

void LineDecoder::ToUtf8(std::string& line) {
  if (IsAscii(line)) return;
  // ICU counts in 32 bits, and a decoded byte may take three.
  if (line.size() > INT32_MAX / 3)
    throw core::Error("Eine Zeile der Preisdatei ist zu lang",
                      core::Error::Kind::kBadInput);
  if (IsValidUtf8(line)) return;
  // Every Windows-1252 byte is one UTF-16 unit and at most three UTF-8 bytes.
  const int32_t length = static_cast<int32_t>(line.size());
  utf16_.resize(line.size());
  UErrorCode status = U_ZERO_ERROR;
  const int32_t units =
      ucnv_toUChars(windows1252_, utf16_.data(), length, line.data(), length, &status);
  if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
  ThrowIfFailed(status, "Cannot decode a Windows-1252 line");
  std::string utf8(static_cast<size_t>(units) * 3, '\0');
  int32_t written = 0;
  u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &written, utf16_.data(),
              units, &status);
  if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
  ThrowIfFailed(status, "Cannot write a line as UTF-8");
  utf8.resize(static_cast<size_t>(written));
  line = std::move(utf8);
}

}  // namespace price_import
