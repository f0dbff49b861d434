// Error texts from the system's message table and the local time of the C runtime. Wine's
// texts differ from Windows' wording, so the texts are checked by their shape.
#include "platform/win32/Win32SystemErrors.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <set>
#include <string>

#include "core/base/ErrorText.h"
#include "core/ports/LastError.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

TEST(Win32SystemErrors, TextsComeFromTheMessageTableAndAreTrimmed) {
    const Win32SystemErrors errors;
    std::set<std::string> texts;
    for (const ErrorCode code : {ErrorCode{ERROR_FILE_NOT_FOUND}, ErrorCode{ERROR_PATH_NOT_FOUND},
                                 ErrorCode{ERROR_ACCESS_DENIED}, ErrorCode{ERROR_SHARING_VIOLATION},
                                 ErrorCode{ERROR_FILE_EXISTS}, ErrorCode{ERROR_DISK_FULL}}) {
        const std::string raw = errors.MessageText(code);
        ASSERT_FALSE(raw.empty()) << code.Value();
        // The system's own text ends in CR LF; the display text loses only the white space.
        EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n") << code.Value();
        const std::string text = ErrorCodeText(errors, code);
        EXPECT_FALSE(IsBlank(text.front()) || IsBlank(text.back())) << text;
        EXPECT_EQ(raw.find(text), raw.find_first_not_of(" \t\r\n")) << text;
        EXPECT_EQ(text.find("Last Error"), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 6u);
    // Success has a text of its own, not the fallback.
    EXPECT_EQ(ErrorCodeText(errors, ErrorCode(0)).find("Last Error"), std::string::npos);
}

TEST(Win32SystemErrors, CodesWithoutTextFallBackToTheSignedNumber) {
    const Win32SystemErrors errors;
    EXPECT_EQ(errors.MessageText(ErrorCode(0x12345678)), "");
    EXPECT_EQ(ErrorCodeText(errors, ErrorCode(0x12345678)), "Last Error = 305419896");
    EXPECT_EQ(ErrorCodeText(errors, ErrorCode(0xE0001234)), "Last Error = -536866252");
    // No Internet request is pending, so the server has no response to show.
    EXPECT_EQ(errors.MessageText(ErrorCode(12003)), "");
    EXPECT_EQ(ErrorCodeText(errors, ErrorCode(12003)), "Last Error = 12003");
}

TEST(Win32SystemErrors, TheLastErrorTextIsTheFailedCallsText) {
    test::TempDir dir;
    Win32FileSystem fs;
    const Win32SystemErrors errors;
    std::string bytes;
    const ErrorCode error = fs.ReadAll(dir.File("missing.bak"), bytes);
    ASSERT_NE(error, kNoError);
    SetLastError(error);
    const std::string text = GetLastErrorText(errors);
    EXPECT_EQ(text, ErrorCodeText(errors, ErrorCode(ERROR_FILE_NOT_FOUND)));
    EXPECT_NE(text, ErrorCodeText(errors, ErrorCode(ERROR_PATH_NOT_FOUND)));
}

TEST(Win32Clock, LocalTimeRoundTripsAndRefusesWhatItCannotShow) {
    const Win32Clock clock;
    EXPECT_GT(clock.Now(), 1600000000);
    for (const std::int64_t seconds :
         {std::int64_t{86400}, std::int64_t{1700000000}, std::int64_t{4102444800}}) {
        std::tm local{};
        ASSERT_TRUE(clock.LocalTime(seconds, local)) << seconds;
        local.tm_isdst = -1;
        EXPECT_EQ(static_cast<std::int64_t>(std::mktime(&local)), seconds) << seconds;
    }
    // The Windows runtime has no local time before 1970.
    std::tm before{};
    EXPECT_FALSE(clock.LocalTime(-86400, before));
}

}  // namespace
}  // namespace bh
