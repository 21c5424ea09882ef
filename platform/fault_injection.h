// Fault injection for tests: the POSIX layer routes its file system calls through one table, and
// a test can make any of them fail at will to see how the code above copes. The routed calls are
// named by their POSIX names: "open", "close", "read", "write", "lseek", "fsync", "ftruncate",
// "rename", "unlink", "mkdir", "rmdir", "stat", "fstat", "chmod", "access", "flock", "fchmod",
// "fchown".
//
// On Windows the real Win32 API is used and nothing is routed: every function here reports that
// it is unsupported (false or -1) and changes nothing.
#ifndef PELOK_PLATFORM_FAULT_INJECTION_H_
#define PELOK_PLATFORM_FAULT_INJECTION_H_

namespace pelok {
namespace fault_injection {

// True where the calls are routed and faults can be injected.
bool Supported();

// From now on, the nth use of call (1 = the next one) fails with error (an errno value) without
// reaching the system; with persistent, every later use fails too. Replaces an earlier fault of
// that call. False for an unknown call, nth < 1, or where unsupported.
bool FailCall(const char* call, long nth, int error, bool persistent = false);

// The number of uses of call since the process started or since the last Restore, failed uses
// included; -1 for an unknown call or where unsupported.
long UseCount(const char* call);

// Ends every injected fault, zeroes the counters and puts the system's own calls back in the
// table.
void Restore();

}  // namespace fault_injection
}  // namespace pelok

#endif  // PELOK_PLATFORM_FAULT_INJECTION_H_
