#ifndef PREISLISTE_IMPORT_LINE_DECODER_H_
#define PREISLISTE_IMPORT_LINE_DECODER_H_

#include <string>

struct UConverter;

namespace price_import {

// Turns the bytes of one price-file line into UTF-8 text. Suppliers write the
// file in Windows-1252, but some save it as UTF-8: a line that is valid UTF-8
// and holds non-ASCII characters is taken as UTF-8, every other line as
// Windows-1252. ASCII lines are the same in both and are left alone.
class LineDecoder {
 public:
  LineDecoder();  // throws when the code page converter is unavailable
  ~LineDecoder();
  LineDecoder(const LineDecoder&) = delete;
  LineDecoder& operator=(const LineDecoder&) = delete;

  // Rewrites `line` as UTF-8 in place.
  void ToUtf8(std::string& line);

 private:
  UConverter* windows1252_;
  std::u16string utf16_;  // reused between lines
};

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_LINE_DECODER_H_
