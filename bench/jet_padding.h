#ifndef PREISLISTE_BENCH_JET_PADDING_H_
#define PREISLISTE_BENCH_JET_PADDING_H_

#include <cstdint>
#include <filesystem>

namespace bench {

// Writes `output`: the Jet 4 file `input` with one more table, Padding,
// whose rows make the file at least `target_bytes` long, as a billing
// product's Numbers.mdb may hold other tables that grow. Padding has the
// columns of the index-free table Numbers of `definition_donor` (the shared
// numbers-plain.mdb), its own definition page, usage maps and data pages
// at the end of the file, all marked in use in the global page map, and a
// row in the catalog (MSysObjects, whose indexes are rebuilt), so that
// independent readers list and read it. Numbers and every other page stay
// as they were. Returns the number of Padding rows. Throws core::Error when
// a file cannot be read or written or the input has no room for the catalog
// row.
uint64_t WritePaddedJetFile(const std::filesystem::path& input,
                            const std::filesystem::path& definition_donor,
                            const std::filesystem::path& output, uint64_t target_bytes);

}  // namespace bench

#endif  // PREISLISTE_BENCH_JET_PADDING_H_
