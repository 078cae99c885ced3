// What a file conversion run reports: what happened, in order, and nothing of how
// it is shown. The main window turns these events into its status lines, log
// list and message boxes (res/window_report.h), as the web page does;
// quelvane-cli into its standard streams.
#pragma once

#include <cstdint>
#include <string_view>

namespace quelvane {

// Why a run stopped before its first file.
enum class RunRefusal {
  kNothingSelected,
  kLengthTooShort,  // a fixed SICOVAM length asked for, under kShortestFixedLength
  kLengthTooLong,   // over kLongestFixedLength
};

// The end of a run that converted: its totals, and what the tables knew.
struct RunEnd {
  std::int64_t filesDone = 0;
  std::int64_t warnings = 0;
  std::int64_t unknownValues = 0;
  bool abandoned = false;  // No to the separator question: the summary was not logged
  std::int64_t userPairs = 0;
  std::int64_t builtinPairs = 0;
};

class RunReporter {
 public:
  virtual ~RunReporter() = default;

  // Before any file: either the run is refused, or it starts with `count` files.
  virtual void RunRefused(RunRefusal why) = 0;
  virtual void RunStarted(std::int64_t count) = 0;

  // File `index` (from 1) of `count` starts; `path` is as the log shows it.
  virtual void FileStarted(std::int64_t index, std::int64_t count, std::string_view path) = 0;
  // One line of the log, without a line end.
  virtual void LogLine(std::string_view text) = 0;
  // The file's first line lacks the source separator: true to go on with it,
  // false to abandon the run.
  virtual bool GoOnWithoutSeparator(std::string_view path) = 0;
  // Bytes read of the current pass over the file, and the file's size. Now and
  // then, never per line; nothing to do by default.
  virtual void FileProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
  // `filesDone` files of `count` are done, this one included.
  virtual void FileDone(std::int64_t filesDone, std::int64_t count) = 0;

  // The run is over (after the log's summary, unless abandoned).
  virtual void RunEnded(const RunEnd& end) = 0;
};

}  // namespace quelvane
