#include "db/engine/mdb/data_page.h"

#include <string>

#include "db/engine/core_types.h"

namespace db::engine::mdb {

ByteView PageOfType(const FileImage& image, uint32_t number, PageType type,
                    const char* what) {
  ByteView page = image.Page(number);
  if (number == 0 || page.U8(0) != static_cast<uint8_t>(type))
    throw Error("Die Datenbankdatei ist beschädigt: Seite " + std::to_string(number) +
                    " sollte " + what + " enthalten, enthält aber etwas anderes",
                Error::Kind::kDamaged);
  return page;
}

DataPage::DataPage(const FileImage& image, uint32_t number)
    : number_(number), page_(PageOfType(image, number, PageType::kData, "Datenzeilen")) {}

uint16_t DataPage::RowOffset(uint16_t row) const {
  if (row >= row_count())
    throw Error("Die Datenbankdatei ist beschädigt: " + page_.name() +
                    " hat keine Zeile " + std::to_string(row),
                Error::Kind::kDamaged);
  return page_.U16(kRowCountOffset + 2 + size_t{row} * 2);
}

DataPage::RowKind DataPage::Kind(uint16_t row) const {
  const uint16_t offset = RowOffset(row);
  if ((offset & kMovedFlag) && (offset & kForwardFlag)) return RowKind::kDeleted;
  if (offset & kMovedFlag) return RowKind::kMoved;
  if (offset & kForwardFlag) return RowKind::kForward;
  return RowKind::kLive;
}

ByteView DataPage::Row(uint16_t row) const {
  if (Kind(row) == RowKind::kDeleted)
    throw Error("Die Datenbankdatei ist beschädigt: sie verweist auf Zeile " +
                    std::to_string(row) + " auf " + page_.name() + ", die gelöscht ist",
                Error::Kind::kDamaged);
  const uint16_t offset = RowOffset(row);
  const size_t start = offset & kOffsetMask;
  const size_t end = row == 0 ? kPageSize : RowOffset(row - 1) & kOffsetMask;
  const size_t table_end = kRowCountOffset + 2 + size_t{row_count()} * 2;
  if (start < table_end || end < start)
    throw Error("Die Datenbankdatei ist beschädigt: Zeile " + std::to_string(row) +
                    " auf " + page_.name() + " liegt an einer unmöglichen Stelle",
                Error::Kind::kDamaged);
  return ByteView(page_.bytes().subspan(start, end - start),
                  "Zeile " + std::to_string(row) + " auf " + page_.name());
}

ByteView FindRow(const FileImage& image, RowPointer pointer) {
  return DataPage(image, pointer.page).Row(pointer.row);
}

}  // namespace db::engine::mdb
