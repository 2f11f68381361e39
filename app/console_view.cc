#include "app/console_view.h"

#include <cmath>
#include <string>

#include "platform/console_output.h"

namespace app {
namespace {

constexpr auto kDrawInterval = std::chrono::milliseconds(100);

}  // namespace

ConsoleView::ConsoleView(std::FILE* out, std::FILE* err, bool draw_progress)
    : out_(out), err_(err), draw_progress_(draw_progress) {}

ConsoleView::~ConsoleView() { EndProgressLine(); }

void ConsoleView::SetOverallProgress(float value) {
  overall_ = value;
  DrawProgress(true);  // rare: a few times per run
}

void ConsoleView::SetActionProgress(float value) {
  action_ = value;
  DrawProgress(false);
}

void ConsoleView::ShowMessage(const std::string& text, Icon icon,
                              const std::string& detail) {
  EndProgressLine();
  std::FILE* stream = icon == Icon::kError ? err_ : out_;
  platform::WriteText(stream, text + '\n');
  if (!detail.empty()) platform::WriteText(stream, "  Grund: " + detail + '\n');
  std::fflush(stream);
}

void ConsoleView::ShowMessageWithSummary(const std::string& text, Icon icon,
                                         const std::string& summary) {
  ShowMessage(text, icon);
  platform::WriteText(out_, summary);
  if (!summary.empty() && !summary.ends_with('\n')) platform::WriteText(out_, "\n");
  std::fflush(out_);
}

void ConsoleView::DrawProgress(bool force) {
  if (!draw_progress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && line_open_ && now - last_draw_ < kDrawInterval) return;
  last_draw_ = now;
  std::fprintf(out_, "\rFortschritt Aktion: %3ld %%   Fortschritt gesamt: %3ld %%",
               std::lround(action_), std::lround(overall_));
  std::fflush(out_);
  line_open_ = true;
}

void ConsoleView::EndProgressLine() {
  if (!line_open_) return;
  DrawProgress(true);
  std::fputc('\n', out_);
  std::fflush(out_);
  line_open_ = false;
}

}  // namespace app
