#include "cli/TerminalText.h"

#include <gtest/gtest.h>

#include <string>

namespace bh::cli {
namespace {

TEST(TerminalText, ControlsAreShownAndEverythingElseIsKept) {
    EXPECT_EQ(TerminalText(std::string("a\x1b[2Jb\x07\x7f\n", 9)), "a\\x1B[2Jb\\x07\\x7F\\x0A");
    EXPECT_EQ(TerminalText(std::string("nul\0end", 7)), "nul\\x00end");
    // C1 controls in UTF-8 (CSI is U+009B), which terminals may obey like ESC [.
    EXPECT_EQ(TerminalText("x\xC2\x9B"
                           "31m"),
              "x\\xC2\\x9B31m");
    EXPECT_EQ(TerminalText("\xC2\x80\xC2\x9F"), "\\xC2\\x80\\xC2\\x9F");
    // Printable text outside ASCII stays as it is, as do bytes that are not UTF-8.
    EXPECT_EQ(TerminalText("caf\xC3\xA9 \xC2\xA0 \xE2\x82\xAC \\ \xE9\xFF"),
              "caf\xC3\xA9 \xC2\xA0 \xE2\x82\xAC \\ \xE9\xFF");
    // A lead byte at the very end is not read past.
    EXPECT_EQ(TerminalText("end\xC2"), "end\xC2");
    EXPECT_EQ(TerminalText(""), "");
}

}  // namespace
}  // namespace bh::cli
