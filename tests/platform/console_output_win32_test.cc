// Console text on Windows, read back from the console's screen buffer: what
// the operator sees, whatever the console's code page. Wine gives a program a
// console only when it runs on a terminal: ctest runs these tests once more
// on one (ConsoleOutputInWineConsole, with PREISLISTE_CONSOLE_REQUIRED set);
// elsewhere they are skipped.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/console_output.h"
#include "tests/support/test_files.h"

namespace platform {
namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

// "zurückrollen häufigster €": letters that code pages 850 and 1252 place
// differently, and one 850 lacks.
constexpr char kText[] =
    "zur\xC3\xBC"
    "ckrollen h\xC3\xA4ufigster \xE2\x82\xAC";
constexpr wchar_t kShown[] = L"zur\u00FCckrollen h\u00E4ufigster \u20AC";

// A console of this process's own, with a fresh screen buffer each time.
class ConsoleOutputTest : public testing::TestWithParam<UINT> {
 protected:
  void SetUp() override {
    if (GetConsoleOutputCP() == 0) {  // no console
      if (std::getenv("PREISLISTE_CONSOLE_REQUIRED") != nullptr)
        FAIL() << "the test runs without a console";
      GTEST_SKIP() << "no console; ConsoleOutputInWineConsole runs this on a terminal";
    }
    previous_code_page_ = GetConsoleOutputCP();
    buffer_ = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CONSOLE_TEXTMODE_BUFFER, nullptr);
    ASSERT_NE(buffer_, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(SetConsoleOutputCP(GetParam())) << GetLastError();
    // The C library's stream on the buffer, as stdout is on the console.
    const int descriptor =
        _open_osfhandle(reinterpret_cast<intptr_t>(buffer_), _O_WRONLY);
    ASSERT_GE(descriptor, 0);
    stream_ = _fdopen(descriptor, "w");
    ASSERT_NE(stream_, nullptr);
  }

  void TearDown() override {
    if (stream_ != nullptr) std::fclose(stream_);  // closes the buffer too
    if (previous_code_page_ != 0) SetConsoleOutputCP(previous_code_page_);
  }

  std::wstring FirstLine() {
    std::wstring shown(std::size(kShown) - 1, L'\0');
    DWORD read = 0;
    EXPECT_TRUE(ReadConsoleOutputCharacterW(
        buffer_, shown.data(), static_cast<DWORD>(shown.size()), {0, 0}, &read));
    shown.resize(read);
    return shown;
  }

  UINT previous_code_page_ = 0;
  HANDLE buffer_ = INVALID_HANDLE_VALUE;
  std::FILE* stream_ = nullptr;
};

TEST_P(ConsoleOutputTest, UmlautsShowRightInEveryCodePage) {
  WriteText(stream_, kText);
  std::fflush(stream_);
  EXPECT_EQ(FirstLine(), kShown);
}

// What came before through the C library stays before.
TEST_P(ConsoleOutputTest, KeepsTheOrderWithTheCLibrary) {
  std::fputs("a", stream_);
  WriteText(stream_, "\xC3\xBC");
  std::fflush(stream_);
  std::wstring shown(2, L'\0');
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(buffer_, shown.data(), 2, {0, 0}, &read));
  EXPECT_EQ(shown, L"a\u00FC");
}

INSTANTIATE_TEST_SUITE_P(CodePages, ConsoleOutputTest,
                         testing::Values(850u, 1252u, 65001u),
                         [](const testing::TestParamInfo<UINT>& info) {
                           return "Cp" + std::to_string(info.param);
                         });

TEST(ConsoleOutputRedirectedTest, AFileGetsTheUtf8Bytes) {
  TempDir dir;
  const auto file = dir.path() / "out.txt";
  std::FILE* stream = _wfopen(file.c_str(), L"wb");
  ASSERT_NE(stream, nullptr);
  WriteText(stream, kText);
  std::fclose(stream);
  EXPECT_EQ(ReadFileBytes(file), kText);
}

}  // namespace
}  // namespace platform
