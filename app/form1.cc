#include "app/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace app {

namespace {

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
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Left to itself, QMessageBox wraps its second part at 500 pixels: each
// quoted line of a refusal took two, and "--ohne-pruefung" was split at its
// hyphen. A spacer across the box's grid makes room for the detail's longest
// line beside the icon, up to 100 characters and three quarters of the screen.
void MakeRoomForLongLines(QMessageBox& box, const QString& detail) {
  constexpr int kMostCharacters = 100;
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const QFontMetrics metrics = box.fontMetrics();
  int longest = 0;
  for (const QString& line : detail.split(u'\n'))
    longest = std::max(longest, metrics.horizontalAdvance(line));
  int width = std::min(longest, metrics.averageCharWidth() * kMostCharacters) +
              box.iconPixmap().width() + 4 * metrics.averageCharWidth();
  if (const QScreen* screen = box.screen())
    width = std::min(width, screen->availableGeometry().width() * 3 / 4);
  grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

Form1::Form1(Runner runner, QWidget* parent)
    : QWidget(parent),
      WindowRun(std::move(runner)),
      label3_(MakeLabel(kFormControls[kLabel3].name, QString(), this)),
      label1_(MakeLabel(kFormControls[kLabel1].name, kLabel1Text, this)),
      progress_bar2_(MakeProgressBar(kFormControls[kProgressBar2].name, this)),
      label2_(MakeLabel(kFormControls[kLabel2].name, kLabel2Text, this)),
      progress_bar1_(MakeProgressBar(kFormControls[kProgressBar1].name, this)) {
  setObjectName("Form1");
  setWindowTitle(kWindowCaption);
  // Load: both bars to 0 (done above), then the instruction text.
  label3_->setWordWrap(true);
  label3_->setText(QString::fromUtf8(kInstructionText));
  LayOutControls();
}

// Places the controls as designed (app/form_layout.h), with the room the
// platform font needs.
void Form1::LayOutControls() {
  QLabel* const labels[] = {label3_, label1_, nullptr, label2_, nullptr};
  QWidget* const controls[] = {label3_, label1_, progress_bar2_, label2_, progress_bar1_};
  const FormLayout layout =
      LayOutForm(logicalDpiY(), [&labels](std::size_t index, int width) {
        const QLabel* label = labels[index];
        if (label->wordWrap()) return PixelSize{width, label->heightForWidth(width)};
        const QSize hint = label->sizeHint();
        return PixelSize{hint.width(), hint.height()};
      });
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const PixelRect& r = layout.controls[i];
    controls[i]->setGeometry(r.left, r.top, r.width, r.height);
  }
  setFixedSize(layout.client.width, layout.client.height);
}

void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window without a window manager is never activated, so the first
  // showing starts the run as well, once the event loop has drawn it.
  if (!run_started()) QTimer::singleShot(0, this, [this] { StartRunOnce(); });
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !run_started())
    QTimer::singleShot(0, this, [this] { StartRunOnce(); });
}

void Form1::closeEvent(QCloseEvent* event) {
  if (running()) {
    event->ignore();  // the transaction must end before the program does
    return;
  }
  QWidget::closeEvent(event);
}

void Form1::RepaintNow() { repaint(); }

// Input stays queued during the run: ShowProgressNowAndThen leaves it out.
void Form1::TakeInput(bool) {}

void Form1::CloseWindow() { close(); }

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
  // Messages quote the operator's data (destination names, file names): a
  // "<b>" in them is text, never markup. The box leaves its informative text
  // to Qt's guess, so every label of the box is told.
  for (QLabel* label : box.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
  if (!detail.empty()) MakeRoomForLongLines(box, box.informativeText());
  box.exec();
}

}  // namespace app
