#ifndef PREISLISTE_DB_ENGINE_JETSQL_LIKE_PATTERN_H_
#define PREISLISTE_DB_ENGINE_JETSQL_LIKE_PATTERN_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db::engine::jetsql {

// A LIKE pattern in the Jet dialect as ADO speaks it: "%" matches any run of
// characters (also none), "_" exactly one, "[list]" one character of the
// list, "[!list]" one character not in it; a list holds characters and
// ranges such as "a-z". Every other character, "*", "?" and "#" included,
// stands for itself; "[%]", "[_]" and "[[]" write the wildcard characters
// literally. Letter case is ignored with the same folding as
// CompareIgnoringCase.
class LikePattern {
 public:
  // Throws core::Error for an unclosed "[" or a reversed range.
  explicit LikePattern(std::string_view pattern);

  // The text every match equals (up to letter case) when the pattern has no
  // wildcard, with bracket escapes resolved: "Mali[_]1" gives "Mali_1".
  const std::optional<std::string>& literal_text() const { return literal_text_; }
  // The same for `pattern`, without building the pattern when it holds none
  // of the characters "%", "_" and "[" (it is then its own text). Throws as
  // the constructor does.
  static std::optional<std::string> LiteralTextOf(std::string_view pattern);

  // `scratch` is a buffer for the folded text that the caller may reuse.
  bool Matches(std::string_view text, std::u32string* scratch) const;

 private:
  struct CharList {
    bool negated = false;
    // Inclusive ranges as written and folded: "[A-Z]" must accept "q" too.
    struct Range {
      char32_t low, high, folded_low, folded_high;
    };
    std::vector<Range> ranges;
  };
  struct Element {
    enum class Kind { kChar, kAnyChar, kAnyRun, kList } kind;
    char32_t c = 0;         // kChar: the folded character
    size_t list_index = 0;  // kList: index into lists_
  };

  // Adds the element for the characters between "[" and "]" (not empty).
  void ParseList(std::u32string_view list_chars, std::string_view original);
  void FindAsciiShape();
  std::optional<bool> MatchesAsciiShape(std::string_view text) const;
  bool MatchesOne(const Element& element, char32_t c) const;

  std::vector<Element> elements_;
  std::vector<CharList> lists_;
  std::optional<std::string> literal_text_;
  // Set when the pattern is folded ASCII characters alone or followed by one
  // "%" ('0049%', 'mobil'), the shapes the program matches a million times.
  std::optional<std::string> ascii_start_;
  bool ascii_start_then_any_ = false;
};

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_LIKE_PATTERN_H_
