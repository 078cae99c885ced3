// The file conversion run: for each selected file, find the column of source codes,
// write a converted copy beside it, and report progress, warnings and totals.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "os/os.h"
#include "run/conversion_options.h"
#include "run/run_reporter.h"

namespace quelvane {

class CodeTables;

struct RunTotals {
  int filesDone = 0;
  int warnings = 0;
  int unknownValues = 0;
  // Files that could not be converted: absent, not a regular file, unreadable,
  // changed while read, their output not writable or refused as a selected file.
  int filesNotConverted = 0;
  bool outputStreamFailed = false;  // the converted file could not go to outputFd
  bool abandoned = false;           // the user answered No to the missing-separator question
  bool refused = false;             // a pre-check stopped the run before any file
};

// Where a run reads and writes besides the selected paths themselves, and what
// the command line sets that the window has no control for.
struct RunPlaces {
  std::string outputFolder;  // empty: each output beside its input
  // A quote file that came through a pipe: read this regular file (a copy; the
  // run takes it over) in place of the one selected path, which only names it in
  // the log, and write the converted file to `output` rather than to a file.
  OpenedFile* inputCopy = nullptr;
  OsHandle output = OsHandle::kNone;
  // The code column, counted from 1, when it is given rather than found: every
  // file's codes are read there. 0: each file's column is found by detection.
  std::size_t codeColumn = 0;
  // Files converted at a time, each on a thread of its own; the log, outputs,
  // totals and question are those of one job (a pipe's one file takes one).
  std::size_t jobs = 1;
};
// More jobs than cores only wait on each other; the file layer keeps room for
// this many outputs written at once.
inline constexpr int kMostJobs = 64;

// paths: the selection as walked; a single empty path means nothing is selected.
// Every file is read as bytes and streamed: lines of any length, NUL bytes kept.
// A file that cannot be opened or read, or whose output cannot be written, gets a
// warning in the log and the run goes on; an output appears only once complete.
// A CodeSource/CodeDestination pair that is not one of each type finds its code
// column as usual (none for CodeType::kOther) and copies it as it is.
RunTotals ProcessFiles(const ConversionOptions& options, const std::vector<std::string>& paths,
                       const CodeTables& tables, RunReporter& reporter,
                       const RunPlaces& places = {});

}  // namespace quelvane
