#include "tests/reliability/jet_deck.h"

#include "bench/deck_files.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/image_check.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tools/jet_numbers.h"

namespace reliability {

namespace fs = std::filesystem;
namespace mdb = db::engine::mdb;

void WriteJetDeck(const fs::path& folder, const bench::Deck& deck) {
  fs::create_directories(folder);
  bench::WritePriceFile(folder / "preise.csv", deck);
  const fs::path sqlite = folder / "Numbers.sqlite";
  bench::WriteNumbersDatabase(sqlite, deck);
  tools::WriteJetNumbers(sqlite, mdb_test::JetFile("numbers/numbers-pk.mdb"),
                         folder / "Numbers.mdb");
  fs::remove(sqlite);
}

testing_support::SpelledRows SoundJetNumbers(const fs::path& file) {
  const mdb::FileImage image = mdb::FileImage::ReadFile(file.string());
  const uint32_t page = mdb::Catalog::Read(image).TableDefinitionPage("Numbers");
  mdb::CheckTableImage(image, page, /*exact_key_counts=*/true);
  const mdb::TableDefinition table = mdb::TableDefinition::Read(image, page);
  return testing_support::RowsOf(table, mdb::TableReader(image, table).ReadAll());
}

}  // namespace reliability
