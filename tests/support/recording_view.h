#ifndef PREISLISTE_TESTS_SUPPORT_RECORDING_VIEW_H_
#define PREISLISTE_TESTS_SUPPORT_RECORDING_VIEW_H_

#include <string>
#include <vector>

#include "run/run_view.h"

namespace testing_support {

// A RunView that keeps everything it is shown, in order.
class RecordingView : public run::RunView {
 public:
  struct Event {
    enum class Kind { kOverall, kAction, kMessage } kind;
    float value = 0;           // progress events
    std::string text;          // message events
    Icon icon = Icon::kError;  // message events
    std::string detail;        // message events
  };

  void SetOverallProgress(float value) override {
    events.push_back({Event::Kind::kOverall, value, {}, {}, {}});
  }
  void SetActionProgress(float value) override {
    events.push_back({Event::Kind::kAction, value, {}, {}, {}});
  }
  using run::RunView::ShowMessage;
  void ShowMessage(const std::string& text, Icon icon,
                   const std::string& detail) override {
    events.push_back({Event::Kind::kMessage, 0, text, icon, detail});
  }

  std::vector<float> Overall() const { return Values(Event::Kind::kOverall); }
  std::vector<float> Action() const { return Values(Event::Kind::kAction); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const Event& e : events)
      if (e.kind == Event::Kind::kMessage) texts.push_back(e.text);
    return texts;
  }
  // The detail of every message, in order; empty for a message without one.
  std::vector<std::string> Details() const {
    std::vector<std::string> details;
    for (const Event& e : events)
      if (e.kind == Event::Kind::kMessage) details.push_back(e.detail);
    return details;
  }

  std::vector<Event> events;

 private:
  std::vector<float> Values(Event::Kind kind) const {
    std::vector<float> values;
    for (const Event& e : events)
      if (e.kind == kind) values.push_back(e.value);
    return values;
  }
};

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_SUPPORT_RECORDING_VIEW_H_
