#include "app/win32/message_box.h"

namespace app::win32 {

namespace {

constexpr UINT kContentWidthDialogUnits = 340;

}  // namespace

TASKDIALOGCONFIG TaskDialogConfigFor(HWND owner, const MessageBoxRequest& request) {
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner;
  // Escape and the close button dismiss it like OK, as they do a message box.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION |
                   (owner != nullptr ? TDF_POSITION_RELATIVE_TO_WINDOW : 0);
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  // Windows' own choice is a narrow box: the help, whose lines are up to 78
  // characters, came out taller than a 768-pixel screen, and a reason's
  // quoted lines each took two. In dialog units, about four to a character.
  config.cxWidth = kContentWidthDialogUnits;
  config.pszWindowTitle = request.title.c_str();
  config.pszMainIcon =
      request.icon == run::RunView::Icon::kError ? TD_ERROR_ICON : TD_INFORMATION_ICON;
  config.pszMainInstruction = request.text.c_str();
  config.pszContent = request.detail.empty() ? nullptr : request.detail.c_str();
  return config;
}

MessageBoxWArguments MessageBoxWArgumentsFor(const MessageBoxRequest& request) {
  std::wstring text = request.text;
  if (!request.detail.empty()) text += L"\n\n" + request.detail;
  const UINT icon =
      request.icon == run::RunView::Icon::kError ? MB_ICONERROR : MB_ICONINFORMATION;
  return {std::move(text), static_cast<UINT>(MB_OK) | icon};
}

TaskDialogIndirectFunction FindTaskDialogIndirect() {
  // The manifest's activation context makes this the version 6 comctl32.
  HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
  if (comctl32 == nullptr) return nullptr;
  return reinterpret_cast<TaskDialogIndirectFunction>(
      reinterpret_cast<void*>(GetProcAddress(comctl32, "TaskDialogIndirect")));
}

void ShowMessageBox(HWND owner, const MessageBoxRequest& request) {
  if (const TaskDialogIndirectFunction task_dialog = FindTaskDialogIndirect()) {
    const TASKDIALOGCONFIG config = TaskDialogConfigFor(owner, request);
    if (SUCCEEDED(task_dialog(&config, nullptr, nullptr, nullptr))) return;
  }
  const MessageBoxWArguments box = MessageBoxWArgumentsFor(request);
  MessageBoxW(owner, box.text.c_str(), request.title.c_str(), box.type);
}

}  // namespace app::win32
