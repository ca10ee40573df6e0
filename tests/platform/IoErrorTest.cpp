#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"

#include <gtest/gtest.h>

#include <cerrno>

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
    EXPECT_STREQ(EInOutError(112).what(), "I/O error 112");
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
    // Other failures keep their number...
    EXPECT_EQ(FromErrno(EXDEV), EXDEV);
    // ...unless it would be read as another failure: EIO is 5, ENETUNREACH 101, EHOSTDOWN 112.
    for (const int err : {EIO, ESRCH, EINTR, EPIPE, ENETDOWN, ENETUNREACH, EISCONN, EHOSTDOWN}) {
        const int code = FromErrno(err);
        EXPECT_NE(code, err) << err;
        for (const int misleading : {2, 3, 4, 5, 32, 100, 101, 106, 112})
            EXPECT_NE(code, misleading) << err;
    }
}

} // namespace
