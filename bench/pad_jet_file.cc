// Writes a copy of a Jet 4 Numbers.mdb padded with another table to a given
// size, for the benchmark of runs on large files (scripts/bench jet-size).
//
//   pad_jet_file <input .mdb> <numbers-plain.mdb> <output .mdb> <megabytes>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench/jet_padding.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: %s <input .mdb> <numbers-plain.mdb> <output .mdb> <megabytes>\n",
                 argv[0]);
    return 2;
  }
  try {
    const uint64_t megabytes = std::strtoull(argv[4], nullptr, 10);
    const uint64_t rows =
        bench::WritePaddedJetFile(argv[1], argv[2], argv[3], megabytes << 20);
    std::printf("Padding rows %llu\n", static_cast<unsigned long long>(rows));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pad_jet_file: %s\n", error.what());
    return 1;
  }
  return 0;
}
