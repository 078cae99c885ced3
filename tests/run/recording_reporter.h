// Records a run as the window shows it (res/window_report.h): every status line,
// log line, redraw, scroll and box, in order, the boxes answered from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "res/window_report.h"

namespace quelvane::testing {

class RecordingReporter : public res::WindowReport {
 public:
  struct Box {
    std::string text;
    std::string caption;
    BoxType type;
  };

  void SetStatusLines(const std::optional<std::string>& line1,
                      const std::optional<std::string>& line2,
                      const std::optional<std::string>& line3,
                      const std::optional<std::string>& line4) override {
    std::string event = "status";
    for (const auto* line : {&line1, &line2, &line3, &line4}) {
      event += *line ? "|" + **line : "|-";
    }
    events.push_back(event);
    for (std::size_t i = 0; i < 4; ++i) {
      const auto& line = i == 0 ? line1 : i == 1 ? line2 : i == 2 ? line3 : line4;
      if (line) status[i] = *line;
    }
  }

  void AddLogLine(std::string_view text) override {
    log.emplace_back(text);
    events.push_back("log");
  }
  void SetLogRedraw(bool on) override { events.push_back(on ? "redraw on" : "redraw off"); }
  void ScrollLogToEnd() override { events.push_back("scroll"); }

  BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type) override {
    boxes.push_back({std::string(text), std::string(caption), type});
    events.push_back("box|" + std::string(caption));
    if (answers.empty()) return BoxAnswer::kOk;
    const BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<std::string> events;
  std::vector<std::string> log;
  std::vector<Box> boxes;
  std::string status[4];
  std::deque<BoxAnswer> answers;  // for the question boxes, in order
};

}  // namespace quelvane::testing
