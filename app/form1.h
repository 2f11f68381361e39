#ifndef PREISLISTE_APP_FORM1_H_
#define PREISLISTE_APP_FORM1_H_

#include <QElapsedTimer>
#include <QWidget>
#include <functional>

#include "app/form_layout.h"
#include "app/run_update.h"
#include "run/run_view.h"

class QLabel;
class QProgressBar;

namespace app {

// The program's one window, "Update Preisliste": an instruction text and two
// progress bars (Label1/ProgressBar2: the current action, Label2/ProgressBar1:
// the whole run), placed as on the original form in twips and grown where the
// platform font needs more room, so that no text is clipped.
//
// The run starts once, on the first activation or the first showing of the
// window, whichever comes first, and runs on the UI thread. While it runs,
// progress is repainted at most about 30 times a second with user input kept
// out, and closing the window is refused. A committed run or a finished dry
// run closes the window; after a stopped run it stays open until the operator
// closes it.
class Form1 : public QWidget, public run::RunView {
 public:
  using Runner = std::function<RunOutcome(run::RunView&)>;

  explicit Form1(Runner runner, QWidget* parent = nullptr);

  bool run_started() const { return run_started_; }
  bool committed() const { return committed_; }
  // The exact values last written to the two bars (the bars show them rounded).
  float overall_progress() const { return overall_progress_; }
  float action_progress() const { return action_progress_; }

  void SetOverallProgress(float value) override;
  void SetActionProgress(float value) override;
  using run::RunView::ShowMessage;
  void ShowMessage(const std::string& text, Icon icon,
                   const std::string& detail) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void LayOutControls();
  void StartRunOnce();
  void ShowProgressNowAndThen();
  void ShowProgress();  // writes the values to the bars

  Runner runner_;
  QLabel* label3_;
  QLabel* label1_;
  QProgressBar* progress_bar2_;
  QLabel* label2_;
  QProgressBar* progress_bar1_;
  float overall_progress_ = 0;
  float action_progress_ = 0;
  bool run_started_ = false;  // the run-once flag; never reset
  bool running_ = false;
  bool committed_ = false;
  QElapsedTimer since_repaint_;
};

}  // namespace app

#endif  // PREISLISTE_APP_FORM1_H_
