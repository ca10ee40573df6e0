#include "FaultInjection.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <map>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace FaultInjection {

const char* KindName(TCallKind kind) noexcept {
    switch (kind) {
    case TCallKind::ckOpen:
        return "open";
    case TCallKind::ckWrite:
        return "write";
    case TCallKind::ckSync:
        return "sync";
    case TCallKind::ckLink:
        return "link";
    case TCallKind::ckRename:
        return "rename";
    case TCallKind::ckClose:
        return "close";
    case TCallKind::ckRemove:
        return "remove";
    case TCallKind::ckAttributes:
        return "attributes";
    case TCallKind::ckTruncate:
        return "truncate";
    case TCallKind::ckSeek:
        return "seek";
    }
    return "?";
}

namespace {

// The interposed functions are plain C functions called from anywhere in the process, so the
// armed plan can only live at process level. The flag is constant-initialised and trivially
// destroyed: calls made before main or after exit see it false and never touch the rest.
constinit std::atomic<bool> Armed{false};

struct TArmedPlan {
    std::mutex Lock;
    std::string Folder;
    std::string CanonicalFolder;
    TFaultPlan Plan;
    std::optional<std::size_t> SpaceLeft;
    std::vector<TCall> Calls;
    bool Injected = false;
    // While armed: the file of each descriptor met, empty when it is outside the folder.
    std::map<int, std::string> DescriptorFile;
};

TArmedPlan& ArmedPlan() {
    static TArmedPlan plan;
    return plan;
}

template <class Function> Function* RealFunction(const char* name) {
    void* symbol = ::dlsym(RTLD_NEXT, name);
    if (symbol == nullptr)
        std::abort(); // the C library always has it; without it no call could go on
    return reinterpret_cast<Function*>(symbol);
}

std::string DescriptorPath(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0)
        return {};
    return std::string(target, static_cast<std::size_t>(length));
}

std::string AbsolutePath(int dirfd, const char* path) {
    if (path == nullptr)
        return {};
    const std::string given(path);
    if (!given.empty() && given.front() == '/')
        return given;
    std::string base;
    if (dirfd == AT_FDCWD) {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr)
            return {};
        base = cwd;
    } else {
        base = DescriptorPath(dirfd);
    }
    return base.empty() ? std::string() : base + "/" + given;
}

bool Within(const std::string& path, const std::string& folder) {
    return !folder.empty() && path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

// Caller holds the lock.
bool InFolder(const TArmedPlan& plan, const std::string& path) {
    return Within(path, plan.Folder) || Within(path, plan.CanonicalFolder);
}

// The path when it lies in the folder, else the empty string.
std::string PathConcerned(int dirfd, const char* path) {
    std::string absolute = AbsolutePath(dirfd, path);
    TArmedPlan& plan = ArmedPlan();
    const std::lock_guard lock(plan.Lock);
    return InFolder(plan, absolute) ? absolute : std::string();
}

std::string EitherConcerned(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
    std::string concerned = PathConcerned(newdirfd, newpath);
    return concerned.empty() ? PathConcerned(olddirfd, oldpath) : concerned;
}

// The descriptor's file when it lies in the folder, else the empty string.
std::string DescriptorConcerned(int fd) {
    TArmedPlan& plan = ArmedPlan();
    const std::lock_guard lock(plan.Lock);
    const auto known = plan.DescriptorFile.find(fd);
    if (known != plan.DescriptorFile.end())
        return known->second;
    std::string file = DescriptorPath(fd);
    if (!InFolder(plan, file))
        file.clear();
    plan.DescriptorFile[fd] = file;
    return file;
}

void RememberDescriptor(int fd, const std::string& file) {
    TArmedPlan& plan = ArmedPlan();
    const std::lock_guard lock(plan.Lock);
    plan.DescriptorFile[fd] = file;
}

void ForgetDescriptor(int fd) {
    TArmedPlan& plan = ArmedPlan();
    const std::lock_guard lock(plan.Lock);
    plan.DescriptorFile.erase(fd);
}

// Counts a call on a file in the folder (concerned not empty); returns the errno to fail it
// with, or 0.
int Account(TCallKind kind, const char* function, const std::string& concerned, int openFlags = 0) {
    if (concerned.empty())
        return 0;
    TArmedPlan& plan = ArmedPlan();
    const std::lock_guard lock(plan.Lock);
    if (!Armed.load())
        return 0;
    plan.Calls.push_back({kind, function, concerned, openFlags, false});
    if (static_cast<int>(plan.Calls.size()) != plan.Plan.FailAt)
        return 0;
    plan.Calls.back().Failed = true;
    plan.Injected = true;
    return kind == TCallKind::ckWrite ? ENOSPC : EIO;
}

struct TWriteVerdict {
    int Error = 0;
    std::size_t Allowed = 0; // bytes to write
};

TWriteVerdict AccountWrite(const char* function, int fd, std::size_t size) {
    const std::string file = DescriptorConcerned(fd);
    if (file.empty())
        return {0, size};
    if (const int error = Account(TCallKind::ckWrite, function, file))
        return {error, 0};
    TArmedPlan& plan = ArmedPlan();
    const std::lock_guard lock(plan.Lock);
    if (!plan.SpaceLeft || size == 0)
        return {0, size};
    std::size_t& left = *plan.SpaceLeft;
    if (left == 0) {
        if (!plan.Calls.empty())
            plan.Calls.back().Failed = true;
        plan.Injected = true;
        return {ENOSPC, 0};
    }
    if (size <= left) {
        left -= size;
        return {0, size};
    }
    plan.Injected = true;
    return {0, std::exchange(left, 0)};
}

template <class RealOpen, class... Args>
int Open(const char* function, int dirfd, const char* path, int flags, RealOpen real,
         Args... args) {
    if (!Armed.load())
        return real(args...);
    const std::string concerned = PathConcerned(dirfd, path);
    if (!concerned.empty() && (flags & O_TMPFILE) == O_TMPFILE) {
        bool refuse = false;
        {
            TArmedPlan& plan = ArmedPlan();
            const std::lock_guard lock(plan.Lock);
            refuse = plan.Plan.NoUnnamedFiles;
        }
        if (refuse) {
            errno = EOPNOTSUPP;
            return -1;
        }
    }
    if (const int error = Account(TCallKind::ckOpen, function, concerned, flags)) {
        errno = error;
        return -1;
    }
    const int fd = real(args...);
    if (fd >= 0)
        RememberDescriptor(fd, concerned.empty() ? std::string() : DescriptorPath(fd));
    return fd;
}

bool TakesMode(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

template <class Real, class... Args>
auto PathCall(TCallKind kind, const char* function, const std::string& concerned, Real real,
              Args... args) {
    if (const int error = Account(kind, function, concerned)) {
        errno = error;
        return decltype(real(args...))(-1);
    }
    return real(args...);
}

template <class Real, class... Args>
auto DescriptorCall(TCallKind kind, const char* function, int fd, Real real, Args... args) {
    if (!Armed.load())
        return real(args...);
    return PathCall(kind, function, DescriptorConcerned(fd), real, args...);
}

ssize_t Write(const char* function, int fd, std::size_t size, auto real) {
    if (!Armed.load())
        return real(size);
    const TWriteVerdict verdict = AccountWrite(function, fd, size);
    if (verdict.Error != 0) {
        errno = verdict.Error;
        return -1;
    }
    return real(verdict.Allowed);
}

} // namespace

TFaultInjector::TFaultInjector(const std::string& folder, TFaultPlan plan) {
    std::string given = folder;
    while (given.size() > 1 && given.back() == '/')
        given.pop_back();
    char canonical[PATH_MAX];
    const bool resolved = ::realpath(given.c_str(), canonical) != nullptr;
    TArmedPlan& armed = ArmedPlan();
    const std::lock_guard lock(armed.Lock);
    if (Armed.load())
        throw std::logic_error("a fault injector is armed already");
    armed.Folder = given;
    armed.CanonicalFolder = resolved ? std::string(canonical) : given;
    armed.SpaceLeft = plan.DiskSpace;
    armed.Plan = plan;
    armed.Calls.clear();
    armed.Injected = false;
    armed.DescriptorFile.clear();
    Armed.store(true);
}

TFaultInjector::~TFaultInjector() {
    TArmedPlan& armed = ArmedPlan();
    const std::lock_guard lock(armed.Lock);
    Armed.store(false);
    armed.DescriptorFile.clear();
}

std::vector<TCall> TFaultInjector::Calls() const {
    TArmedPlan& armed = ArmedPlan();
    const std::lock_guard lock(armed.Lock);
    return armed.Calls;
}

bool TFaultInjector::Injected() const {
    TArmedPlan& armed = ArmedPlan();
    const std::lock_guard lock(armed.Lock);
    return armed.Injected;
}

} // namespace FaultInjection

// The interposed C library functions. Each resolves the next definition (the C library's) once.

using FaultInjection::TCallKind;

namespace {

mode_t ModeArgument(int flags, va_list args) {
    return FaultInjection::TakesMode(flags) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    static auto* const real = FaultInjection::RealFunction<int(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return FaultInjection::Open("open", AT_FDCWD, path, flags, real, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    static auto* const real = FaultInjection::RealFunction<int(const char*, int, ...)>("open64");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return FaultInjection::Open("open64", AT_FDCWD, path, flags, real, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int, ...)>("openat");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return FaultInjection::Open("openat", dirfd, path, flags, real, dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int, ...)>("openat64");
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return FaultInjection::Open("openat64", dirfd, path, flags, real, dirfd, path, flags, mode);
}

// The checked variants that fortified callers use for opens without a mode.
int __open_2(const char* path, int flags) {
    static auto* const real = FaultInjection::RealFunction<int(const char*, int)>("__open_2");
    return FaultInjection::Open("__open_2", AT_FDCWD, path, flags, real, path, flags);
}

int __open64_2(const char* path, int flags) {
    static auto* const real = FaultInjection::RealFunction<int(const char*, int)>("__open64_2");
    return FaultInjection::Open("__open64_2", AT_FDCWD, path, flags, real, path, flags);
}

int __openat_2(int dirfd, const char* path, int flags) {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int)>("__openat_2");
    return FaultInjection::Open("__openat_2", dirfd, path, flags, real, dirfd, path, flags);
}

int __openat64_2(int dirfd, const char* path, int flags) {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int)>("__openat64_2");
    return FaultInjection::Open("__openat64_2", dirfd, path, flags, real, dirfd, path, flags);
}

ssize_t write(int fd, const void* data, size_t size) {
    static auto* const real =
        FaultInjection::RealFunction<ssize_t(int, const void*, size_t)>("write");
    return FaultInjection::Write("write", fd, size,
                                 [&](size_t allowed) { return real(fd, data, allowed); });
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    static auto* const real =
        FaultInjection::RealFunction<ssize_t(int, const void*, size_t, off_t)>("pwrite");
    return FaultInjection::Write("pwrite", fd, size,
                                 [&](size_t allowed) { return real(fd, data, allowed, offset); });
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset) {
    static auto* const real =
        FaultInjection::RealFunction<ssize_t(int, const void*, size_t, off64_t)>("pwrite64");
    return FaultInjection::Write("pwrite64", fd, size,
                                 [&](size_t allowed) { return real(fd, data, allowed, offset); });
}

int fsync(int fd) {
    static auto* const real = FaultInjection::RealFunction<int(int)>("fsync");
    return FaultInjection::DescriptorCall(TCallKind::ckSync, "fsync", fd, real, fd);
}

int fdatasync(int fd) {
    static auto* const real = FaultInjection::RealFunction<int(int)>("fdatasync");
    return FaultInjection::DescriptorCall(TCallKind::ckSync, "fdatasync", fd, real, fd);
}

int close(int fd) {
    static auto* const real = FaultInjection::RealFunction<int(int)>("close");
    if (!FaultInjection::Armed.load())
        return real(fd);
    const int error = FaultInjection::Account(TCallKind::ckClose, "close",
                                              FaultInjection::DescriptorConcerned(fd));
    FaultInjection::ForgetDescriptor(fd);
    const int result = real(fd); // released even when the close fails
    if (error != 0) {
        errno = error;
        return -1;
    }
    return result;
}

int link(const char* oldpath, const char* newpath) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(const char*, const char*)>("link");
    if (!FaultInjection::Armed.load())
        return real(oldpath, newpath);
    return FaultInjection::PathCall(
        TCallKind::ckLink, "link",
        FaultInjection::EitherConcerned(AT_FDCWD, oldpath, AT_FDCWD, newpath), real, oldpath,
        newpath);
}

int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
           int flags) noexcept {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int, const char*, int)>("linkat");
    if (!FaultInjection::Armed.load())
        return real(olddirfd, oldpath, newdirfd, newpath, flags);
    return FaultInjection::PathCall(
        TCallKind::ckLink, "linkat",
        FaultInjection::EitherConcerned(olddirfd, oldpath, newdirfd, newpath), real, olddirfd,
        oldpath, newdirfd, newpath, flags);
}

int rename(const char* oldpath, const char* newpath) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(const char*, const char*)>("rename");
    if (!FaultInjection::Armed.load())
        return real(oldpath, newpath);
    return FaultInjection::PathCall(
        TCallKind::ckRename, "rename",
        FaultInjection::EitherConcerned(AT_FDCWD, oldpath, AT_FDCWD, newpath), real, oldpath,
        newpath);
}

int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) noexcept {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int, const char*)>("renameat");
    if (!FaultInjection::Armed.load())
        return real(olddirfd, oldpath, newdirfd, newpath);
    return FaultInjection::PathCall(
        TCallKind::ckRename, "renameat",
        FaultInjection::EitherConcerned(olddirfd, oldpath, newdirfd, newpath), real, olddirfd,
        oldpath, newdirfd, newpath);
}

int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
              unsigned int flags) noexcept {
    static auto* const real =
        FaultInjection::RealFunction<int(int, const char*, int, const char*, unsigned int)>(
            "renameat2");
    if (!FaultInjection::Armed.load())
        return real(olddirfd, oldpath, newdirfd, newpath, flags);
    return FaultInjection::PathCall(
        TCallKind::ckRename, "renameat2",
        FaultInjection::EitherConcerned(olddirfd, oldpath, newdirfd, newpath), real, olddirfd,
        oldpath, newdirfd, newpath, flags);
}

int unlink(const char* path) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(const char*)>("unlink");
    if (!FaultInjection::Armed.load())
        return real(path);
    return FaultInjection::PathCall(TCallKind::ckRemove, "unlink",
                                    FaultInjection::PathConcerned(AT_FDCWD, path), real, path);
}

int unlinkat(int dirfd, const char* path, int flags) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(int, const char*, int)>("unlinkat");
    if (!FaultInjection::Armed.load())
        return real(dirfd, path, flags);
    return FaultInjection::PathCall(TCallKind::ckRemove, "unlinkat",
                                    FaultInjection::PathConcerned(dirfd, path), real, dirfd, path,
                                    flags);
}

int fchmod(int fd, mode_t mode) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(int, mode_t)>("fchmod");
    return FaultInjection::DescriptorCall(TCallKind::ckAttributes, "fchmod", fd, real, fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(int, uid_t, gid_t)>("fchown");
    return FaultInjection::DescriptorCall(TCallKind::ckAttributes, "fchown", fd, real, fd, owner,
                                          group);
}

int ftruncate(int fd, off_t length) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(int, off_t)>("ftruncate");
    return FaultInjection::DescriptorCall(TCallKind::ckTruncate, "ftruncate", fd, real, fd, length);
}

int ftruncate64(int fd, off64_t length) noexcept {
    static auto* const real = FaultInjection::RealFunction<int(int, off64_t)>("ftruncate64");
    return FaultInjection::DescriptorCall(TCallKind::ckTruncate, "ftruncate64", fd, real, fd,
                                          length);
}

off_t lseek(int fd, off_t offset, int whence) noexcept {
    static auto* const real = FaultInjection::RealFunction<off_t(int, off_t, int)>("lseek");
    return FaultInjection::DescriptorCall(TCallKind::ckSeek, "lseek", fd, real, fd, offset, whence);
}

off64_t lseek64(int fd, off64_t offset, int whence) noexcept {
    static auto* const real = FaultInjection::RealFunction<off64_t(int, off64_t, int)>("lseek64");
    return FaultInjection::DescriptorCall(TCallKind::ckSeek, "lseek64", fd, real, fd, offset,
                                          whence);
}

} // extern "C"
