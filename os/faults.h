// Where the tests make the operating-system layer fail. Every call this layer
// makes to the system that can fail while the programs run first asks
// InjectedFault: the programs link the answer "never" (no_faults.cpp), and
// the fault sweep of the tests links a plan of its own that fails one call after
// another, so that each failure is shown to keep the layer's promises.
#pragma once

namespace quelvane {

enum class OsCall {
  kOpen,          // opening or creating a file, the lock file included
  kStat,          // what a path or an open file is
  kRead,          // reading an open file
  kSeek,          // putting a file back to its start
  kWrite,         // writing to a file or a standard stream
  kSync,          // putting a file on disk
  kLink,          // giving an unnamed file a name
  kRename,        // putting a file in its place
  kPermissions,   // giving a replacement the permissions of the file it replaces
  kLock,          // taking the profile's lock
  kClose,         // closing a file that was written
  kCreateFolder,  // creating the profile's folder
  kRemove,        // removing a named copy of standard input once it is open
};
inline constexpr int kOsCallCount = 13;

// True when this call is to fail as the system fails it (the caller sets the
// system's error as for an input/output error).
bool InjectedFault(OsCall call);

}  // namespace quelvane
