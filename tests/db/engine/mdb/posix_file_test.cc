#include "db/engine/mdb/posix_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <string>

#include "db/engine/core_types.h"
#include "tests/support/test_files.h"

namespace db::engine::mdb {
namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

FileDescriptor OpenForWriting(const std::filesystem::path& file) {
  const int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
  EXPECT_GE(fd, 0) << file;
  return FileDescriptor(fd);
}

// Both ways of copying give the first bytes exactly, at the same places,
// whatever the size (empty, inside the buffer, across buffers and writeback
// stretches), leave the bytes after them and both file positions alone, and
// report fewer bytes only when the source is shorter.
TEST(PosixFileTest, CopyGivesTheFirstBytesExactlyBothWays) {
  using Copy =
      std::function<uint64_t(const FileDescriptor&, const FileDescriptor&, uint64_t,
                             const std::filesystem::path&, const std::filesystem::path&)>;
  const struct {
    const char* name;
    Copy copy;
  } ways[] = {
      {"kernel", CopyFileStart},
      {"buffer",
       [](const FileDescriptor& from, const FileDescriptor& to, uint64_t length,
          const std::filesystem::path& a, const std::filesystem::path& b) {
         return CopyThroughBuffer(from, to, 0, length, a, b);
       }},
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
      const FileDescriptor from = OpenForReading(from_path);
      const FileDescriptor to = OpenForWriting(to_path);
      EXPECT_EQ(way.copy(from, to, size, from_path, to_path), size);
      EXPECT_EQ(way.copy(from, to, size + 50, from_path, to_path), size);
      EXPECT_EQ(lseek(from.get(), 0, SEEK_CUR), 0);
      EXPECT_EQ(lseek(to.get(), 0, SEEK_CUR), 0);
      const std::string copied = ReadFileBytes(to_path);
      EXPECT_TRUE(copied == source + std::string(100, 'T'));
    }
  }
}

TEST(PosixFileTest, CopyThroughBufferCopiesOneStretchInPlace) {
  TempDir dir;
  const std::string source = RandomBytes(3 << 20, 7);
  const auto from_path = dir.WriteFile("from", source);
  const auto to_path = dir.WriteFile("to", std::string(source.size(), 'T'));
  const FileDescriptor from = OpenForReading(from_path);
  const FileDescriptor to = OpenForWriting(to_path);
  EXPECT_EQ(CopyThroughBuffer(from, to, 5000, (1 << 20) + 3, from_path, to_path),
            (1u << 20) + 3);
  std::string expected(source.size(), 'T');
  expected.replace(5000, (1 << 20) + 3, source.substr(5000, (1 << 20) + 3));
  EXPECT_TRUE(ReadFileBytes(to_path) == expected);
}

TEST(PosixFileTest, ReadsAndWritesAtOffsets) {
  TempDir dir;
  const auto path = dir.WriteFile("file", "0123456789");
  const FileDescriptor fd = OpenForWriting(path);
  std::vector<uint8_t> buffer(4);
  EXPECT_EQ(ReadAt(fd, 3, buffer, path), 4u);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "3456");
  EXPECT_EQ(ReadAt(fd, 8, buffer, path), 2u);  // the end of the file
  const std::string grow = "AB";
  WriteAt(fd, 12, {reinterpret_cast<const uint8_t*>(grow.data()), grow.size()}, path);
  EXPECT_EQ(ReadFileBytes(path), std::string("0123456789\0\0AB", 14));
  Resize(fd, 5, path);
  EXPECT_EQ(ReadFileBytes(path), "01234");

  const FileReader reader(path);
  EXPECT_EQ(reader.size(), 5u);
  std::vector<uint8_t> three(3);
  reader.Read(2, three);
  EXPECT_EQ(std::string(three.begin(), three.end()), "234");
  EXPECT_THROW(reader.Read(3, three), Error);
}

}  // namespace
}  // namespace db::engine::mdb
