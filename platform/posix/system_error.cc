#include <cerrno>
#include <cstring>

#include "platform/file_error.h"

namespace platform {

core::Error::Kind KindOfSystemError(SystemErrorCode code) {
  switch (static_cast<int>(code)) {
    case ENOENT:
    case ENOTDIR:
      return core::Error::Kind::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return core::Error::Kind::kPermission;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return core::Error::Kind::kInUse;
    default:
      return core::Error::Kind::kIo;
  }
}

std::string SystemReason(SystemErrorCode code) {
  switch (static_cast<int>(code)) {
    case ENOSPC:
      return "Auf dem Datenträger ist kein Platz mehr";
    case EDQUOT:
      return "Der Speicherplatz, der diesem Benutzer zusteht, ist aufgebraucht";
    case EACCES:
    case EPERM:
      return "Keine Berechtigung";
    case EROFS:
      return "Der Datenträger ist schreibgeschützt";
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return "Die Datei ist von einem anderen Programm belegt";
    case EIO:
    case ENXIO:
    case ENODEV:
      return "Der Datenträger meldet einen Lese- oder Schreibfehler";
    case ENOENT:
    case ENOTDIR:
      return "Datei oder Ordner nicht gefunden";
    case ENAMETOOLONG:
      return "Der Name ist zu lang";
    case ENOMEM:
      return "Nicht genug Arbeitsspeicher";
    case EFBIG:
    case EOVERFLOW:
      return "Die Datei ist zu groß";
    case EMFILE:
    case ENFILE:
      return "Zu viele offene Dateien";
    case EISDIR:
      return "Das ist ein Ordner";
    case EEXIST:
      return "Eine Datei dieses Namens gibt es schon";
    case ESTALE:
    case ENOTCONN:
    case ETIMEDOUT:
    case ECONNRESET:
    case EHOSTUNREACH:
      return "Die Verbindung zum Netzlaufwerk ist unterbrochen";
    default:
      return "Unerwarteter Systemfehler (" +
             std::string(std::strerror(static_cast<int>(code))) + ")";
  }
}

}  // namespace platform
