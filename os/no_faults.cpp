// The programs' answer to the fault seam of the operating-system layer: no call
// ever fails but by the system's own doing. The tests of the fault sweep link a
// definition of their own before this library, which then goes unused.
#include "os/faults.h"

namespace quelvane {

bool InjectedFault(OsCall /*call*/) {
  return false;
}

}  // namespace quelvane
