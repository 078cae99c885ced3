// The main of every GUI test: the program's Application (French translations
// included) on Qt's offscreen platform, then the tests.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/application.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  quelvane::Application app(argv[0]);
  return RUN_ALL_TESTS();
}
