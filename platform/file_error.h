#ifndef PREISLISTE_PLATFORM_FILE_ERROR_H_
#define PREISLISTE_PLATFORM_FILE_ERROR_H_

#include <filesystem>
#include <string>

#include "core/error.h"

namespace platform {

// A file operation the system refused: "<what happened>: <reason>", e.g.
// "preise.csv kann nicht gelesen werden: Keine Berechtigung". The file and
// the reason stay available, so that a caller can say it in its own words
// ("changes.csv: Datei oder Ordner nicht gefunden").
class FileError : public core::Error {
 public:
  FileError(std::filesystem::path file, const std::string& what, std::string reason,
            Kind kind)
      : core::Error(what + ": " + reason, kind),
        file_(std::move(file)),
        reason_(std::move(reason)) {}

  const std::filesystem::path& file() const { return file_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path file_;
  std::string reason_;
};

// The system's number for a failure: errno on POSIX systems, GetLastError()
// on Windows.
using SystemErrorCode = unsigned long;

// The reason for `code` in German, by its kind: no space, no permission,
// write-protected, in use, a read or write error of the device, not found,
// a name too long, and so on. A code not foreseen says so and keeps the
// system's own text after it, so that nothing is hidden.
std::string SystemReason(SystemErrorCode code);

// The kind of failure `code` stands for.
core::Error::Kind KindOfSystemError(SystemErrorCode code);

// The name the operator knows for `file`, as the start of a sentence: the
// file itself, except for the temporary names that replacing a file makes
// beside it ("<name>.tmp-XXXXXX", "<name>.tmp-XXXXXX.bak"), which are said
// as the new version of <name> and as the backup <name>.bak.
std::string OperatorName(const std::filesystem::path& file);

// Whether `name` is one of those temporary names of `original` (file names
// without folder).
bool IsTemporaryNameOf(const std::string& name, const std::string& original);

// "<operator's name of file> <what>: <German reason>" for a failed request;
// `what` continues the name ("kann nicht gelesen werden").
FileError SystemFailure(const std::string& what, const std::filesystem::path& file,
                        SystemErrorCode code);

// "Der Ordner <folder> <what>: <German reason>".
FileError FolderFailure(const std::string& what, const std::filesystem::path& folder,
                        SystemErrorCode code);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_FILE_ERROR_H_
