#include "platform/file.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "core/error.h"
#include "tests/support/test_files.h"

namespace platform {
namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// Both ways of copying give the first bytes exactly, at the same places,
// whatever the size (empty, inside the buffer, across buffers and writeback
// stretches), leave the bytes after them alone, and
// report fewer bytes only when the source is shorter.
TEST(FileTest, CopyGivesTheFirstBytesExactlyBothWays) {
  using Copy = std::function<uint64_t(const File&, File&, uint64_t)>;
  const struct {
    const char* name;
    Copy copy;
  } ways[] = {
      {"kernel", CopyFileStart},
      {"buffer", [](const File& from, File& to,
                    uint64_t length) { return CopyThroughBuffer(from, to, 0, length); }},
  };
  const size_t sizes[] = {0, 1, 4095, (1 << 20) - 1, (1 << 20) + 1, (33 << 20) + 5};
  for (const auto& way : ways) {
    for (const size_t size : sizes) {
      SCOPED_TRACE(std::string(way.name) + ", " + std::to_string(size) + " bytes");
      TempDir dir;
      const std::string source = RandomBytes(size, static_cast<unsigned>(size));
      const std::string target(size + 100, 'T');
      const auto from_path = dir.WriteFile("from", source);
      const auto to_path = dir.WriteFile("to", target);
      const File from = File::OpenForReading(from_path);
      File to = File::OpenForWriting(to_path);
      EXPECT_EQ(way.copy(from, to, size), size);
      EXPECT_EQ(way.copy(from, to, size + 50), size);
      const std::string copied = ReadFileBytes(to_path);
      EXPECT_TRUE(copied == source + std::string(100, 'T'));
    }
  }
}

TEST(FileTest, CopyThroughBufferCopiesOneStretchInPlace) {
  TempDir dir;
  const std::string source = RandomBytes(3 << 20, 7);
  const auto from_path = dir.WriteFile("from", source);
  const auto to_path = dir.WriteFile("to", std::string(source.size(), 'T'));
  const File from = File::OpenForReading(from_path);
  File to = File::OpenForWriting(to_path);
  EXPECT_EQ(CopyThroughBuffer(from, to, 5000, (1 << 20) + 3), (1u << 20) + 3);
  std::string expected(source.size(), 'T');
  expected.replace(5000, (1 << 20) + 3, source.substr(5000, (1 << 20) + 3));
  EXPECT_TRUE(ReadFileBytes(to_path) == expected);
}

TEST(FileTest, ReadsAndWritesAtOffsets) {
  TempDir dir;
  const auto path = dir.WriteFile("file", "0123456789");
  File file = File::OpenForWriting(path);
  std::vector<uint8_t> buffer(4);
  EXPECT_EQ(file.ReadAt(3, buffer), 4u);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "3456");
  EXPECT_EQ(file.ReadAt(8, buffer), 2u);  // the end of the file
  const std::string grow = "AB";
  file.WriteAt(12, {reinterpret_cast<const uint8_t*>(grow.data()), grow.size()});
  EXPECT_EQ(ReadFileBytes(path), std::string("0123456789\0\0AB", 14));
  file.Resize(5);
  EXPECT_EQ(ReadFileBytes(path), "01234");
  // Closed first: Windows lets no one open a file that a handle writes.
  file.Close();

  const File reader = File::OpenForReading(path);
  EXPECT_EQ(reader.Size(), 5u);
  std::vector<uint8_t> three(3);
  reader.ReadExactly(2, three);
  EXPECT_EQ(std::string(three.begin(), three.end()), "234");
  EXPECT_THROW(reader.ReadExactly(3, three), core::Error);
}

}  // namespace
}  // namespace platform
