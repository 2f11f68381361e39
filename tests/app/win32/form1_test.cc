#include "app/win32/form1.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/form_layout.h"
#include "tests/app/jet_numbers_file.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"

namespace app::win32 {
namespace {

using Icon = run::RunView::Icon;

// Dispatches what is queued, as the program's message loop would.
void ProcessMessages() {
  MSG message;
  for (int round = 0; round < 5; ++round)
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      if (message.message != WM_QUIT) {  // a destroyed window's; the loop is ours
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
}

std::wstring TextOf(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64];
  return std::wstring(name, GetClassNameW(window, name, 64));
}

int BarPosition(const Form1& form, std::size_t index) {
  return static_cast<int>(SendMessageW(form.control(index), PBM_GETPOS, 0, 0));
}

// The control's rectangle in its window's client coordinates.
RECT PlaceOf(const Form1& form, std::size_t index) {
  RECT rect;
  GetWindowRect(form.control(index), &rect);
  MapWindowPoints(HWND_DESKTOP, form.window(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A message box that records what it was asked to show and how the window
// stood at that moment.
struct SeenBox {
  HWND owner;
  MessageBoxRequest request;
  int overall_bar, action_bar;
  bool owner_enabled;
};

class Win32Form1Test : public testing::Test {
 protected:
  Form1::Runner CountingRunner(std::function<RunOutcome(run::RunView&)> body) {
    return [this, body](run::RunView& view) {
      ++runs_;
      return body(view);
    };
  }
  ShowMessageBoxFunction RecordingBox() {
    return [this](HWND owner, const MessageBoxRequest& request) {
      const Form1& form = *form_;
      boxes_.push_back({owner, request, BarPosition(form, kProgressBar1),
                        BarPosition(form, kProgressBar2),
                        IsWindowEnabled(owner) != FALSE});
    };
  }

  int runs_ = 0;
  const Form1* form_ = nullptr;
  std::vector<SeenBox> boxes_;
};

TEST_F(Win32Form1Test, CaptionTextsAndEmptyBarsAtLoadAndNothingRunsBeforeShowing) {
  Form1 form(CountingRunner([](run::RunView&) { return RunOutcome::kStopped; }));
  ProcessMessages();
  EXPECT_EQ(TextOf(form.window()), L"Update Preisliste");
  EXPECT_EQ(
      TextOf(form.control(kLabel3)),
      L"Die Telvaro Preisliste wird jetzt geupdated, indem die Datei 'Preise.csv' im "
      L"selben Verzeichnis wie dieses Programm \u00fcbernommen wird. Die Datei muss "
      L"aus dem Portavo heruntergeladen werden!");
  EXPECT_EQ(TextOf(form.control(kLabel1)), L"Fortschritt Aktion:");
  EXPECT_EQ(TextOf(form.control(kLabel2)), L"Fortschritt gesamt:");
  for (std::size_t bar : {kProgressBar1, kProgressBar2}) {
    EXPECT_EQ(ClassOf(form.control(bar)), PROGRESS_CLASSW);
    PBRANGE range{};
    SendMessageW(form.control(bar), PBM_GETRANGE, FALSE,
                 reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(BarPosition(form, bar), 0);
  }
  EXPECT_FALSE(IsWindowVisible(form.window()));
  EXPECT_EQ(runs_, 0);
}

// Placed from twips at the window's DPI, in the order designed, with the
// labels' text unclipped in the font they draw with.
TEST_F(Win32Form1Test, ControlsAtTheirPlacesForTheDpiWithTextUnclipped) {
  Form1 form(CountingRunner([](run::RunView&) { return RunOutcome::kStopped; }));
  const int dpi = static_cast<int>(GetDpiForWindow(form.window()));
  ASSERT_GE(dpi, 96);
  const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
  int extra = 0;  // height added above the current control for the font
  for (std::size_t i = 0; i < kFormControls.size(); ++i) {
    SCOPED_TRACE(kFormControls[i].name);
    const TwipRect& twips = kFormControls[i].twips;
    const RECT rect = PlaceOf(form, i);
    EXPECT_EQ(rect.left, px(twips.left));
    EXPECT_EQ(rect.top, px(twips.top) + extra);
    EXPECT_GE(rect.right - rect.left, px(twips.width));
    EXPECT_GE(rect.bottom - rect.top, px(twips.height));
    if (kFormControls[i].kind != FormControl::Kind::kProgressBar) {
      HDC dc = GetDC(form.control(i));
      const auto font =
          reinterpret_cast<HFONT>(SendMessageW(form.control(i), WM_GETFONT, 0, 0));
      ASSERT_NE(font, nullptr);
      HGDIOBJ old = SelectObject(dc, font);
      const std::wstring text = TextOf(form.control(i));
      const bool wraps = kFormControls[i].kind == FormControl::Kind::kWrappingLabel;
      RECT needed{0, 0, rect.right - rect.left, 0};
      DrawTextW(dc, text.c_str(), -1, &needed,
                DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
      SelectObject(dc, old);
      ReleaseDC(form.control(i), dc);
      EXPECT_LE(needed.right, rect.right - rect.left) << "clipped";
      EXPECT_LE(needed.bottom, rect.bottom - rect.top) << "clipped";
      if (wraps) {
        EXPECT_EQ(rect.right - rect.left, px(twips.width));
      }
    } else {
      EXPECT_EQ(rect.right - rect.left, px(twips.width));
      EXPECT_EQ(rect.bottom - rect.top, px(twips.height));
    }
    extra += (rect.bottom - rect.top) - px(twips.height);
  }
  RECT client;
  GetClientRect(form.window(), &client);
  EXPECT_EQ(client.bottom, px(kClientHeightTwips) + extra);
  EXPECT_GE(client.right, px(kClientWidthTwips));
}

// Moved to a monitor of another DPI, the window takes the place the system
// suggests and lays its controls out anew, in a font for that DPI.
TEST_F(Win32Form1Test, AMoveToAMonitorOfAnotherDpiPlacesEverythingAnew) {
  Form1 form(CountingRunner([](run::RunView&) { return RunOutcome::kStopped; }));
  const auto font_height = [&form] {
    LOGFONTW font{};
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(form.control(kLabel1), WM_GETFONT, 0, 0)),
        sizeof(font), &font);
    return std::abs(font.lfHeight);
  };
  const UINT dpi = GetDpiForWindow(form.window());
  const LONG height_before = font_height();
  const UINT new_dpi = dpi * 2;
  RECT suggested{40, 30, 900, 700};
  SendMessageW(form.window(), WM_DPICHANGED, MAKEWPARAM(new_dpi, new_dpi),
               reinterpret_cast<LPARAM>(&suggested));

  RECT frame;
  GetWindowRect(form.window(), &frame);
  EXPECT_EQ(frame.left, 40);
  EXPECT_EQ(frame.top, 30);
  EXPECT_GE(font_height(), 2 * height_before - 1);
  const RECT bar = PlaceOf(form, kProgressBar1);
  const TwipRect& twips = kFormControls[kProgressBar1].twips;
  const auto px = [new_dpi](int t) { return MulDiv(t, static_cast<int>(new_dpi), 1440); };
  EXPECT_EQ(bar.left, px(twips.left));
  EXPECT_EQ(bar.right - bar.left, px(twips.width));
  EXPECT_EQ(bar.bottom - bar.top, px(twips.height));
  RECT client;
  GetClientRect(form.window(), &client);
  EXPECT_GE(client.bottom, bar.bottom + px(kMarginTwips) / 2);
  EXPECT_EQ(client.right, bar.right + px(kMarginTwips));
}

TEST_F(Win32Form1Test, RunsOnceOnFirstShowingAndNeverAgainAfterAStop) {
  Form1 form(CountingRunner([](run::RunView& view) {
    view.SetOverallProgress(14);
    view.SetActionProgress(37.5f);
    return RunOutcome::kStopped;
  }));
  form.Show();
  ProcessMessages();
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(form.run_started());
  ASSERT_NE(form.window(), nullptr);  // a stopped run leaves the window open
  EXPECT_TRUE(IsWindowVisible(form.window()));
  EXPECT_FALSE(form.committed());
  EXPECT_FLOAT_EQ(form.action_progress(), 37.5f);
  EXPECT_EQ(BarPosition(form, kProgressBar1), 14);
  EXPECT_EQ(BarPosition(form, kProgressBar2), 38);

  // Switching away and back, or showing again, starts nothing.
  ShowWindow(form.window(), SW_HIDE);
  form.Show();
  SendMessageW(form.window(), WM_ACTIVATE, WA_ACTIVE, 0);
  ProcessMessages();
  EXPECT_EQ(runs_, 1);
}

TEST_F(Win32Form1Test, DisabledAndNotClosableWhileRunningThenClosable) {
  bool enabled_during_run = true;
  bool still_there_after_close = false;
  bool refused_end_session = false;
  Form1 form(CountingRunner([&](run::RunView&) {
    HWND window = form_->window();
    enabled_during_run = IsWindowEnabled(window) != FALSE;
    SendMessageW(window, WM_CLOSE, 0, 0);
    still_there_after_close = IsWindow(window) != FALSE;
    refused_end_session = SendMessageW(window, WM_QUERYENDSESSION, 0, 0) == FALSE;
    return RunOutcome::kStopped;
  }));
  form_ = &form;
  form.Show();
  ProcessMessages();
  ASSERT_EQ(runs_, 1);
  EXPECT_FALSE(enabled_during_run);
  EXPECT_TRUE(still_there_after_close);
  EXPECT_TRUE(refused_end_session);

  // The stopped run leaves the window to the operator, who may close it.
  ASSERT_NE(form.window(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(form.window()));
  SendMessageW(form.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(form.window(), nullptr);
}

TEST_F(Win32Form1Test, ACommittedRunAndADryRunDestroyTheWindow) {
  for (const RunOutcome outcome : {RunOutcome::kCommitted, RunOutcome::kDryRun}) {
    Form1 form([outcome](run::RunView&) { return outcome; });
    form.Show();
    ProcessMessages();
    EXPECT_EQ(form.window(), nullptr);
    EXPECT_EQ(form.committed(), outcome == RunOutcome::kCommitted);
  }
}

TEST_F(Win32Form1Test, MessagesGoToTheBoxWithTextIconDetailAndTheBarsAsTheyStand) {
  bool enabled_after_box = true;
  Form1 form(CountingRunner([&](run::RunView& view) {
               view.ShowMessage("Falsche Datei", Icon::kError,
                                "Die Datei ist leer: \xC3\xA4");
               enabled_after_box = IsWindowEnabled(form_->window()) != FALSE;
               view.SetOverallProgress(50);
               view.SetOverallProgress(100);  // too soon after 50 for a repaint
               view.ShowMessage("Fertig!", Icon::kInformation);
               return RunOutcome::kCommitted;
             }),
             RecordingBox());
  form_ = &form;
  const HWND window = form.window();
  form.Show();
  ProcessMessages();
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].request.text, L"Falsche Datei");
  EXPECT_EQ(boxes_[0].request.detail, L"Die Datei ist leer: \u00e4");
  EXPECT_EQ(boxes_[0].request.icon, Icon::kError);
  EXPECT_EQ(boxes_[1].request.text, L"Fertig!");
  EXPECT_EQ(boxes_[1].request.detail, L"");
  EXPECT_EQ(boxes_[1].request.icon, Icon::kInformation);
  EXPECT_EQ(boxes_[1].overall_bar, 100);  // shown although no repaint was due
  for (const SeenBox& box : boxes_) {
    EXPECT_EQ(box.owner, window);
    EXPECT_EQ(box.request.title, L"Update Preisliste");
    // The box is given an enabled owner, so that the owner is activated again
    // when the box closes, and the run disables it again afterwards.
    EXPECT_TRUE(box.owner_enabled);
  }
  EXPECT_FALSE(enabled_after_box);
  EXPECT_EQ(form.window(), nullptr);
}

// A real run on a copy of a Jet file, with a change list that cannot be
// written: the last box is "Fertig!" with the summary as its detail, then the
// error box follows, and the window goes, since the commit stands.
TEST_F(Win32Form1Test, ARealRunEndsWithFertigAndItsSummaryThenTheReportError) {
  const testing_support::TempDir folder;
  testing_support::CopyJetNumbersFile(folder.path());
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const testing_support::CurrentFolder current(folder.path());
  // The small file would remove most of the Jet file's prefixes: no check of
  // a shrinking list here.
  auto settings = testing_support::SettingsFor(folder.path());
  settings["Pruefung/MaxWegfall"] = "100";
  const testing_support::MapSettingsStore store(settings);
  RunResult result;
  Form1 form(CountingRunner([&](run::RunView& view) {
               result = RunUpdate(store, NumberFormat{","}, view,
                                  {false, "no-such-folder/changes.csv"});
               return result.outcome;
             }),
             RecordingBox());
  form_ = &form;
  form.Show();
  ProcessMessages();

  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(ExitStatus(result), 3);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].request.text, L"Fertig!");
  EXPECT_EQ(boxes_[0].request.icon, Icon::kInformation);
  EXPECT_EQ(boxes_[0].request.detail.rfind(L"Preisdatei: ", 0), 0u);
  EXPECT_NE(boxes_[0].request.detail.find(L"\nVorwahlen: "), std::wstring::npos);
  EXPECT_EQ(boxes_[0].overall_bar, 100);
  EXPECT_EQ(boxes_[1].request.text.rfind(
                L"Fehler: Die \u00c4nderungsliste konnte nicht geschrieben werden: "
                L"no-such-folder/changes.csv: ",
                0),
            0u);
  EXPECT_EQ(boxes_[1].request.icon, Icon::kError);
  EXPECT_TRUE(form.committed());
  EXPECT_EQ(form.window(), nullptr);
}

}  // namespace
}  // namespace app::win32
