// The application object: it builds the main window, examines the command line
// and runs the main window modally; the program ends with it.
#pragma once

#include <string_view>

namespace quelvane {

class CConverterApp {
 public:
  // Returns 0 (FALSE) in every case: there is nothing to run after the main
  // window's own loop.
  int InitInstance(std::string_view commandLine);
};

}  // namespace quelvane
