// The main of every GUI test on Windows: the program's Application (the common
// controls of the manifest's version), then the tests. The windows show on the
// display CTest gives (Xvfb under wine on this machine).
#include <gtest/gtest.h>

#include "platform/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  quelvane::Application app(argv[0]);
  return RUN_ALL_TESTS();
}
