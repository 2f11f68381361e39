#include "platform/win32/system_error.h"

#include "core/utf8.h"

namespace platform {

core::Error::Kind KindOfSystemError(SystemErrorCode code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
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

std::string SystemReason(SystemErrorCode code) {
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "Auf dem Datenträger ist kein Platz mehr";
    case ERROR_ACCESS_DENIED:
      return "Keine Berechtigung";
    case ERROR_WRITE_PROTECT:
      return "Der Datenträger ist schreibgeschützt";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "Die Datei ist von einem anderen Programm belegt";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_SEEK:
    case ERROR_NOT_READY:
      return "Der Datenträger meldet einen Lese- oder Schreibfehler";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return "Datei oder Ordner nicht gefunden";
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return "Der Name ist zu lang";
    case ERROR_INVALID_NAME:
      return "Der Name ist ungültig";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "Nicht genug Arbeitsspeicher";
    case ERROR_FILE_TOO_LARGE:
      return "Die Datei ist zu groß";
    case ERROR_TOO_MANY_OPEN_FILES:
      return "Zu viele offene Dateien";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "Eine Datei dieses Namens gibt es schon";
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
      return "Die Verbindung zum Netzlaufwerk ist unterbrochen";
    default:
      return "Unerwarteter Systemfehler (" + win32::SystemMessage(code) + ")";
  }
}

namespace win32 {

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

}  // namespace win32
}  // namespace platform
