#include "tests/app/win32_program.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/utf8.h"
#include "tests/support/test_files.h"

namespace testing_support {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = core::Utf8ToUtf16(utf8).value();
  return std::wstring(units.begin(), units.end());
}

// Quoted so that CommandLineToArgvW gives the argument back unchanged.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

HANDLE InheritableOutput(const std::filesystem::path& file) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::filesystem::path ProgramUnderTest() {
  static const std::filesystem::path program =
      std::filesystem::absolute(UPDATE_PREISLISTE_EXE);
  return program;
}

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& args,
                           const std::filesystem::path& folder,
                           const std::filesystem::path& settings) {
  std::wstring command_line = Quoted(program.wstring());
  for (const std::string& arg : args) command_line += L" " + Quoted(Wide(arg));
  SetEnvironmentVariableW(L"UPDATE_PREISLISTE_SETTINGS", settings.c_str());
  const HANDLE out = InheritableOutput(folder / "out.txt");
  const HANDLE err = InheritableOutput(folder / "err.txt");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  const BOOL started =
      CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                     nullptr, folder.c_str(), &startup, &process_);
  const DWORD error = GetLastError();
  CloseHandle(out);
  CloseHandle(err);
  SetEnvironmentVariableW(L"UPDATE_PREISLISTE_SETTINGS", nullptr);
  EXPECT_TRUE(started) << "CreateProcessW failed: " << error;
}

ChildProcess::~ChildProcess() {
  if (process_.hProcess == nullptr) return;
  if (!WaitFor(std::chrono::milliseconds(0))) Terminate();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
  return process_.hProcess != nullptr &&
         WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) ==
             WAIT_OBJECT_0;
}

void ChildProcess::Terminate() {
  TerminateProcess(process_.hProcess, 137);
  WaitForSingleObject(process_.hProcess, INFINITE);
}

DWORD ChildProcess::ExitStatus() const {
  DWORD status = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &status);
  return status;
}

void WriteUtf16Settings(const std::filesystem::path& file,
                        const std::filesystem::path& folder) {
  const std::string text =
      "[Options]\r\nRatingDefaultMargin=60\r\nMinimumRatePerMinute=0.1\r\n"
      "MwSt=19\r\nDB Path=" +
      core::PathToUtf8(folder) + "\r\n[Pruefung]\r\nMaxWegfall=100\r\n";
  std::string bytes = "\xFF\xFE";
  const std::u16string units = core::Utf8ToUtf16(text).value();
  for (const char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  EXPECT_TRUE(out.good()) << core::PathToUtf8(file);
}

ProgramResult RunProgram(const std::vector<std::string>& args,
                         const std::filesystem::path& folder,
                         const std::filesystem::path& settings) {
  ProgramResult result;
  {
    ChildProcess child(ProgramUnderTest(), args, folder, settings);
    EXPECT_TRUE(child.WaitFor(std::chrono::minutes(1))) << "the program did not end";
    result.exit_status = child.ExitStatus();
  }
  result.out = ReadFileBytes(folder / "out.txt");
  result.err = ReadFileBytes(folder / "err.txt");
  return result;
}

}  // namespace testing_support
