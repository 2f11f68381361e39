#include "platform/win32/system_error.h"

#include "core/utf8.h"

namespace platform::win32 {

core::Error::Kind KindOfSystemError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return core::Error::Kind::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return core::Error::Kind::kPermission;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return core::Error::Kind::kInUse;
    default:
      return core::Error::Kind::kIo;
  }
}

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (length > 0 && text != nullptr) message.assign(text, text + length);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                              message.back() == u' ' || message.back() == u'.'))
    message.pop_back();
  if (message.empty()) return "Windows-Fehler " + std::to_string(error);
  return core::Utf16ToUtf8(message);
}

FileError SystemError(const std::string& what, const std::filesystem::path& file,
                      DWORD error) {
  return FileError(file, file.string() + " " + what, SystemMessage(error),
                   KindOfSystemError(error));
}

}  // namespace platform::win32
