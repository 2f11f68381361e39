#ifndef PREISLISTE_PLATFORM_FILE_ERROR_H_
#define PREISLISTE_PLATFORM_FILE_ERROR_H_

#include <filesystem>
#include <string>

#include "core/error.h"

namespace platform {

// A file operation the system refused: "<what happened>: <system reason>",
// e.g. "preise.csv kann nicht gelesen werden: Permission denied". The file
// and the system's reason stay available, so that a caller can say it in
// its own words ("changes.csv: No such file or directory").
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

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_FILE_ERROR_H_
