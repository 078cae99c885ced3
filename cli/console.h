// Where quelvane-cli speaks: results and the log on `out`, messages on `err`, and
// the person who answers the missing-separator question, when there is one.
#pragma once

#include <iosfwd>

#include "os/os.h"

namespace quelvane {

struct Console {
  std::ostream& out;
  std::ostream& err;
  std::istream* terminal = nullptr;  // none: the question is answered No
  bool showProgress = false;         // err is a terminal
  // Set when `out` could not take what was written for a reason other than a
  // reader that went away: the command then ends with exit status 4.
  bool (*outputLost)() = nullptr;
  // The same for `err`, which carries the messages, and the log of "convert -".
  bool (*errorLost)() = nullptr;
  // Where "convert -" reads the quote file and writes the converted one.
  OsHandle inputHandle = StandardInput();
  OsHandle outputHandle = StandardOutput();
};

// The process's own streams: questions asked when standard input is a terminal,
// progress shown when standard error is one. A reader that stops early
// (quelvane-cli convert ... | head) ends the log quietly and does not stop the run.
Console StandardConsole();

}  // namespace quelvane
