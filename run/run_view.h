#ifndef PREISLISTE_RUN_RUN_VIEW_H_
#define PREISLISTE_RUN_RUN_VIEW_H_

#include <string>

namespace run {

// What a run shows the operator: the two progress bars and modal messages.
// The window and the console implement it; tests record it. Every part of a
// run reports through the one view it is given, on the calling thread.
class RunView {
 public:
  enum class Icon { kError, kInformation };

  virtual ~RunView() = default;

  // ProgressBar1: progress of the whole run, 0..100.
  virtual void SetOverallProgress(float value) = 0;
  // ProgressBar2: progress of the current action, 0..100.
  virtual void SetActionProgress(float value) = 0;
  // A modal message with one OK button; returns when it has been dismissed.
  // `detail`, when not empty, is the reason beside the fixed text: the
  // console prints it on the next line, the window as the box's informative
  // text.
  virtual void ShowMessage(const std::string& text, Icon icon,
                           const std::string& detail) = 0;
  void ShowMessage(const std::string& text, Icon icon) { ShowMessage(text, icon, {}); }
  // The run's last message with the summary of what it changed. The window
  // shows the summary as the box's informative text (the default); the
  // console prints it after the message.
  virtual void ShowMessageWithSummary(const std::string& text, Icon icon,
                                      const std::string& summary) {
    ShowMessage(text, icon, summary);
  }
};

}  // namespace run

#endif  // PREISLISTE_RUN_RUN_VIEW_H_
