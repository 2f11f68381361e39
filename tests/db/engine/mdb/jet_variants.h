#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_JET_VARIANTS_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_JET_VARIANTS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace mdb_test {

// Variants of the Jet test files that Access makes on other machines, made
// by changing bytes of a copy.

// Gives the file the database sort order `locale` / `version` (the four
// bytes at 0x6E of the header, under its mask). The columns keep theirs.
void SetSortOrder(std::vector<uint8_t>& bytes, uint32_t locale, uint8_t version);

// Gives the text column `column` of `table` the sort order `locale` /
// `version` (the four bytes at 11 of its entry in the table's definition,
// which must fit its first page).
void SetColumnSortOrder(std::vector<uint8_t>& bytes, const std::string& table,
                        const std::string& column, uint32_t locale, uint8_t version);

// Turns the global page map (row 0 of page 1) into a reference map, as
// Access stores it in larger files: the row lists one usage-map page, added
// after the file's own pages, whose bits say what the inline map said
// (pages outside its window in use) and mark every page after the map page
// free. A test may pad the copy with zero pages (free, then) up to the first
// map page's last page, served on demand or left as a hole in a sparse file.
std::vector<uint8_t> WithReferencePageMap(std::vector<uint8_t> bytes);

}  // namespace mdb_test

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_JET_VARIANTS_H_
