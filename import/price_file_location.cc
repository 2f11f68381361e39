#include "import/price_file_location.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "core/ascii.h"
#include "core/error.h"
#include "core/utf8.h"
#include "platform/program_folder.h"

namespace price_import {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored) &&
         !std::filesystem::is_directory(path, ignored);
}

// The file in `folder` named `file_name` exactly or, failing that, the first
// (in name order) whose name differs only in letter case.
std::optional<std::filesystem::path> FindIn(const std::filesystem::path& folder,
                                            const std::string& file_name) {
  if (IsFile(folder / file_name)) return folder / file_name;
  std::error_code error;
  std::optional<std::filesystem::path> found;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& candidate = it->path();
    if (core::EqualIgnoringAsciiCase(candidate.filename().string(), file_name) &&
        IsFile(candidate) && (!found || candidate < *found))
      found = candidate;
  }
  return found;
}

}  // namespace

std::optional<std::filesystem::path> LocatePriceFileIn(
    const std::string& file_name, const std::filesystem::path& first_folder,
    const std::filesystem::path& second_folder) {
  for (const std::filesystem::path& folder : {first_folder, second_folder}) {
    if (folder.empty()) continue;
    if (auto found = FindIn(folder, file_name)) return *found;
  }
  return std::nullopt;
}

std::filesystem::path LocatePriceFile(const std::string& file_name) {
  const std::filesystem::path program_folder = platform::ProgramFolder();
  const auto found = LocatePriceFileIn(file_name, ".", program_folder);
  if (!found) {
    std::error_code ignored;
    std::string where = "\"" + core::PathToUtf8(std::filesystem::current_path(ignored)) +
                        "\" (aktueller Ordner)";
    if (!program_folder.empty())
      where += " und \"" + core::PathToUtf8(program_folder) + "\" (Ordner des Programms)";
    throw core::Error("Die Preisdatei \"" + file_name +
                          "\" wurde nicht gefunden. Gesucht in: " + where + ".",
                      core::Error::Kind::kNotFound);
  }
  // A file of the current folder is opened by its plain name, as the operator
  // knows it; messages then name it the same way.
  return found->parent_path() == "." ? found->filename() : *found;
}

}  // namespace price_import
