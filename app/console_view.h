#ifndef PREISLISTE_APP_CONSOLE_VIEW_H_
#define PREISLISTE_APP_CONSOLE_VIEW_H_

#include <chrono>
#include <cstdio>

#include "run/run_view.h"

namespace app {

// The run's view in a terminal or a pipe. Error messages go to err, other
// messages to out, one per line, without waiting for anyone; a message's
// detail follows on the next line as "  Grund: ...", a summary follows the
// message on out as it is. When
// draw_progress is set (out is a terminal) both bars are drawn on one line of
// out that is rewritten in place, at most about ten times a second.
class ConsoleView : public run::RunView {
 public:
  ConsoleView(std::FILE* out, std::FILE* err, bool draw_progress);
  ~ConsoleView() override;  // ends an open progress line
  ConsoleView(const ConsoleView&) = delete;
  ConsoleView& operator=(const ConsoleView&) = delete;

  void SetOverallProgress(float value) override;
  void SetActionProgress(float value) override;
  using run::RunView::ShowMessage;
  void ShowMessage(const std::string& text, Icon icon,
                   const std::string& detail) override;
  void ShowMessageWithSummary(const std::string& text, Icon icon,
                              const std::string& summary) override;

 private:
  void DrawProgress(bool force);
  void EndProgressLine();

  std::FILE* out_;
  std::FILE* err_;
  const bool draw_progress_;
  float overall_ = 0;
  float action_ = 0;
  bool line_open_ = false;
  std::chrono::steady_clock::time_point last_draw_;
};

}  // namespace app

#endif  // PREISLISTE_APP_CONSOLE_VIEW_H_
