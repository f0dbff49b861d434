#include "platform/posix/PosixSystemErrors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace bh {
namespace {

TEST(PosixSystemErrorsTest, ErrnoValuesHaveTextsOtherCodesNone) {
    const PosixSystemErrors errors;
    EXPECT_EQ(errors.MessageText(ErrorCode(ENOENT)), "No such file or directory");
    EXPECT_EQ(errors.MessageText(ErrorCode(ENOSPC)), "No space left on device");
    EXPECT_FALSE(errors.MessageText(ErrorCode(0)).empty());
    EXPECT_EQ(errors.MessageText(ErrorCode(0x12345678)), "");
    EXPECT_EQ(errors.MessageText(ErrorCode(12003)), "");
    EXPECT_EQ(errors.MessageText(ErrorCode(0x80000005u)), "");
}

}  // namespace
}  // namespace bh
