#include "app/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <functional>

#include "tests/app/jet_numbers_file.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/support/recording_view.h"

namespace app {

// Fontconfig, loaded by Qt, keeps a cache it never frees; it is not ours to
// fix, and the leak checker of the sanitizer build would fail every test here.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

void ProcessEvents() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

class Form1Test : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
  }

  // A run that counts how often it was started and does what `body` says.
  Form1::Runner CountingRunner(std::function<RunOutcome(run::RunView&)> body) {
    return [this, body](run::RunView& view) {
      ++runs_;
      return body(view);
    };
  }

  template <class T>
  T* Child(const Form1& form, const char* name) {
    T* child = form.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  int runs_ = 0;
};

int Px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

TEST_F(Form1Test, CaptionLabelsAndEmptyBarsAtLoad) {
  Form1 form(CountingRunner([](run::RunView&) { return RunOutcome::kStopped; }));
  EXPECT_EQ(form.objectName(), "Form1");
  EXPECT_EQ(form.windowTitle(), "Update Preisliste");
  EXPECT_EQ(
      Child<QLabel>(form, "Label3")->text(),
      QString::fromUtf8(
          "Die Telvaro Preisliste wird jetzt geupdated, indem die Datei 'Preise.csv' im "
          "selben Verzeichnis wie dieses Programm übernommen wird. Die Datei muss aus "
          "dem Portavo heruntergeladen werden!"));
  EXPECT_EQ(Child<QLabel>(form, "Label1")->text(), "Fortschritt Aktion:");
  EXPECT_EQ(Child<QLabel>(form, "Label2")->text(), "Fortschritt gesamt:");
  for (const char* name : {"ProgressBar1", "ProgressBar2"}) {
    const QProgressBar* bar = Child<QProgressBar>(form, name);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
  }
  EXPECT_EQ(runs_, 0);  // nothing runs before the window is shown
}

TEST_F(Form1Test, ControlsKeepTheirOrderPlacesAndNeverClipText) {
  Form1 form(CountingRunner([](run::RunView&) { return RunOutcome::kStopped; }));
  ASSERT_EQ(form.logicalDpiY(), 96) << "geometry expectations assume 96 dpi";
  const char* order[] = {"Label3", "Label1", "ProgressBar2", "Label2", "ProgressBar1"};
  const int twip_tops[] = {120, 1200, 1440, 1920, 2160};
  const int twip_heights[] = {975, 195, 375, 195, 375};
  const int twip_widths[] = {4335, 1230, 4455, 1290, 4455};
  int extra = 0;  // height added above the current control for the platform font
  for (int i = 0; i < 5; ++i) {
    const QWidget* control = Child<QWidget>(form, order[i]);
    const QRect rect = control->geometry();
    EXPECT_EQ(rect.left(), Px(120)) << order[i];
    EXPECT_EQ(rect.top(), Px(twip_tops[i]) + extra) << order[i];
    EXPECT_GE(rect.width(), Px(twip_widths[i])) << order[i];
    EXPECT_GE(rect.height(), Px(twip_heights[i])) << order[i];
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
      const QFontMetrics metrics(label->font());
      if (label->wordWrap()) {
        EXPECT_EQ(rect.width(), Px(twip_widths[i]));
        EXPECT_GE(rect.height(), label->heightForWidth(rect.width())) << "clipped";
      } else {
        EXPECT_GE(rect.width(), metrics.horizontalAdvance(label->text())) << "clipped";
        EXPECT_GE(rect.height(), metrics.height()) << "clipped";
      }
    } else {
      EXPECT_EQ(rect.size(), QSize(Px(twip_widths[i]), Px(twip_heights[i]))) << order[i];
    }
    extra += rect.height() - Px(twip_heights[i]);
  }
  EXPECT_EQ(form.size(), QSize(Px(4695), Px(2715) + extra));
}

TEST_F(Form1Test, RunsOnceOnFirstShowingAndNeverAgainAfterAStop) {
  Form1 form(CountingRunner([](run::RunView& view) {
    view.SetOverallProgress(14);
    view.SetActionProgress(37.5f);
    return RunOutcome::kStopped;
  }));
  form.show();
  ProcessEvents();
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(form.run_started());
  EXPECT_TRUE(form.isVisible());  // a stopped run leaves the window open
  EXPECT_FALSE(form.committed());
  EXPECT_FLOAT_EQ(form.action_progress(), 37.5f);
  EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar1")->value(), 14);
  EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar2")->value(), 38);

  // Switching away and back, or showing again, starts nothing.
  form.hide();
  form.show();
  form.activateWindow();
  QEvent activation(QEvent::ActivationChange);
  QApplication::sendEvent(&form, &activation);
  ProcessEvents();
  EXPECT_EQ(runs_, 1);
}

TEST_F(Form1Test, CloseIsRefusedWhileRunningAndCommitClosesTheWindow) {
  bool closed_during_run = true;
  Form1* form_pointer = nullptr;
  Form1 form(CountingRunner([&](run::RunView&) {
    closed_during_run = form_pointer->close();
    return RunOutcome::kCommitted;
  }));
  form_pointer = &form;
  form.show();
  ProcessEvents();
  EXPECT_EQ(runs_, 1);
  EXPECT_FALSE(closed_during_run);
  EXPECT_TRUE(form.committed());
  EXPECT_FALSE(form.isVisible());
}

TEST_F(Form1Test, MessagesAreModalBoxesWithIconOneOkAndTheCaptionAsTitle) {
  struct Seen {
    QString text, title, informative_text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    float overall_while_shown = -1;
    int bar_while_shown = -1;
  };
  std::vector<Seen> seen;
  Form1* form_pointer = nullptr;
  // Reads the open message box, then dismisses it with its OK button.
  const auto inspect_and_dismiss = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.push_back({box->text(), box->windowTitle(), box->informativeText(), box->icon(),
                    static_cast<int>(box->buttons().size()),
                    form_pointer->overall_progress(),
                    Child<QProgressBar>(*form_pointer, "ProgressBar1")->value()});
    box->button(QMessageBox::Ok)->click();
  };
  Form1 form(CountingRunner([&](run::RunView& view) {
    QTimer::singleShot(0, inspect_and_dismiss);
    view.ShowMessage("Falsche Datei", run::RunView::Icon::kError, "Die Datei ist leer.");
    view.SetOverallProgress(50);
    view.SetOverallProgress(100);  // too soon after 50 for a repaint
    QTimer::singleShot(0, inspect_and_dismiss);
    view.ShowMessage("Fertig!", run::RunView::Icon::kInformation);
    return RunOutcome::kCommitted;
  }));
  form_pointer = &form;
  form.show();
  ProcessEvents();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, "Falsche Datei");
  EXPECT_EQ(seen[0].informative_text, "Die Datei ist leer.");
  EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(seen[1].text, "Fertig!");
  EXPECT_EQ(seen[1].informative_text, "");
  EXPECT_EQ(seen[1].icon, QMessageBox::Information);
  EXPECT_FLOAT_EQ(seen[1].overall_while_shown, 100);
  EXPECT_EQ(seen[1].bar_while_shown, 100);  // shown although no repaint was due
  for (const Seen& s : seen) {
    EXPECT_EQ(s.title, "Update Preisliste");
    EXPECT_EQ(s.buttons, 1);
  }
  EXPECT_FALSE(form.isVisible());
}

// Destination names come from the supplier's file: one that looks like
// markup is shown as written, in the message and in its second part.
TEST_F(Form1Test, MessageTextIsShownAsWrittenNeverAsMarkup) {
  const QString markup = "<b>x</b>";
  int labels_seen = 0;
  const auto inspect_and_dismiss = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      if (label->text() != markup) continue;
      ++labels_seen;
      EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
      // Drawn as rich text it would be the one bold "x".
      EXPECT_GE(label->sizeHint().width(),
                QFontMetrics(label->font()).horizontalAdvance(markup));
    }
    box->button(QMessageBox::Ok)->click();
  };
  Form1 form(CountingRunner([&](run::RunView& view) {
    QTimer::singleShot(0, inspect_and_dismiss);
    view.ShowMessage(markup.toStdString(), run::RunView::Icon::kInformation,
                     markup.toStdString());
    return RunOutcome::kStopped;
  }));
  form.show();
  ProcessEvents();
  EXPECT_EQ(labels_seen, 2);
  for (const QLabel* label : form.findChildren<QLabel*>())
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

// A refusal quotes the lines of the price file, one to a line of its second
// part; each must stay one line in the box, not be wrapped into two.
TEST_F(Form1Test, AQuotedLineOfAReasonStaysOneLine) {
  const QString quoted =
      "  Zeile 3 (weniger als drei durch ';' getrennte Felder): "
      "0043650,\u00d6sterreich Mobil,0,0427";
  const QString detail = "298 von 298 Datenzeilen sind keine Zeilen einer Preisliste:\n" +
                         quoted + "\n" + quoted;
  bool seen = false;
  bool wrapped = true;
  const auto inspect_and_dismiss = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      if (label->text() != detail) continue;
      seen = true;
      wrapped =
          label->heightForWidth(label->width()) > label->heightForWidth(QWIDGETSIZE_MAX);
    }
    box->button(QMessageBox::Ok)->click();
  };
  Form1 form(CountingRunner([&](run::RunView& view) {
    QTimer::singleShot(0, inspect_and_dismiss);
    view.ShowMessage("Falsche Datei", run::RunView::Icon::kError, detail.toStdString());
    return RunOutcome::kStopped;
  }));
  form.show();
  ProcessEvents();
  EXPECT_TRUE(seen);
  EXPECT_FALSE(wrapped);
}

// A real run on a copy of a Jet file, with a change list that cannot be
// written: the last box is "Fertig!" with the summary as its informative text
// (the summary a dry run showed before), then the error box follows and the
// window closes, since the commit stands.
TEST_F(Form1Test, TheFinalBoxCarriesTheSummaryAndAnUnwrittenChangeListFollows) {
  const testing_support::TempDir folder;
  testing_support::CopyJetNumbersFile(folder.path());
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const testing_support::CurrentFolder current(folder.path());
  // The small file would remove most of the Jet file's prefixes: no check of
  // a shrinking list here.
  auto settings = testing_support::SettingsFor(folder.path());
  settings["Pruefung/MaxWegfall"] = "100";
  const testing_support::MapSettingsStore store(settings);
  testing_support::RecordingView dry_view;
  ASSERT_EQ(RunUpdate(store, NumberFormat{","}, dry_view, {true, ""}).outcome,
            RunOutcome::kDryRun);
  const std::string summary = dry_view.events.back().detail;
  ASSERT_EQ(summary.rfind("Preisdatei: ", 0), 0u) << summary;
  ASSERT_NE(summary.find("\nVorwahlen: "), std::string::npos) << summary;

  struct Box {
    QString text, informative_text;
    QMessageBox::Icon icon;
  };
  std::vector<Box> boxes;
  // Reads and dismisses every message box as it comes up.
  QTimer dismisser;
  QObject::connect(&dismisser, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    boxes.push_back({box->text(), box->informativeText(), box->icon()});
    box->button(QMessageBox::Ok)->click();
  });
  dismisser.start(10);
  RunResult result;
  Form1 form(CountingRunner([&](run::RunView& view) {
    result =
        RunUpdate(store, NumberFormat{","}, view, {false, "no-such-folder/changes.csv"});
    return result.outcome;
  }));
  form.show();
  ProcessEvents();
  dismisser.stop();

  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(ExitStatus(result), 3);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Fertig!");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
  EXPECT_EQ(boxes[0].informative_text.toStdString(), summary);
  EXPECT_EQ(boxes[1].text.toStdString(),
            "Fehler: Die Änderungsliste konnte nicht geschrieben werden: "
            "no-such-folder/changes.csv: Datei oder Ordner nicht gefunden");
  EXPECT_EQ(boxes[1].icon, QMessageBox::Critical);
  EXPECT_TRUE(form.committed());
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace app
