// The tests' answer to the fault seam of the operating-system layer
// (os/faults.h): it counts the calls a piece of work makes, and fails the
// one a test chooses, so that a sweep can fail each of them in turn. A test
// executable that compiles fault_plan.cpp gets this answer in place of the
// programs' "never".
#pragma once

#include <cstddef>
#include <vector>

#include "os/faults.h"

namespace quelvane::testing {

// While it lives, the calls are counted and the one numbered `failing` (from 0)
// fails; none fails when it is npos. Plans do not nest.
class FaultPlan {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  explicit FaultPlan(std::size_t failing = kNone);
  ~FaultPlan();
  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  // The calls made so far, in order.
  const std::vector<OsCall>& Calls() const;
  // True once the chosen call has failed.
  bool Failed() const;
};

// A name for the call, for the traces of a test.
const char* CallName(OsCall call);

}  // namespace quelvane::testing
