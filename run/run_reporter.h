// What a file conversion run reports, and to whom: the main window shows it in its
// status lines, log list and message boxes; quelvane-cli on its standard streams.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/box_types.h"
#include "core/text.h"  // StripTrailingLineEnds, named in AddLogLine
#include "run/run_texts.h"

namespace quelvane {

class RunReporter {
 public:
  virtual ~RunReporter() = default;

  // Four status lines, top to bottom: an absent text leaves its line, an empty one clears it.
  virtual void SetStatusLines(const std::optional<std::string>& line1,
                              const std::optional<std::string>& line2,
                              const std::optional<std::string>& line3,
                              const std::optional<std::string>& line4) = 0;

  // Appends one log line. The run passes texts ending in "\r\n"; implementations
  // show StripTrailingLineEnds(text).
  virtual void AddLogLine(std::string_view text) = 0;

  // The log stops redrawing during a run and redraws once at its end.
  virtual void SetLogRedraw(bool on) = 0;
  // After the redraw is back on: shows the last line when the log holds more than 10.
  virtual void ScrollLogToEnd() = 0;

  // A message box; returns the answer (kYes or kNo for a question, else kOk).
  virtual BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type) = 0;
  // The words of the boxes that name the window's controls: the window's own
  // unless the reporter speaks to a terminal.
  virtual const run_texts::BoxTexts& Boxes() const { return run_texts::kWindowBoxes; }

  // Progress inside the current file: bytes read of the current pass and the
  // file's size. Called now and then, never per line; nothing to do by default.
  virtual void ShowFileProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
};

}  // namespace quelvane
