// The Jet reader on any bytes taken as a whole database file. The program's
// open runs on the file as it lies on the disk, so the input is written to a
// file and opened as the program opens Numbers.mdb, with the right password
// and with none. The rest of the reader then goes over every table the
// catalog names: its definition, properties, rows, index entries and the
// structural check. A damaged file must be refused with a core::Error;
// anything else (a crash, a hang, a huge allocation, a sanitizer report)
// is a fault.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/jetfile/jet_file_session.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/image_check.h"
#include "db/engine/mdb/index_entries.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace {

namespace mdb = db::engine::mdb;

// The catalog's type of a table of the database, Jet's own tables included.
constexpr int64_t kTableEntry = 1;

// A folder of this process's own that holds the input as Numbers.mdb; it is
// removed when the fuzzer exits.
class InputFile {
 public:
  InputFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "mdb_reader_fuzzer-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    path_ = folder_ / "Numbers.mdb";
  }
  ~InputFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Write(const uint8_t* data, size_t size) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush()) std::abort();
    return path_.string();
  }

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

// Runs `step`; a core::Error is the refusal we want, so it ends the step.
void Refusable(const std::function<void()>& step) {
  try {
    step();
  } catch (const core::Error&) {
  }
}

void ReadTable(const mdb::FileImage& image, const mdb::Catalog& catalog,
               const std::string& name) {
  const uint32_t page = catalog.TableDefinitionPage(name);
  Refusable([&] { catalog.Properties(name); });
  Refusable([&] { catalog.Relationships(name); });
  const mdb::TableDefinition definition = mdb::TableDefinition::Read(image, page);
  const std::vector<mdb::StoredRow> rows = mdb::TableReader(image, definition).ReadAll();
  for (const mdb::RealIndex& index : definition.real_indexes())
    Refusable([&] { mdb::IndexEntriesOf(definition, index, rows); });
  mdb::CheckTableImage(image, page, /*exact_key_counts=*/false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const InputFile input;
  const std::string path = input.Write(data, size);
  for (const char* password : {"Falter", ""})
    Refusable(
        [&] { db::engine::JetFileSession::Open(path, password, "Numbers", false); });

  const mdb::FileImage image(std::vector<uint8_t>(data, data + size));
  Refusable([&] {
    const mdb::Header header = mdb::Header::Parse(image);
    Refusable([&] { header.CheckPassword("Falter"); });
    Refusable([&] { header.CheckPassword(""); });
    const mdb::Catalog catalog = mdb::Catalog::Read(image);
    for (const mdb::Catalog::Entry& entry : catalog.entries())
      if (entry.type == kTableEntry)
        Refusable([&] { ReadTable(image, catalog, entry.name); });
  });
  return 0;
}
