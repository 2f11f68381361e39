#include "app/win32/message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace app::win32 {
namespace {

using Icon = run::RunView::Icon;

TEST(MessageBoxTest, TheTaskDialogShowsTextAsInstructionDetailAsContentAndOneOk) {
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  struct Case {
    MessageBoxRequest request;
    HWND owner;
    PCWSTR icon;
  };
  const Case cases[] = {
      {{L"Titel", L"Falsche Datei", L"Die Datei ist leer.", Icon::kError},
       owner,
       TD_ERROR_ICON},
      {{L"Titel", L"Fertig!", L"", Icon::kInformation}, nullptr, TD_INFORMATION_ICON},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.request.text.begin(), c.request.text.end()));
    const TASKDIALOGCONFIG config = TaskDialogConfigFor(c.owner, c.request);
    EXPECT_EQ(config.cbSize, sizeof(TASKDIALOGCONFIG));
    EXPECT_EQ(config.hwndParent, c.owner);
    EXPECT_EQ(config.dwCommonButtons, TDCBF_OK_BUTTON);
    EXPECT_EQ(config.cButtons, 0u);
    EXPECT_EQ(config.pszMainIcon, c.icon);
    EXPECT_EQ(std::wstring(config.pszWindowTitle), c.request.title);
    EXPECT_EQ(std::wstring(config.pszMainInstruction), c.request.text);
    if (c.request.detail.empty())
      EXPECT_EQ(config.pszContent, nullptr);
    else
      EXPECT_EQ(std::wstring(config.pszContent), c.request.detail);
    EXPECT_EQ((config.dwFlags & TDF_POSITION_RELATIVE_TO_WINDOW) != 0,
              c.owner != nullptr);
  }
}

TEST(MessageBoxTest, TheFallbackBoxPutsTheDetailAfterAnEmptyLine) {
  const MessageBoxWArguments error = MessageBoxWArgumentsFor(
      {L"Titel", L"Falsche Datei", L"Die Datei ist leer.", Icon::kError});
  EXPECT_EQ(error.text, L"Falsche Datei\n\nDie Datei ist leer.");
  EXPECT_EQ(error.type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  const MessageBoxWArguments done =
      MessageBoxWArgumentsFor({L"Titel", L"Fertig!", L"", Icon::kInformation});
  EXPECT_EQ(done.text, L"Fertig!");
  EXPECT_EQ(done.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

// The test program carries the programs' manifest, which selects comctl32 6.
TEST(MessageBoxTest, TheManifestGivesTheTaskDialog) {
  EXPECT_NE(FindTaskDialogIndirect(), nullptr);
}

BOOL CALLBACK CollectText(HWND window, LPARAM texts) {
  wchar_t text[512];
  const int length = GetWindowTextW(window, text, 512);
  if (length > 0)
    reinterpret_cast<std::vector<std::wstring>*>(texts)->emplace_back(text, length);
  return TRUE;
}

// The real box: it comes up with its title and both parts, and returns once
// its OK button is pressed (here by a second thread).
TEST(MessageBoxTest, TheBoxShowsBothPartsAndReturnsWhenDismissed) {
  constexpr wchar_t kTitle[] = L"Update Preisliste (Test)";
  std::vector<std::wstring> texts;
  std::atomic<bool> found = false;
  std::thread dismisser([&] {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < give_up) {
      if (HWND box = FindWindowW(nullptr, kTitle)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let it settle
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
        found = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  ShowMessageBox(nullptr,
                 {kTitle, L"Falsche Datei", L"Die Datei ist leer.", Icon::kError});
  dismisser.join();
  ASSERT_TRUE(found);
  const auto shows = [&texts](const std::wstring& part) {
    for (const std::wstring& text : texts)
      if (text.find(part) != std::wstring::npos) return true;
    return false;
  };
  EXPECT_TRUE(shows(L"Falsche Datei"));
  EXPECT_TRUE(shows(L"Die Datei ist leer."));
}

}  // namespace
}  // namespace app::win32
