#ifndef PREISLISTE_IMPORT_PRICE_FILE_READER_H_
#define PREISLISTE_IMPORT_PRICE_FILE_READER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "import/byte_source.h"

namespace price_import {

// Hands out the non-empty lines of a price file, as raw bytes without their
// line end. A line ends at CR or LF, and any run of them is one line end, so
// CR LF, LF and CR files read alike and blank lines never come back; a line of
// blanks does. The last line is delivered even without a line end.
//
// ReadFileLine() returns no value at the end of the file, and keeps doing so.
// A line holding a single NUL byte is an ordinary line. A read error is thrown
// (see ByteSource), never taken for the end of the file.
class PriceFileReader {
 public:
  explicit PriceFileReader(std::unique_ptr<ByteSource> source);

  std::optional<std::string> ReadFileLine();

  // Bytes consumed so far (delivered lines and the line ends read with them),
  // in whole units of 128 bytes.
  int64_t ReadPosition128() const { return consumed_ / 128; }
  // The file's size in bytes, 0 when the source cannot tell.
  int64_t Length() const { return source_->Length(); }
  // Where the last delivered line starts in the file, counted as an editor
  // counts lines (CR LF, LF and CR each end one line); for messages.
  int64_t LineNumber() const { return line_number_; }

 private:
  // Reads the next block; false at the end of the data.
  bool Refill();
  // Consumes one line-end byte, keeping the line count.
  void ConsumeLineEnd(char byte);

  std::unique_ptr<ByteSource> source_;
  std::vector<char> buffer_;
  size_t next_ = 0;    // first unconsumed byte in buffer_
  size_t filled_ = 0;  // bytes of buffer_ holding data
  bool at_end_ = false;
  int64_t consumed_ = 0;
  int64_t line_breaks_ = 0;
  char previous_line_end_ = 0;  // last consumed byte when it was CR or LF, else 0
  int64_t line_number_ = 0;
};

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_PRICE_FILE_READER_H_
