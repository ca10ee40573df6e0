#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <set>
#include <string>

namespace {

TEST(IoErrorTest, MessagesFollowTheCode) {
    EXPECT_STREQ(EInOutError(2).what(), "File not found");
    EXPECT_STREQ(EInOutError(3).what(), "Invalid filename");
    EXPECT_STREQ(EInOutError(4).what(), "Too many open files");
    EXPECT_STREQ(EInOutError(5).what(), "File access denied");
    EXPECT_STREQ(EInOutError(100).what(), "Read beyond end of file");
    EXPECT_STREQ(EInOutError(101).what(), "Disk full");
    EXPECT_STREQ(EInOutError(106).what(), "Invalid numeric input");
    EXPECT_STREQ(EInOutError(32).what(), "I/O error 32");
    // The system's number for a full disk (ENOSPC) reads as a full disk too.
    EXPECT_STREQ(EInOutError(112).what(), "Disk full");
    EXPECT_STREQ(EInOutError(1117).what(), "I/O error 1117");
    EXPECT_EQ(EInOutError(112).ErrorCode(), 112);
}

TEST(IoErrorTest, SystemErrorsBecomeTheWindowsNumbers) {
    using IoErrorCodes::FromErrno;
    EXPECT_EQ(FromErrno(ENOENT), 2);
    EXPECT_EQ(FromErrno(ENOTDIR), 3);
    EXPECT_EQ(FromErrno(EMFILE), 4);
    EXPECT_EQ(FromErrno(ENFILE), 4);
    EXPECT_EQ(FromErrno(EACCES), 5);
    EXPECT_EQ(FromErrno(EPERM), 5);
    EXPECT_EQ(FromErrno(EROFS), 5);
    EXPECT_EQ(FromErrno(ETXTBSY), 32);
    EXPECT_EQ(FromErrno(ENOSPC), 112);
    EXPECT_EQ(FromErrno(EDQUOT), 112);
    // ...and one without a Windows counterpart keeps its number in the applications' range.
    EXPECT_EQ(FromErrno(EXDEV), IoErrorCodes::SystemErrorBase + EXDEV);
}

TEST(IoErrorTest, NoSystemErrorTakesTheCodeOfAnotherFailure) {
    using namespace IoErrorCodes;
    // Every code that names a failure, with the errno values that rightly become it.
    const std::map<int, std::set<int>> meanings = {
        {FileNotFound, {ENOENT}},
        {PathNotFound, {ENOTDIR, ENAMETOOLONG, ELOOP}},
        {TooManyOpenFiles, {EMFILE, ENFILE}},
        {AccessDenied, {EACCES, EPERM, EROFS, EISDIR}},
        {InvalidHandle, {}},
        {WriteFault, {}},
        {ReadFault, {}},
        {GeneralFailure, {}},
        {SharingViolation, {ETXTBSY, EBUSY}},
        {UnexpectedNetError,
         {ENETDOWN, ENETUNREACH, ENETRESET, ECONNABORTED, ECONNRESET, ENOTCONN, ETIMEDOUT,
          EHOSTDOWN, EHOSTUNREACH, ESTALE, EISCONN}},
        {FileExists, {EEXIST}},
        {BrokenPipe, {EPIPE}},
        {100, {}},
        {101, {}},
        {106, {}},
        {DiskFull, {ENOSPC, EDQUOT}},
        {FileTooLarge, {EFBIG}},
        {OperationAborted, {EINTR}},
        {DeviceError, {EIO}},
        {NotARegularFile, {}},
        {FileChangedWhileRead, {}},
    };
    for (int err = 1; err <= 133; ++err) {
        const int code = FromErrno(err);
        const auto meaning = meanings.find(code);
        if (meaning != meanings.end()) {
            EXPECT_EQ(meaning->second.count(err), 1u) << "errno " << err << " shows as " << code;
            continue;
        }
        EXPECT_EQ(code, SystemErrorBase + err) << err;
        EXPECT_EQ(EInOutError(code).what(), "I/O error " + std::to_string(code));
    }
}
} // namespace
