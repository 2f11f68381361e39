#include "platform/file_error.h"

#include <cctype>

namespace platform {
namespace {

constexpr char kTemporaryMark[] = ".tmp-";
constexpr size_t kTemporaryLetters = 6;

// The name a temporary name stands for and whether it is a backup's; none
// when `name` is no temporary name.
bool SplitTemporaryName(const std::string& name, std::string& original, bool& backup) {
  const size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string::npos || mark == 0) return false;
  const size_t letters = mark + sizeof kTemporaryMark - 1;
  if (name.size() < letters + kTemporaryLetters) return false;
  for (size_t i = letters; i < letters + kTemporaryLetters; ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
  const std::string rest = name.substr(letters + kTemporaryLetters);
  if (!rest.empty() && rest != ".bak") return false;
  original = name.substr(0, mark);
  backup = !rest.empty();
  return true;
}

}  // namespace

bool IsTemporaryNameOf(const std::string& name, const std::string& original) {
  std::string stands_for;
  bool backup = false;
  return SplitTemporaryName(name, stands_for, backup) && stands_for == original;
}

std::string OperatorName(const std::filesystem::path& file) {
  std::string original;
  bool backup = false;
  if (!SplitTemporaryName(file.filename().string(), original, backup))
    return file.string();
  const std::filesystem::path stands_for = file.parent_path() / original;
  if (backup) return "Die Sicherung " + stands_for.string() + ".bak";
  return "Die neue Fassung von " + stands_for.string();
}

FileError SystemFailure(const std::string& what, const std::filesystem::path& file,
                        SystemErrorCode code) {
  return FileError(file, OperatorName(file) + " " + what, SystemReason(code),
                   KindOfSystemError(code));
}

FileError FolderFailure(const std::string& what, const std::filesystem::path& folder,
                        SystemErrorCode code) {
  return FileError(folder, "Der Ordner " + folder.string() + " " + what,
                   SystemReason(code), KindOfSystemError(code));
}

}  // namespace platform
