#ifndef PREISLISTE_APP_FORM1_H_
#define PREISLISTE_APP_FORM1_H_

#include <QElapsedTimer>
#include <QWidget>

#include "app/form_layout.h"
#include "app/window_run.h"

class QLabel;
class QProgressBar;

namespace app {

// The program's one window, "Update Preisliste": an instruction text and two
// progress bars (Label1/ProgressBar2: the current action, Label2/ProgressBar1:
// the whole run), placed as on the original form in twips and grown where the
// platform font needs more room, so that no text is clipped.
//
// The run starts once (WindowRun). While it runs, progress is repainted at
// most about 30 times a second with user input kept out.
class Form1 : public QWidget, public WindowRun {
 public:
  explicit Form1(Runner runner, QWidget* parent = nullptr);

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
  void ShowProgressNowAndThen();
  void RepaintNow() override;
  void TakeInput(bool take) override;
  void ShowProgress() override;
  void CloseWindow() override;

  QLabel* label3_;
  QLabel* label1_;
  QProgressBar* progress_bar2_;
  QLabel* label2_;
  QProgressBar* progress_bar1_;
  float overall_progress_ = 0;
  float action_progress_ = 0;
  QElapsedTimer since_repaint_;
};

}  // namespace app

#endif  // PREISLISTE_APP_FORM1_H_
