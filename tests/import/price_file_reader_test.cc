#include "import/price_file_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "tests/import/memory_source.h"
#include "tests/support/test_files.h"

namespace price_import {
namespace {

using testing_support::MemorySource;

// Every line up to the end marker.
std::vector<std::string> AllLines(PriceFileReader& reader) {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = reader.ReadFileLine()) lines.push_back(*line);
  return lines;
}

std::vector<std::string> AllLines(const std::string& bytes, size_t chunk = 1 << 20) {
  PriceFileReader reader(std::make_unique<MemorySource>(bytes, chunk));
  return AllLines(reader);
}

using Lines = std::vector<std::string>;

TEST(PriceFileReaderTest, DeliversTheNonEmptyLines) {
  const std::string nul(1, '\0');
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"a;b;1\r\nc;d;2\r\n", {"a;b;1", "c;d;2"}},
      {"a;b;1\nc;d;2\n", {"a;b;1", "c;d;2"}},
      {"a;b;1\rc;d;2\r", {"a;b;1", "c;d;2"}},
      {"\r\n\n\ra\n\n\r\r\nb\r\n\r\n", {"a", "b"}},
      {"   \n", {"   "}},
      {"\tx \r\n", {"\tx "}},
      {"a\nlast without line end", {"a", "last without line end"}},
      {"a\n" + nul + "\nb\n", {"a", nul, "b"}},
      {"", {}},
      {"\r\n\r\n\n", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AllLines(c.bytes), c.lines) << testing::PrintToString(c.bytes);
    // The same when the data arrives one byte at a time, which cuts every
    // line and every CR LF pair at a block edge.
    EXPECT_EQ(AllLines(c.bytes, 1), c.lines) << testing::PrintToString(c.bytes);
  }
}

TEST(PriceFileReaderTest, EndMarkerRepeats) {
  PriceFileReader reader(std::make_unique<MemorySource>("x\n"));
  EXPECT_EQ(reader.ReadFileLine(), "x");
  EXPECT_EQ(reader.ReadFileLine(), std::nullopt);
  EXPECT_EQ(reader.ReadFileLine(), std::nullopt);
}

TEST(PriceFileReaderTest, LongLinesCrossBlocks) {
  const std::string long_line(3 * (1 << 20) + 17, 'x');
  EXPECT_EQ(AllLines("a\r\n" + long_line + "\r\nb\r\n"), (Lines{"a", long_line, "b"}));
}

TEST(PriceFileReaderTest, ReadPositionCountsConsumedBytesIn128ByteUnits) {
  const std::string first(200, 'a');  // ends at byte 201 with its line end
  const std::string second(100, 'b');
  PriceFileReader reader(std::make_unique<MemorySource>(first + "\r\n" + second + "\n"));
  EXPECT_EQ(reader.Length(), 303);
  EXPECT_EQ(reader.ReadPosition128(), 0);
  reader.ReadFileLine();
  EXPECT_EQ(reader.ReadPosition128(), 201 / 128);
  reader.ReadFileLine();  // skips the LF of the CR LF pair first
  EXPECT_EQ(reader.ReadPosition128(), 303 / 128);
  reader.ReadFileLine();
  EXPECT_EQ(reader.ReadPosition128(), 303 / 128);
}

TEST(PriceFileReaderTest, LineNumbersCountLikeAnEditor) {
  PriceFileReader reader(std::make_unique<MemorySource>("a\r\n\r\nb\n\nc\r\rd", 1));
  std::vector<int64_t> numbers;
  while (reader.ReadFileLine()) numbers.push_back(reader.LineNumber());
  EXPECT_EQ(numbers, (std::vector<int64_t>{1, 3, 5, 7}));
}

TEST(PriceFileReaderTest, ReadErrorIsThrownNotTakenForTheEnd) {
  PriceFileReader reader(std::make_unique<MemorySource>("a\nb\nc\n", 1, 3));
  EXPECT_EQ(reader.ReadFileLine(), "a");
  EXPECT_THROW(reader.ReadFileLine(), core::Error);
}

TEST(PriceFileReaderTest, ReadsFilesFromDisk) {
  testing_support::TempDir dir;
  const auto file = dir.WriteFile("p.csv", "#Vorwahl\r\n0049;Berlin;0,01\r\n");
  PriceFileReader reader(OpenFileSource(file));
  EXPECT_EQ(reader.Length(), 28);
  EXPECT_EQ(AllLines(reader), (Lines{"#Vorwahl", "0049;Berlin;0,01"}));
}

TEST(PriceFileReaderTest, FileErrorsAreDescribed) {
  testing_support::TempDir dir;
  try {
    OpenFileSource(dir.path() / "missing.csv");
    ADD_FAILURE() << "opening a missing file succeeded";
  } catch (const core::Error& e) {
    EXPECT_NE(std::string(e.what()).find("missing.csv"), std::string::npos) << e.what();
  }
  // A folder is no price file: Linux opens it and fails to read it,
  // Windows refuses to open it.
  EXPECT_THROW(
      {
        PriceFileReader reader(OpenFileSource(dir.path()));
        reader.ReadFileLine();
      },
      core::Error);
}

}  // namespace
}  // namespace price_import
