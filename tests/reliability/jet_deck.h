#ifndef PREISLISTE_TESTS_RELIABILITY_JET_DECK_H_
#define PREISLISTE_TESTS_RELIABILITY_JET_DECK_H_

#include <filesystem>

#include "bench/deck.h"
#include "tests/app/jet_numbers_rows.h"

// The generated input of the benchmarks on a Jet file, and what a test may
// ask of a Jet Numbers.mdb that the program leaves behind.
namespace reliability {

// Writes preise.csv and Numbers.mdb into `folder`: the price file of `deck`
// and a copy of the Jet test file numbers-pk.mdb (primary key on Number)
// whose Numbers holds the deck's rows.
void WriteJetDeck(const std::filesystem::path& folder, const bench::Deck& deck);

// The rows of Numbers in the Jet file, as our reader reads them, once the
// file has passed the structural check the commit runs on its copy (every
// page of Numbers, every index, exact key counts). Throws core::Error
// naming what is wrong when it does not.
testing_support::SpelledRows SoundJetNumbers(const std::filesystem::path& file);

}  // namespace reliability

#endif  // PREISLISTE_TESTS_RELIABILITY_JET_DECK_H_
