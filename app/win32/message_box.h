#ifndef PREISLISTE_APP_WIN32_MESSAGE_BOX_H_
#define PREISLISTE_APP_WIN32_MESSAGE_BOX_H_

#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <functional>
#include <string>

#include "run/run_view.h"

namespace app::win32 {

// One modal message: its text, the detail beside it (a reason or a summary;
// may be empty), its icon and the title of the box. It has one OK button.
struct MessageBoxRequest {
  std::wstring title;
  std::wstring text;
  std::wstring detail;
  run::RunView::Icon icon = run::RunView::Icon::kError;
};

// How the window shows a message; tests put their own in its place.
using ShowMessageBoxFunction =
    std::function<void(HWND owner, const MessageBoxRequest& request)>;

// Shows `request` modal to `owner` (may be null) and returns once it has been
// dismissed. A task dialog when comctl32 offers one (version 6, selected by
// the program's manifest): the text as its main instruction, the detail as
// its content. Otherwise, or when the task dialog fails, a MessageBoxW with
// the detail after an empty line.
void ShowMessageBox(HWND owner, const MessageBoxRequest& request);

// The two ways, each given what it shows; the strings point into `request`.
TASKDIALOGCONFIG TaskDialogConfigFor(HWND owner, const MessageBoxRequest& request);
struct MessageBoxWArguments {
  std::wstring text;
  UINT type;
};
MessageBoxWArguments MessageBoxWArgumentsFor(const MessageBoxRequest& request);

// TaskDialogIndirect of the comctl32 this process uses, or null when it has
// none (comctl32 before version 6, or a program without the manifest).
using TaskDialogIndirectFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*,
                                                    BOOL*);
TaskDialogIndirectFunction FindTaskDialogIndirect();

}  // namespace app::win32

#endif  // PREISLISTE_APP_WIN32_MESSAGE_BOX_H_
