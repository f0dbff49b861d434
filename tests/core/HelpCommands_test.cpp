#include "core/app/HelpCommands.h"

#include <gtest/gtest.h>

#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace bh {
namespace {

TEST(HelpCommands, AddressesCarryTheManualsPathAndTheSubject) {
    EXPECT_EQ(DocumentationAddress("/usr/share/doc/brackenhold/manual.html"),
              "file:///usr/share/doc/brackenhold/manual.html");
    // Characters that would end the path or change its meaning in a URL are encoded, and
    // so are the bytes of a name that is not ASCII.
    EXPECT_EQ(DocumentationAddress("/home/ann/My Docs #2/50%?/\xc3\xa9t\xc3\xa9/manual.html"),
              "file:///home/ann/My%20Docs%20%232/50%25%3F/%C3%A9t%C3%A9/manual.html");
    EXPECT_EQ(DocumentationAddress("C:/Program Files/Brackenhold/manual.html"),
              "file:///C:/Program%20Files/Brackenhold/manual.html");
    EXPECT_EQ(AuthorMailAddress("ann@example.org"),
              "mailto:ann@example.org?subject=Concerning your program Brackenhold");
}

TEST(HelpCommands, DocumentationOpensTheManualOrShowsWhyNot) {
    RecordingShell shell;
    ScriptedUserInterface ui;
    FakeSystemErrors errors;
    RunDocumentationCommand(shell, ui, errors, "/opt/bh/manual.html");
    ASSERT_EQ(shell.Count(ShellCallKind::OpenAddress), 1);
    EXPECT_EQ(shell.Calls().back().path, "file:///opt/bh/manual.html");
    EXPECT_EQ(ui.MessageBoxes().size(), 0u);

    shell.SetOpenAddressResult(false, ErrorCode(8));
    errors.Set(ErrorCode(8), "Exec format error\n");
    RunDocumentationCommand(shell, ui, errors, "/opt/bh/manual.html");
    const auto boxes = ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Exec format error\n\n"
              "file:///opt/bh/manual.html");
    EXPECT_EQ(boxes[0].caption, "Brackenhold");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconExclamation);

    // A code the system has no words for still explains itself.
    shell.SetOpenAddressResult(false, ErrorCode(0x12345678));
    errors.Clear();
    RunDocumentationCommand(shell, ui, errors, "/opt/bh/manual.html");
    ASSERT_EQ(ui.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui.MessageBoxes()[1].text.substr(0, 22), "Last Error = 305419896");
}

TEST(HelpCommands, MailFailureShowsOneStopBox) {
    RecordingShell shell;
    ScriptedUserInterface ui;
    EXPECT_TRUE(SendMailToAuthor(shell, ui, "ann@example.org"));
    EXPECT_EQ(shell.Calls().back().path,
              "mailto:ann@example.org?subject=Concerning your program Brackenhold");
    EXPECT_TRUE(ui.MessageBoxes().empty());

    shell.SetOpenAddressResult(false);
    EXPECT_FALSE(SendMailToAuthor(shell, ui, "ann@example.org"));
    const auto boxes = ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Problem sending mail.");
    EXPECT_EQ(boxes[0].caption, "Send Veddo Mail");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconHand);
}

}  // namespace
}  // namespace bh
