// Writes the Jet 4 twin of an SQLite Numbers.mdb (the demo's, a benchmark
// input's): a copy of a Jet template file (a Numbers.mdb of the billing
// product, with its database password) whose Numbers holds the same rows.
//
//   make_jet_numbers <sqlite Numbers.mdb> <Jet template .mdb> <output .mdb>

#include <cstdio>
#include <exception>

#include "tools/jet_numbers.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: %s <sqlite Numbers.mdb> <Jet template .mdb> <output .mdb>\n",
                 argv[0]);
    return 2;
  }
  try {
    const size_t rows = tools::WriteJetNumbers(argv[1], argv[2], argv[3]);
    std::printf("Numbers rows %zu\n", rows);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_jet_numbers: %s\n", error.what());
    return 1;
  }
  return 0;
}
