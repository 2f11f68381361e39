#include "app/win32/form1.h"

#include <commctrl.h>

#include <cmath>
#include <string>

#include "app/win32/resource_ids.h"
#include "app/win32/wide_text.h"
#include "core/error.h"

namespace app::win32 {
namespace {

constexpr wchar_t kClassName[] = L"UpdatePreislisteForm1";
constexpr UINT kStartRunMessage = WM_APP + 1;
constexpr int kFirstControlId = 100;
// Fixed size, as designed: a caption with the system menu and minimize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  if (GetClassInfoExW(instance, kClassName, &window_class)) return;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  // The program's icon; none in a test program, which gets the system's.
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(PREISLISTE_ICON_ID));
  window_class.hIconSm = static_cast<HICON>(LoadImageW(
      instance, MAKEINTRESOURCEW(PREISLISTE_ICON_ID), IMAGE_ICON,
      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0)
    throw core::Error("Die Fensterklasse konnte nicht angelegt werden.",
                      core::Error::Kind::kOther);
}

std::wstring LabelText(std::size_t index) {
  switch (index) {
    case kLabel3:
      return Wide(kInstructionText);
    case kLabel1:
      return Wide(kLabel1Text);
    case kLabel2:
      return Wide(kLabel2Text);
    default:
      return {};
  }
}

int BarPosition(float value) { return static_cast<int>(std::lround(value)); }

}  // namespace

Form1::Form1(Runner runner, ShowMessageBoxFunction show_message_box)
    : WindowRun(std::move(runner)), show_message_box_(std::move(show_message_box)) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, WindowProcedure);
  // WM_NCCREATE sets window_.
  CreateWindowExW(0, kClassName, Wide(kWindowCaption).c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                  this);
  if (window_ == nullptr)
    throw core::Error("Das Fenster konnte nicht angelegt werden (Fehler " +
                          std::to_string(GetLastError()) + ").",
                      core::Error::Kind::kOther);
  CreateControls();
  ApplyDpi(GetDpiForWindow(window_), nullptr);
  CenterOnMonitor();
}

// In the middle of its monitor's work area, so that the message boxes, which
// are centred on the window, are not cut off at a screen edge either.
void Form1::CenterOnMonitor() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT frame;
  GetWindowRect(window_, &frame);
  const RECT& work = monitor.rcWork;
  SetWindowPos(window_, nullptr,
               work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
               work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Form1::~Form1() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

// Load: both bars at 0, then the instruction text.
void Form1::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t i = 0; i < kFormControls.size(); ++i) {
    const bool bar = kFormControls[i].kind == FormControl::Kind::kProgressBar;
    const DWORD style =
        WS_CHILD | WS_VISIBLE |
        (bar ? 0
             : SS_NOPREFIX | (kFormControls[i].kind == FormControl::Kind::kWrappingLabel
                                  ? SS_LEFT
                                  : SS_LEFTNOWORDWRAP));
    controls_[i] = CreateWindowExW(
        0, bar ? PROGRESS_CLASSW : L"STATIC", LabelText(i).c_str(), style, 0, 0, 0, 0,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
        instance, nullptr);
    if (controls_[i] == nullptr)
      throw core::Error(std::string("Das Steuerelement ") + kFormControls[i].name +
                            " konnte nicht angelegt werden.",
                        core::Error::Kind::kOther);
    if (bar) {
      SendMessageW(controls_[i], PBM_SETRANGE32, 0, 100);
      SendMessageW(controls_[i], PBM_SETPOS, 0, 0);
    }
  }
}

// The system's message font at `dpi`, the controls placed for it, and the
// window sized around them: at `suggested`'s corner when the system moved the
// window to a monitor of another DPI.
void Form1::ApplyDpi(UINT dpi, const RECT* suggested) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  for (HWND control : controls_)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;

  const FormLayout layout = LayOutForm(
      static_cast<int>(dpi),
      [this](std::size_t index, int width) { return MeasureLabel(index, width); });
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const PixelRect& r = layout.controls[i];
    MoveWindow(controls_[i], r.left, r.top, r.width, r.height, TRUE);
  }
  RECT frame{0, 0, layout.client.width, layout.client.height};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi);
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (suggested == nullptr) flags |= SWP_NOMOVE;
  SetWindowPos(window_, nullptr, suggested ? suggested->left : 0,
               suggested ? suggested->top : 0, frame.right - frame.left,
               frame.bottom - frame.top, flags);
}

// As the static control draws it: wrapped at word boundaries, or on one line.
PixelSize Form1::MeasureLabel(std::size_t index, int width) const {
  const std::wstring text = LabelText(index);
  HDC dc = GetDC(window_);
  HGDIOBJ old_font = SelectObject(dc, font_);
  RECT rect{0, 0, width, 0};
  const UINT wrap = kFormControls[index].kind == FormControl::Kind::kWrappingLabel
                        ? DT_WORDBREAK
                        : DT_SINGLELINE;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | wrap);
  SelectObject(dc, old_font);
  ReleaseDC(window_, dc);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void Form1::Show(int show_command) {
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
}

LRESULT CALLBACK Form1::WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form =
        static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return form->Handle(message, wparam, lparam);
}

LRESULT Form1::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SHOWWINDOW:
    case WM_ACTIVATE: {
      // The first showing or activation, whichever comes first, starts the
      // run once the window has been drawn.
      const bool shown =
          message == WM_SHOWWINDOW ? wparam != FALSE : LOWORD(wparam) != WA_INACTIVE;
      if (shown && !run_started()) PostMessageW(window_, kStartRunMessage, 0, 0);
      break;
    }
    case kStartRunMessage:
      StartRunOnce();
      return 0;
    case WM_CLOSE:
      if (running()) return 0;  // the transaction must end before the program does
      break;
    case WM_QUERYENDSESSION:
      if (running()) return FALSE;  // nor may Windows end it by logging off
      break;
    case WM_DPICHANGED:
      ApplyDpi(HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void Form1::TakeInput(bool take) { EnableWindow(window_, take ? TRUE : FALSE); }

void Form1::CloseWindow() { DestroyWindow(window_); }

void Form1::SetOverallProgress(float value) {
  overall_progress_ = value;
  ShowProgressNowAndThen();
}

void Form1::SetActionProgress(float value) {
  action_progress_ = value;
  ShowProgressNowAndThen();
}

// Repaints now and then while the run holds the UI thread, so the window never
// looks hung; input stays queued (the window is disabled besides) until the
// run is over. The bars take their values only then: the action bar changes
// thousands of times a run.
void Form1::ShowProgressNowAndThen() {
  const ULONGLONG now = GetTickCount64();
  if (last_repaint_ != 0 && now - last_repaint_ < kRepaintIntervalMs) return;
  ShowProgress();
  Repaint();
  last_repaint_ = GetTickCount64();
}

void Form1::ShowProgress() {
  SendMessageW(controls_[kProgressBar1], PBM_SETPOS, BarPosition(overall_progress_), 0);
  SendMessageW(controls_[kProgressBar2], PBM_SETPOS, BarPosition(action_progress_), 0);
}

// Draws what is invalid now, and lets the timers run that animate the
// themed progress bars; no other message is taken from the queue.
void Form1::Repaint() {
  RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
    DispatchMessageW(&message);
}

void Form1::ShowMessage(const std::string& text, Icon icon, const std::string& detail) {
  ShowProgress();  // the box comes up over the bars as they stand
  // The box disables its owner while it is open and activates it afterwards,
  // which a window disabled by the run would refuse.
  EnableWindow(window_, TRUE);
  show_message_box_(window_, {Wide(kWindowCaption), Wide(text), Wide(detail), icon});
  if (running()) EnableWindow(window_, FALSE);
}

void Form1::RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace app::win32
