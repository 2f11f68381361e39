#include "db/engine/mdb/header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "core/error.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/jet_variants.h"
#include "tests/db/engine/mdb/oracles.h"

namespace mdb_test {
namespace {

namespace mdb = db::engine::mdb;

mdb::Header ParseFile(const std::string& relative) {
  return mdb::Header::Parse(mdb::FileImage(ReadBytes(JetFile(relative))));
}

TEST(HeaderTest, PasswordsAreTheOnesTheFilesWereGiven) {
  const struct {
    const char* file;
    const char* password;
  } cases[] = {
      {"numbers/numbers-plain.mdb", "Falter"},
      {"numbers/numbers-pk.mdb", "Falter"},
      {"numbers/numbers-autoid.mdb", "Falter"},
      {"numbers/numbers-big.mdb", "Falter"},
      {"numbers/numbers-other-password.mdb", "Geheim"},
      {"numbers/numbers-no-password.mdb", ""},
      {"access-made/indexTestV2000.mdb", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseFile(c.file).password(), c.password) << c.file;
}

TEST(HeaderTest, PasswordsAsMdbReaderReadsThem) {
  for (const auto& file : AllJetFiles()) {
    const mdb::Header header = mdb::Header::Parse(mdb::FileImage(ReadBytes(file)));
    EXPECT_EQ(header.password(), MdbReaderPassword(file).value_or("")) << file;
  }
}

TEST(HeaderTest, CheckPasswordAcceptsOnlyTheExactPassword) {
  const mdb::Header header = ParseFile("numbers/numbers-pk.mdb");
  EXPECT_NO_THROW(header.CheckPassword("Falter"));
  for (const char* wrong : {"falter", "FALTER", "Falte", "Falter ", "", "Geheim"})
    EXPECT_THROW(header.CheckPassword(wrong), core::Error) << wrong;
}

TEST(HeaderTest, FileWithoutPasswordOpensWithAny) {
  const mdb::Header header = ParseFile("numbers/numbers-no-password.mdb");
  EXPECT_NO_THROW(header.CheckPassword("Falter"));
  EXPECT_NO_THROW(header.CheckPassword(""));
}

TEST(HeaderTest, GeneralSortOrderAndWindowsCodePage) {
  for (const auto& file : AllJetFiles()) {
    const mdb::Header header = mdb::Header::Parse(mdb::FileImage(ReadBytes(file)));
    EXPECT_EQ(header.sort_order(), mdb::kGeneralSortOrder) << file;
    EXPECT_EQ(header.code_page(), 1252) << file;
  }
}

// The whole sort-order field is read (the locale with its sort variant in
// the third byte, the version in the fourth) and named as Access names it;
// no order is refused by the header itself. The fields beside it under the
// mask (password, creation date) read as before.
TEST(HeaderTest, SortOrderIsReadWholeAndNamedInGerman) {
  const struct {
    uint32_t locale;
    uint8_t version;
    const char* name;
  } cases[] = {
      {0x00409, 0, "Allgemein – Legacy"},
      {0x00409, 1, "Allgemein"},
      {0x00409, 2, "Allgemein Version 2"},
      {0x10407, 0, "Deutsch (Telefonbuch)"},
      {0x00407, 0, "Deutsch"},
      {0x0041F, 0, "Türkisch"},
      {0x00415, 0, "Polnisch"},
      {0x00419, 0, "Russisch (Kyrillisch)"},
      {0x0040E, 0, "Ungarisch"},
      {0x1040E, 0, "Ungarisch (technisch)"},
      {0x0041D, 0, "Finnisch/Schwedisch"},
      {0x00405, 0, "Tschechisch"},
      {0x00408, 0, "Griechisch"},
      {0x0041F, 1, "Türkisch Version 1"},
      {0x1041A, 0, "0x0001041A"},
      {0xFFFFFF, 255, "0x00FFFFFF Version 255"},
  };
  const std::vector<uint8_t> original = ReadBytes(JetFile("numbers/numbers-pk.mdb"));
  const mdb::Header general = mdb::Header::Parse(mdb::FileImage(original));
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = original;
    SetSortOrder(bytes, c.locale, c.version);
    const mdb::Header header = mdb::Header::Parse(mdb::FileImage(bytes));
    EXPECT_EQ(header.sort_order(), (mdb::SortOrder{c.locale, c.version})) << c.name;
    EXPECT_EQ(mdb::SortOrderName(header.sort_order()), c.name);
    EXPECT_EQ(header.password(), general.password()) << c.name;
    EXPECT_EQ(header.creation_date(), general.creation_date()) << c.name;
  }
}

// Files the engine cannot handle are refused with their reason. The masked
// encoding key is changed in the stored bytes: any change there changes the
// unmasked value.
TEST(HeaderTest, RefusesWhatItCannotHandleWithTheReason) {
  using Bytes = std::vector<uint8_t>;
  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
    const char* reason;
  } cases[] = {
      {"Jet 3", [](Bytes& b) { b[0x14] = 0; }, "Jet-3-Datenbank (Access 97)"},
      {"ACE version", [](Bytes& b) { b[0x14] = 2; }, "Access 2007 oder neuer"},
      {"ACE name", [](Bytes& b) { std::memcpy(&b[4], "Standard ACE DB", 15); }, ".accdb"},
      {"no Jet file", [](Bytes& b) { b[4] = 'X'; }, "keine Access-Datenbank"},
      {"empty", [](Bytes& b) { b.clear(); }, "keine Access-Datenbank"},
      {"encoding key", [](Bytes& b) { b[0x3E] ^= 1; }, "codiert"},
      {"cut-off page", [](Bytes& b) { b.resize(b.size() - 100); }, "kein Vielfaches"},
      {"shorter than a page", [](Bytes& b) { b.resize(100); }, "kein Vielfaches"},
      {"too short for the name", [](Bytes& b) { b.resize(10); },
       "keine Access-Datenbank"},
  };
  const Bytes original = ReadBytes(JetFile("numbers/numbers-pk.mdb"));
  for (const auto& c : cases) {
    Bytes bytes = original;
    c.damage(bytes);
    // The same from the bytes in memory and from pages read on demand.
    const auto read = [&bytes](uint64_t offset, std::span<uint8_t> into) {
      ASSERT_LE(offset + into.size(), bytes.size());
      std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(offset), into.size(),
                  into.begin());
    };
    const mdb::FileImage images[] = {mdb::FileImage(bytes),
                                     mdb::FileImage(bytes.size(), read)};
    for (const mdb::FileImage& image : images) {
      try {
        mdb::Header::Parse(image);
        ADD_FAILURE() << c.what << ": accepted";
      } catch (const core::Error& error) {
        EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
            << c.what << ": " << error.what();
      }
    }
  }
}

}  // namespace
}  // namespace mdb_test
