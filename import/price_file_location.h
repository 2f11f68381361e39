#ifndef PREISLISTE_IMPORT_PRICE_FILE_LOCATION_H_
#define PREISLISTE_IMPORT_PRICE_FILE_LOCATION_H_

#include <filesystem>
#include <optional>
#include <string>

namespace price_import {

// Where the price file `file_name` is: in the current folder, else in the
// folder of the running program. In each folder the exact name wins; a file
// whose name differs only in letter case ("Preise.csv") is accepted too,
// because the operator saves the file under whatever name the portal offers.
// A file of the current folder comes back as its plain name, one beside the
// program with that folder. When neither folder has it, throws a kNotFound
// core::Error naming both folders, so that the operator knows where to put it.
std::filesystem::path LocatePriceFile(const std::string& file_name);

// The same search in the given folders, in order; none when neither has it.
std::optional<std::filesystem::path> LocatePriceFileIn(
    const std::string& file_name, const std::filesystem::path& first_folder,
    const std::filesystem::path& second_folder);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_PRICE_FILE_LOCATION_H_
