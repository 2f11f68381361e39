#ifndef PREISLISTE_DB_ENGINE_MDB_HEADER_H_
#define PREISLISTE_DB_ENGINE_MDB_HEADER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/sort_order.h"

namespace db::engine::mdb {

// Page 0 of a Jet 4 file, unmasked. Parse accepts only what the rest of the
// engine can handle and refuses everything else with a db::Error that names
// the reason: another format (Jet 3 / Access 97, ACE / .accdb, not a Jet file
// at all), page encoding (a non-zero encoding key), a sort order other than
// General, a size that is not a whole number of pages.
class Header {
 public:
  static Header Parse(const FileImage& image);

  // The database password, UTF-8; empty when the file has none.
  const std::string& password() const { return password_; }
  // Throws db::Error unless `given` opens the file: a file without a
  // password opens with any; otherwise the password must match exactly
  // (Jet compares database passwords with letter case).
  void CheckPassword(std::string_view given) const;

  uint16_t code_page() const { return code_page_; }
  // The database's sort order, the one Access gives new text columns and
  // uses when it compacts the file.
  SortOrder sort_order() const { return sort_order_; }
  // Days since 1899-12-30, as Jet stores dates.
  double creation_date() const { return creation_date_; }

 private:
  std::string password_;
  uint16_t code_page_ = 0;
  SortOrder sort_order_;
  double creation_date_ = 0;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_HEADER_H_
