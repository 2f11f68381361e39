#include "import/price_file_reader.h"

#include <algorithm>

namespace price_import {
namespace {

constexpr size_t kBlockSize = 1 << 20;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

PriceFileReader::PriceFileReader(std::unique_ptr<ByteSource> source)
    : source_(std::move(source)), buffer_(kBlockSize) {}

bool PriceFileReader::Refill() {
  if (at_end_) return false;
  filled_ = source_->Read(buffer_.data(), buffer_.size());
  next_ = 0;
  at_end_ = filled_ == 0;
  return !at_end_;
}

void PriceFileReader::ConsumeLineEnd(char byte) {
  // An LF right after a CR completes a CR LF pair rather than ending a line.
  if (!(byte == '\n' && previous_line_end_ == '\r')) ++line_breaks_;
  previous_line_end_ = byte;
  ++next_;
  ++consumed_;
}

std::optional<std::string> PriceFileReader::ReadFileLine() {
  std::string line;
  for (;;) {
    if (next_ == filled_ && !Refill()) {
      if (line.empty()) return std::nullopt;
      return line;
    }
    if (line.empty()) {
      while (next_ < filled_ && IsLineEnd(buffer_[next_])) ConsumeLineEnd(buffer_[next_]);
      if (next_ == filled_) continue;
      line_number_ = line_breaks_ + 1;
    }
    const char* begin = buffer_.data() + next_;
    const char* end = buffer_.data() + filled_;
    const char* stop = std::find_if(begin, end, IsLineEnd);
    line.append(begin, stop);
    consumed_ += stop - begin;
    next_ += stop - begin;
    previous_line_end_ = 0;
    if (stop != end) {
      ConsumeLineEnd(*stop);
      return line;
    }
  }
}

}  // namespace price_import
