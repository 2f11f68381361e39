#ifndef PREISLISTE_APP_WIN32_FORM1_H_
#define PREISLISTE_APP_WIN32_FORM1_H_

#include <windows.h>

#include <array>
#include <cstddef>

#include "app/form_layout.h"
#include "app/win32/message_box.h"
#include "app/window_run.h"

namespace app::win32 {

// The program's window on Windows, "Update Preisliste", drawn with the Win32
// API: the instruction text and two progress bars with their labels, placed
// as designed (app/form_layout.h) for the DPI of the monitor it is on, in the
// system's message font, and placed anew when it moves to a monitor of
// another DPI.
//
// The run starts once (WindowRun). While it runs the window is disabled (it
// takes no input), Windows may not end the session, and the window is
// repainted at most about 30 times a second as progress comes in. Closing the
// window destroys it, which ends the message loop.
class Form1 : public WindowRun {
 public:
  // Creates the window, hidden. Throws core::Error when it cannot.
  explicit Form1(Runner runner, ShowMessageBoxFunction show_message_box = ShowMessageBox);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Shows the window (ShowWindow's command) and draws it.
  void Show(int show_command = SW_SHOWNORMAL);
  // The window, null once it has been destroyed.
  HWND window() const { return window_; }
  // The control at `index` of kFormControls.
  HWND control(std::size_t index) const { return controls_[index]; }

  // The exact values last written to the two bars (the bars show them rounded).
  float overall_progress() const { return overall_progress_; }
  float action_progress() const { return action_progress_; }

  void SetOverallProgress(float value) override;
  void SetActionProgress(float value) override;
  using run::RunView::ShowMessage;
  void ShowMessage(const std::string& text, Icon icon,
                   const std::string& detail) override;

  // Dispatches messages until the window has been destroyed.
  static void RunMessageLoop();

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                          LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void ApplyDpi(UINT dpi, const RECT* suggested);
  void CenterOnMonitor();
  PixelSize MeasureLabel(std::size_t index, int width) const;
  void ShowProgressNowAndThen();
  void Repaint();
  void RepaintNow() override { Repaint(); }
  void TakeInput(bool take) override;
  void ShowProgress() override;
  void CloseWindow() override;

  ShowMessageBoxFunction show_message_box_;
  HWND window_ = nullptr;
  std::array<HWND, kFormControls.size()> controls_{};
  HFONT font_ = nullptr;
  float overall_progress_ = 0;
  float action_progress_ = 0;
  ULONGLONG last_repaint_ = 0;  // GetTickCount64 of the last repaint, 0: none yet
};

}  // namespace app::win32

#endif  // PREISLISTE_APP_WIN32_FORM1_H_
