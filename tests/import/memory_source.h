#ifndef PREISLISTE_TESTS_IMPORT_MEMORY_SOURCE_H_
#define PREISLISTE_TESTS_IMPORT_MEMORY_SOURCE_H_

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "core/error.h"
#include "import/byte_source.h"

namespace testing_support {

// Bytes from memory, handed out at most `chunk` at a time (to cut lines and
// CR LF pairs at block edges), failing with an I/O error once `fail_after`
// bytes have been delivered when that is set.
class MemorySource : public price_import::ByteSource {
 public:
  explicit MemorySource(std::string bytes, size_t chunk = 1 << 20,
                        std::optional<size_t> fail_after = std::nullopt)
      : bytes_(std::move(bytes)), chunk_(chunk), fail_after_(fail_after) {}

  size_t Read(char* buffer, size_t capacity) override {
    if (fail_after_ && pos_ >= *fail_after_)
      throw core::Error("Cannot read test data: Input/output error",
                        core::Error::Kind::kIo);
    size_t n = std::min({capacity, chunk_, bytes_.size() - pos_});
    if (fail_after_) n = std::min(n, *fail_after_ - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  int64_t Length() const override { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::string bytes_;
  size_t chunk_;
  std::optional<size_t> fail_after_;
  size_t pos_ = 0;
};

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_IMPORT_MEMORY_SOURCE_H_
