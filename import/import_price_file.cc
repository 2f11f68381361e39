#include "import/import_price_file.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/error.h"
#include "db/tolerated_statement.h"
#include "import/import_price_source.h"
#include "import/line_decoder.h"
#include "import/price_file_header.h"
#include "import/price_file_location.h"
#include "import/price_file_reader.h"
#include "import/read_price_number.h"
#include "import/split_price_line.h"
#include "run/tables.h"

namespace price_import {
namespace {

using Icon = run::RunView::Icon;

// The first line of the file, or none. A failure to open or read is not an
// error of its own here: it only explains why no header came, in `failure`.
std::optional<std::string> ReadHeader(std::unique_ptr<PriceFileReader>& reader,
                                      const ByteSourceOpener& open,
                                      std::string& failure) {
  try {
    reader = std::make_unique<PriceFileReader>(open());
    return reader->ReadFileLine();
  } catch (const core::Error& e) {
    failure = e.what();
    return std::nullopt;
  }
}

// The action bar follows the bytes consumed so far.
void ShowReadPosition(run::RunView& view, const PriceFileReader& reader) {
  const int64_t length = reader.Length();
  if (length <= 0) return;
  const int64_t consumed = reader.ReadPosition128() * 128 * 100;
  view.SetActionProgress(static_cast<float>(static_cast<double>(consumed) / length));
}

core::Value TextOrNull(std::optional<std::string>& text) {
  return text ? core::Value::Text(std::move(*text)) : core::Value::Null();
}

// Stores the line's row; returns the price stored.
core::Currency StoreRow(db::engine::Recordset& rows, PriceLineFields fields) {
  const std::optional<core::Currency> price = ReadPriceNumber(fields[2].value_or(""));
  if (!price)
    throw core::Error("der Einkaufspreis " + *fields[2] + " ist zu groß",
                      core::Error::Kind::kBadInput);
  rows.AddNew();
  rows.SetField("Vorwahl", TextOrNull(fields[0]));
  rows.SetField("Ziel", TextOrNull(fields[1]));
  rows.SetField("PreisEk", core::Value::Money(*price));
  rows.Update();
  return *price;
}

// Recreates Import2 and stores every line after the header in it. Throws on
// the first failure: a missing row would silently drop a prefix from the
// tariff table.
void LoadImport2(db::engine::Connection& connection, PriceFileReader& reader,
                 run::RunView& view, PriceFileLines* lines) {
  // Normally there is no Import2 from an earlier run.
  db::ExecuteToleratingFailure(connection, "DROP TABLE Import2");
  connection.Execute(std::string(run::kCreateImport2Head) +
                     std::string(run::kCreateImport2Columns));
  const std::unique_ptr<db::engine::Recordset> rows =
      connection.OpenRecordset(run::kImport2);
  LineDecoder decoder;
  for (;;) {
    std::optional<std::string> line = reader.ReadFileLine();
    ShowReadPosition(view, reader);
    if (!line) break;
    decoder.ToUtf8(*line);
    try {
      const PriceLineFields fields = SplitPriceLine(*line);
      const core::Currency price = StoreRow(*rows, fields);
      if (lines) lines->Count(reader.LineNumber(), *line, fields, price);
    } catch (const core::Error& e) {
      throw core::Error("Zeile " + std::to_string(reader.LineNumber()) +
                            " der Preisdatei kann nicht gespeichert werden: " + e.what(),
                        e.kind());
    }
  }
  rows->Close();
}

}  // namespace

bool ImportPriceSource(db::engine::Connection& connection, const ByteSourceOpener& open,
                       run::RunView& view, PriceFileLines* lines) {
  view.SetOverallProgress(0);
  std::string last_failure;
  std::unique_ptr<PriceFileReader> reader;
  const std::optional<std::string> first_line = ReadHeader(reader, open, last_failure);
  if (!first_line || !IsPriceFileHeader(*first_line)) {
    view.ShowMessage("Falsche Datei", Icon::kError,
                     WhyNoPriceFileHeader(first_line, !last_failure.empty()));
    view.ShowMessage("Fehler:" + last_failure, Icon::kError);
    return false;
  }
  try {
    LoadImport2(connection, *reader, view, lines);
  } catch (const std::exception& e) {
    view.ShowMessage(std::string("Fehler: ") + e.what(), Icon::kError);
    return false;
  }
  view.SetOverallProgress(14);
  return true;
}

bool ImportPriceFile(db::engine::Connection& connection, const std::string& file_name,
                     run::RunView& view, PriceFileSeen* seen) {
  return ImportPriceSource(
      connection,
      [&file_name, seen] {
        const std::filesystem::path path = LocatePriceFile(file_name);
        if (seen) seen->path = path;
        return OpenFileSource(path);
      },
      view, seen ? &seen->lines : nullptr);
}

}  // namespace price_import
