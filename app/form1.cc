#include "app/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace app {

const char kInstructionText[] =
    "Die Telvaro Preisliste wird jetzt geupdated, indem die Datei 'Preise.csv' im selben "
    "Verzeichnis wie dieses Programm übernommen wird. "
    "Die Datei muss aus dem Portavo heruntergeladen werden!";

namespace {

constexpr int kClientWidthTwips = 4695;
constexpr int kClientHeightTwips = 2715;
constexpr int kMarginTwips = 120;
constexpr int kTwipsPerPixelAt96Dpi = 15;
constexpr qint64 kRepaintIntervalMs = 33;

struct TwipRect {
  int left, top, width, height;
};

QProgressBar* MakeProgressBar(const char* name, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// The height a label needs for its text at the given width.
int NeededHeight(const QLabel* label, int width) {
  return label->wordWrap() ? label->heightForWidth(width) : label->sizeHint().height();
}

}  // namespace

Form1::Form1(Runner runner, QWidget* parent)
    : QWidget(parent),
      runner_(std::move(runner)),
      label3_(MakeLabel("Label3", QString(), this)),
      label1_(MakeLabel("Label1", "Fortschritt Aktion:", this)),
      progress_bar2_(MakeProgressBar("ProgressBar2", this)),
      label2_(MakeLabel("Label2", "Fortschritt gesamt:", this)),
      progress_bar1_(MakeProgressBar("ProgressBar1", this)) {
  setObjectName("Form1");
  setWindowTitle("Update Preisliste");
  // Load: both bars to 0 (done above), then the instruction text.
  label3_->setWordWrap(true);
  label3_->setText(QString::fromUtf8(kInstructionText));
  LayOutControls();
}

// Places the controls at their twip positions. A label whose text needs more
// room than its twip size gets it; everything below moves down by the extra
// height and the window grows with it.
void Form1::LayOutControls() {
  const double pixels_per_twip = logicalDpiY() / 96.0 / kTwipsPerPixelAt96Dpi;
  const auto px = [pixels_per_twip](int twips) {
    return static_cast<int>(std::lround(twips * pixels_per_twip));
  };
  const struct {
    QWidget* control;
    TwipRect twips;
  } controls[] = {
      {label3_, {120, 120, 4335, 975}},         {label1_, {120, 1200, 1230, 195}},
      {progress_bar2_, {120, 1440, 4455, 375}}, {label2_, {120, 1920, 1290, 195}},
      {progress_bar1_, {120, 2160, 4455, 375}},
  };
  int shift = 0;
  int right = px(kClientWidthTwips);
  for (const auto& [control, twips] : controls) {
    QRect rect(px(twips.left), px(twips.top) + shift, px(twips.width), px(twips.height));
    if (auto* label = qobject_cast<QLabel*>(control)) {
      if (!label->wordWrap())
        rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
      const int needed = NeededHeight(label, rect.width());
      if (needed > rect.height()) {
        shift += needed - rect.height();
        rect.setHeight(needed);
      }
    }
    control->setGeometry(rect);
    right = std::max(right, rect.right() + 1 + px(kMarginTwips));
  }
  setFixedSize(right, px(kClientHeightTwips) + shift);
}

void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window without a window manager is never activated, so the first
  // showing starts the run as well, once the event loop has drawn it.
  if (!run_started_) QTimer::singleShot(0, this, [this] { StartRunOnce(); });
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !run_started_)
    QTimer::singleShot(0, this, [this] { StartRunOnce(); });
}

void Form1::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();  // the transaction must end before the program does
    return;
  }
  QWidget::closeEvent(event);
}

void Form1::StartRunOnce() {
  if (run_started_) return;
  // Text and empty bars are visible before the long synchronous run starts.
  repaint();
  run_started_ = true;
  running_ = true;
  const RunOutcome outcome = runner_(*this);
  running_ = false;
  ShowProgress();
  if (outcome != RunOutcome::kStopped) {
    committed_ = outcome == RunOutcome::kCommitted;
    close();
  }
}

void Form1::SetOverallProgress(float value) {
  overall_progress_ = value;
  ShowProgressNowAndThen();
}

void Form1::SetActionProgress(float value) {
  action_progress_ = value;
  ShowProgressNowAndThen();
}

// Repaints now and then while the run holds the UI thread, so the window
// never looks hung; user input stays queued until the run is over. The bars
// take their values only then: a bar repaints itself at once on every visible
// change, and the action bar changes thousands of times a run.
void Form1::ShowProgressNowAndThen() {
  if (since_repaint_.isValid() && since_repaint_.elapsed() < kRepaintIntervalMs) return;
  ShowProgress();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  since_repaint_.start();
}

void Form1::ShowProgress() {
  progress_bar1_->setValue(static_cast<int>(std::lround(overall_progress_)));
  progress_bar2_->setValue(static_cast<int>(std::lround(action_progress_)));
}

void Form1::ShowMessage(const std::string& text, Icon icon, const std::string& detail) {
  ShowProgress();  // the box comes up over the bars as they stand
  QMessageBox box(icon == Icon::kError ? QMessageBox::Critical : QMessageBox::Information,
                  windowTitle(), QString::fromStdString(text), QMessageBox::Ok, this);
  if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
  box.exec();
}

}  // namespace app
