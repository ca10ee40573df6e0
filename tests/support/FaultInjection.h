#pragma once

// Failures of the system calls that write files, injected into this test program. The program
// defines open, write, pwrite, fsync, fdatasync, link, rename, close, unlink, fchmod, fchown,
// ftruncate and lseek (with their 64-bit and *at variants) itself, so that calls from its own code
// and from the Qt libraries reach these definitions before the C library's. Each passes the call on
// unchanged unless an injector is armed and the call concerns the injector's folder (a path in
// it, or a descriptor of a file in it); then the call is counted and may be made to fail.
//
// Only one injector is armed at a time. Arm it only around the operation under test, so that the
// test framework's own output and other writes of the process are never counted.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace FaultInjection {

enum class TCallKind {
    ckOpen,
    ckWrite,
    ckSync,
    ckLink,
    ckRename,
    ckClose,
    ckRemove,
    ckAttributes,
    ckTruncate,
    ckSeek
};

const char* KindName(TCallKind kind) noexcept;

struct TCall {
    TCallKind Kind;
    std::string Function; // the C library name called, e.g. "openat64"
    std::string Path;     // the path concerned, or the file a descriptor refers to
    int OpenFlags = 0;    // for opens: the flags passed
    bool Failed = false;  // made to fail by the injector
};

struct TFaultPlan {
    // The counted call (from 1) that fails: writes with ENOSPC, every other call with EIO. 0 fails
    // none. A failed close still releases the descriptor, as close does on Linux.
    int FailAt = 0;
    // Bytes the disk takes before it is full: a write beyond them writes what still fits and
    // returns that short count, and every later write fails with ENOSPC. Unset: no limit.
    std::optional<std::size_t> DiskSpace;
    // Opens with O_TMPFILE fail with EOPNOTSUPP, as on file systems without unnamed files, so
    // that writers fall back to named temporary files. These opens are not counted.
    bool NoUnnamedFiles = false;
};

class TFaultInjector {
public:
    // Arms the injector for calls that concern folder (an existing folder).
    TFaultInjector(const std::string& folder, TFaultPlan plan);
    ~TFaultInjector(); // disarms
    TFaultInjector(const TFaultInjector&) = delete;
    TFaultInjector& operator=(const TFaultInjector&) = delete;

    // The counted calls so far, in order.
    std::vector<TCall> Calls() const;
    // Whether a failure was injected (a failed call or a write refused for lack of space).
    bool Injected() const;
};

} // namespace FaultInjection
