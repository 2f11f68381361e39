#include "app/console_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace app {
namespace {

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

class ConsoleViewTest : public testing::Test {
 protected:
  ~ConsoleViewTest() override {
    std::fclose(out_);
    std::fclose(err_);
  }
  std::FILE* out_ = std::tmpfile();
  std::FILE* err_ = std::tmpfile();
};

TEST_F(ConsoleViewTest, WithoutTerminalPrintsOnlyMessagesErrorsApart) {
  {
    ConsoleView view(out_, err_, false);
    view.SetOverallProgress(0);
    view.SetActionProgress(50);
    view.ShowMessage("Falsche Datei", run::RunView::Icon::kError, "Die Datei ist leer.");
    view.ShowMessage("Fehler:", run::RunView::Icon::kError);
    view.SetOverallProgress(100);
    view.ShowMessage("Fertig!", run::RunView::Icon::kInformation);
  }
  EXPECT_EQ(Contents(out_), "Fertig!\n");
  EXPECT_EQ(Contents(err_), "Falsche Datei\n  Grund: Die Datei ist leer.\nFehler:\n");
}

TEST_F(ConsoleViewTest, OnTerminalRewritesOneProgressLineAndEndsItBeforeAMessage) {
  {
    ConsoleView view(out_, err_, true);
    view.SetOverallProgress(14);
    view.SetActionProgress(37.6f);
    view.SetOverallProgress(100);
    view.ShowMessage("Fertig!", run::RunView::Icon::kInformation);
  }
  const std::string out = Contents(out_);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
  EXPECT_NE(
      out.find("\rFortschritt Aktion:  38 %   Fortschritt gesamt: 100 %\nFertig!\n"),
      std::string::npos)
      << out;
  EXPECT_EQ(Contents(err_), "");
}

}  // namespace
}  // namespace app
