#ifndef PREISLISTE_BENCH_DECK_FILES_H_
#define PREISLISTE_BENCH_DECK_FILES_H_

#include <cstdint>
#include <filesystem>
#include <string>

#include "bench/deck.h"

namespace bench {

// A price with a decimal comma and no trailing zeros: 127 -> "0,0127",
// 30000 -> "3".
std::string PriceText(int64_t ticks);

// Writes preise.csv as a supplier exports it: "#Vorwahl;Ziel;Preis" header,
// CR LF line ends, Windows-1252 text, decimal commas, each line in the format
// its PriceLine asks for. Throws core::Error when writing fails.
void WritePriceFile(const std::filesystem::path& file, const Deck& deck);

// Creates (or replaces) an SQLite file holding the table Numbers with the
// billing product's columns and the deck's rows, in one transaction.
// Throws core::Error on any SQLite failure.
void WriteNumbersDatabase(const std::filesystem::path& file, const Deck& deck);

}  // namespace bench

#endif  // PREISLISTE_BENCH_DECK_FILES_H_
