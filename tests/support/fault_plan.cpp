#include "tests/support/fault_plan.h"

namespace quelvane {
namespace {

struct Plan {
  bool active = false;
  std::size_t failing = testing::FaultPlan::kNone;
  bool failed = false;
  std::vector<OsCall> calls;
};

Plan& CurrentPlan() {
  static Plan plan;
  return plan;
}

}  // namespace

bool InjectedFault(OsCall call) {
  Plan& plan = CurrentPlan();
  if (!plan.active) return false;
  plan.calls.push_back(call);
  if (plan.calls.size() - 1 != plan.failing) return false;
  plan.failed = true;
  return true;
}

namespace testing {

FaultPlan::FaultPlan(std::size_t failing) {
  CurrentPlan() = Plan{true, failing, false, {}};
}

FaultPlan::~FaultPlan() {
  CurrentPlan().active = false;
}

const std::vector<OsCall>& FaultPlan::Calls() const {
  return CurrentPlan().calls;
}

bool FaultPlan::Failed() const {
  return CurrentPlan().failed;
}

const char* CallName(OsCall call) {
  switch (call) {
    case OsCall::kOpen:
      return "open";
    case OsCall::kStat:
      return "stat";
    case OsCall::kRead:
      return "read";
    case OsCall::kSeek:
      return "seek";
    case OsCall::kWrite:
      return "write";
    case OsCall::kSync:
      return "sync";
    case OsCall::kLink:
      return "link";
    case OsCall::kRename:
      return "rename";
    case OsCall::kPermissions:
      return "permissions";
    case OsCall::kLock:
      return "lock";
    case OsCall::kClose:
      return "close";
    case OsCall::kCreateFolder:
      return "create folder";
    case OsCall::kRemove:
      return "remove";
  }
  return "?";
}

}  // namespace testing
}  // namespace quelvane
