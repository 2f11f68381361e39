#include "db/engine/mdb/header.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/text.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kEngineNameOffset = 0x04;
constexpr size_t kVersionOffset = 0x14;
constexpr size_t kMaskedOffset = 0x18;
constexpr size_t kMaskedSize = 128;
constexpr size_t kCodePageOffset = 0x3C;
constexpr size_t kEncodingKeyOffset = 0x3E;
constexpr size_t kPasswordOffset = 0x42;
constexpr size_t kPasswordSize = 40;
constexpr size_t kSortOrderOffset = 0x6E;
constexpr size_t kCreationDateOffset = 0x72;

// Jet hides 128 bytes of the header under the RC4 key stream of a fixed
// key; XOR with the same stream uncovers them.
std::array<uint8_t, kMaskedSize> HeaderMask() {
  static constexpr std::array<uint8_t, 4> kKey = {0xC7, 0xDA, 0x39, 0x6B};
  std::array<uint8_t, 256> state;
  for (int i = 0; i < 256; ++i) state[i] = static_cast<uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + state[i] + kKey[i % kKey.size()]) & 0xFF;
    std::swap(state[i], state[j]);
  }
  std::array<uint8_t, kMaskedSize> mask;
  for (size_t n = 0, i = 0, j = 0; n < kMaskedSize; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + state[i]) & 0xFF;
    std::swap(state[i], state[j]);
    mask[n] = state[(state[i] + state[j]) & 0xFF];
  }
  return mask;
}

void CheckFormat(const FileImage& image) {
  const std::span<const uint8_t> bytes = image.Start();
  static constexpr std::string_view kJet = "Standard Jet DB";
  static constexpr std::string_view kAce = "Standard ACE DB";
  auto name_is = [&](std::string_view name) {
    return bytes.size() >= kEngineNameOffset + name.size() &&
           std::equal(name.begin(), name.end(), bytes.begin() + kEngineNameOffset);
  };
  if (name_is(kAce))
    throw Error(
        "Die Datei ist eine Datenbank von Access 2007 oder neuer (ACE, .accdb); "
        "unterstützt werden nur Jet-4-Dateien (Access 2000/2003)",
        Error::Kind::kUnsupported);
  if (!name_is(kJet) || bytes.size() <= kVersionOffset || bytes[0] != 0)
    throw Error("Die Datei ist keine Access-Datenbank", Error::Kind::kBadInput);
  switch (bytes[kVersionOffset]) {
    case 0:
      throw Error(
          "Die Datei ist eine Jet-3-Datenbank (Access 97); unterstützt werden "
          "nur Jet-4-Dateien (Access 2000/2003)",
          Error::Kind::kUnsupported);
    case 1:
      break;
    default:
      throw Error(
          "Die Datei ist eine Datenbank von Access 2007 oder neuer; unterstützt "
          "werden nur Jet-4-Dateien (Access 2000/2003)",
          Error::Kind::kUnsupported);
  }
  if (image.size() < kPageSize || image.size() % kPageSize != 0)
    throw Error("Die Datenbankdatei ist beschädigt: ihre Größe von " +
                    std::to_string(image.size()) + " Bytes ist kein Vielfaches der " +
                    "Seitengröße von " + std::to_string(kPageSize) + " Bytes",
                Error::Kind::kDamaged);
}

}  // namespace

Header Header::Parse(const FileImage& image) {
  CheckFormat(image);
  const std::span<const uint8_t> stored = image.Page(0).bytes();
  std::vector<uint8_t> page0(stored.begin(), stored.end());
  const std::array<uint8_t, kMaskedSize> mask = HeaderMask();
  for (size_t i = 0; i < kMaskedSize; ++i) page0[kMaskedOffset + i] ^= mask[i];
  const ByteView view(page0, "Seite 0");

  if (view.U32(kEncodingKeyOffset) != 0)
    throw Error(
        "Die Datenbankdatei ist codiert (ihre Seiten sind verschlüsselt); "
        "codierte Dateien werden nicht unterstützt",
        Error::Kind::kUnsupported);
  Header header;
  header.code_page_ = view.U16(kCodePageOffset);
  header.sort_order_ = ReadSortOrder(view, kSortOrderOffset);
  header.creation_date_ = view.F64(kCreationDateOffset);

  // The password is masked once more with the four bytes of the whole part
  // of the creation date; all zeros after that means "no password".
  std::array<uint8_t, kPasswordSize> password;
  const double whole_days = std::floor(header.creation_date_);
  const int32_t date_key =
      std::isfinite(whole_days) && whole_days >= INT32_MIN && whole_days <= INT32_MAX
          ? static_cast<int32_t>(whole_days)
          : 0;
  const uint32_t key = static_cast<uint32_t>(date_key);
  for (size_t i = 0; i < kPasswordSize; ++i)
    password[i] =
        view.U8(kPasswordOffset + i) ^ static_cast<uint8_t>(key >> (8 * (i % 4)));
  size_t length = 0;
  while (length + 1 < kPasswordSize && (password[length] | password[length + 1]) != 0)
    length += 2;
  header.password_ = Utf16LeToUtf8(std::span(password).first(length));
  return header;
}

void Header::CheckPassword(std::string_view given) const {
  if (!password_.empty() && given != password_)
    throw Error("Das Datenbankkennwort stimmt nicht", Error::Kind::kPermission);
}

}  // namespace db::engine::mdb
