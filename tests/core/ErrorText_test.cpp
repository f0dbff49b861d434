#include "core/base/ErrorText.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/ports/LastError.h"
#include "platform/memory/FakeSystemErrors.h"

namespace bh {
namespace {

std::string TextFor(const FakeSystemErrors& errors, std::uint32_t code) {
    SetLastError(ErrorCode(code));
    return GetLastErrorText(errors);
}

TEST(ErrorTextTest, SystemTextIsTrimmedAtBothEndsOnly) {
    FakeSystemErrors errors;
    errors.Set(ErrorCode(2), "The system cannot find the file specified.\r\n");
    errors.Set(ErrorCode(5), " \t Access is denied.  \r\n");
    errors.Set(ErrorCode(6), "Line one.\r\nLine two.\r\n");
    EXPECT_EQ(TextFor(errors, 2), "The system cannot find the file specified.");
    EXPECT_EQ(TextFor(errors, 5), "Access is denied.");
    EXPECT_EQ(TextFor(errors, 6), "Line one.\r\nLine two.");
    EXPECT_EQ(TextFor(errors, 28), "No space left on device");
}

TEST(ErrorTextTest, MissingOrBlankTextFallsBackToTheNumber) {
    FakeSystemErrors errors;
    errors.Set(ErrorCode(1234), " \r\n\t");
    EXPECT_EQ(TextFor(errors, 1234), "Last Error = 1234");
    EXPECT_EQ(TextFor(errors, 0x12345678), "Last Error = 305419896");
    EXPECT_EQ(TextFor(errors, 0x80004005u), "Last Error = -2147467259");
    EXPECT_EQ(TextFor(errors, 0xFFFFFFFFu), "Last Error = -1");
    EXPECT_EQ(ErrorCodeText(errors, ErrorCode(99999)), "Last Error = 99999");
}

TEST(ErrorTextTest, InternetExtendedErrorTextIsThePlatformsAnswer) {
    // Where the platform keeps a server response for 12003 it is shown; where it has none
    // (every POSIX system) the numeric fallback applies.
    FakeSystemErrors errors;
    EXPECT_EQ(TextFor(errors, 12003), "Last Error = 12003");
    errors.Set(ErrorCode(12003), "550 Permission denied.\r\n");
    EXPECT_EQ(TextFor(errors, 12003), "550 Permission denied.");
}

TEST(ErrorTextTest, SuccessCodeUsesTheSystemText) {
    FakeSystemErrors errors;
    errors.Set(ErrorCode(0), "The operation completed successfully.\r\n");
    EXPECT_EQ(TextFor(errors, 0), "The operation completed successfully.");
    errors.Clear();
    EXPECT_EQ(TextFor(errors, 0), "Last Error = 0");
}

TEST(ErrorTextTest, ReadsTheCallingThreadsLastError) {
    FakeSystemErrors errors;
    SetLastError(ErrorCode(2));
    const std::string first = GetLastErrorText(errors);
    SetLastError(ErrorCode(13));
    EXPECT_EQ(first, "No such file or directory");
    EXPECT_EQ(GetLastErrorText(errors), "Permission denied");
    EXPECT_EQ(SystemMessageTrimmed(errors, ErrorCode(99999)), "");
}

}  // namespace
}  // namespace bh
