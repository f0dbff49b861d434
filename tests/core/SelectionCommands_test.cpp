#include "core/view/SelectionCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

void AddThree(OperationsHarness& h) {
    h.AddUpToDate("a.txt").notes = "first";
    h.AddUpToDate("b.txt").notes = "second";
    h.AddUpToDate("c d.txt").notes = "third";
}

TEST(SelectRows, NoneAndAll) {
    OperationsHarness h;
    AddThree(h);
    OnSelectAll(h.rows());
    EXPECT_EQ(h.SelectedRows(), (std::vector<int>{0, 1, 2}));
    OnSelectAll(h.rows());
    EXPECT_EQ(h.rows().SelectedCount(), 3);
    OnSelectNone(h.rows());
    EXPECT_TRUE(h.SelectedRows().empty());
    h.Select({0, 2});
    OnSelectNone(h.rows());
    EXPECT_EQ(h.rows().SelectedCount(), 0);
    EXPECT_FALSE(h.doc->IsModified());
}

TEST(EditSelectedNotes, WritesOneTextIntoEverySelectedRow) {
    OperationsHarness h;
    AddThree(h);
    h.AddUpToDate("e.txt").notes = "untouched";
    h.Select({1, 2, 0});
    h.ui.QueuePrompt(kIdCancel, "ignored");
    OnEditSelectedNotes(*h.doc);
    EXPECT_EQ(h.rows().Entry(0).notes, "first");
    EXPECT_FALSE(h.doc->IsModified());

    h.ui.QueuePrompt(kIdOk, "shared");
    OnEditSelectedNotes(*h.doc);
    const std::vector<UiCall> prompts = h.ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].prompt.caption, "Edit Selected Notes");
    EXPECT_EQ(prompts[1].prompt.text, "first") << "the lowest selected row's notes";
    EXPECT_FALSE(prompts[1].prompt.allowBrowse);
    EXPECT_EQ(prompts[1].prompt.editStyle, 0u);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(h.rows().Entry(row).notes, "shared");
        EXPECT_EQ(h.CellText(row, kColumnNotes), "shared");
    }
    EXPECT_EQ(h.rows().Entry(3).notes, "untouched");
    EXPECT_TRUE(h.doc->IsModified());

    h.ui.QueuePrompt(kIdOk, "");
    OnEditSelectedNotes(*h.doc);
    EXPECT_EQ(h.CellText(2, kColumnNotes), "");

    OnSelectNone(h.rows());
    OnEditSelectedNotes(*h.doc);
    EXPECT_EQ(h.ui.Count(UiCallKind::Prompt), 3);
}

TEST(ShowInExplorer, RevealsTheChosenPathAndReportsFailures) {
    OperationsHarness h;
    AddThree(h);
    OnShowInExplorer(*h.doc, ExplorerTarget::Source);  // nothing selected: nothing happens
    h.Select({2});
    OnShowInExplorer(*h.doc, ExplorerTarget::Source);
    OnShowInExplorer(*h.doc, ExplorerTarget::Archive);
    OnShowInExplorer(*h.doc, ExplorerTarget::Manager);
    const std::vector<ShellCall>& calls = h.shell.Calls();
    std::vector<std::string> revealed;
    for (const ShellCall& call : calls) {
        if (call.kind == ShellCallKind::RevealFile) {
            revealed.push_back(call.path);
        }
    }
    EXPECT_EQ(revealed, (std::vector<std::string>{"/src/c d.txt", "/arc/c d.txt", "/m/team.bak"}));
    EXPECT_TRUE(h.Boxes().empty());

    h.shell.SetRevealResult(RevealResult::Invalid);
    OnShowInExplorer(*h.doc, ExplorerTarget::Source);
    h.shell.SetRevealResult(RevealResult::NotFound);
    OnShowInExplorer(*h.doc, ExplorerTarget::Manager);
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Explorer program is invalid");
    EXPECT_EQ(boxes[1].text, "Explorer program was not found.");
    for (const UiCall& box : boxes) {
        EXPECT_EQ(box.caption, "Open in Explorer");
        EXPECT_EQ(box.flags, kMbOk | kMbIconError);
    }

    h.MakeUntitled();  // untitled: no manager path to show
    const int before = h.shell.Count(ShellCallKind::RevealFile);
    OnShowInExplorer(*h.doc, ExplorerTarget::Manager);
    EXPECT_EQ(h.shell.Count(ShellCallKind::RevealFile), before);
}

TEST(OpenSource, OpensTheFileInItsFolderAndReportsFailure) {
    OperationsHarness h;
    AddThree(h);
    h.Select({1, 2});
    OnOpenSource(*h.doc);
    ASSERT_EQ(h.shell.Count(ShellCallKind::OpenFile), 1);
    const ShellCall& call = h.shell.Calls().back();
    EXPECT_EQ(call.path, "b.txt");
    EXPECT_EQ(call.folder, "/src/");

    h.shell.SetOpenFileResult(false, ErrorCode(8));
    OnOpenSource(*h.doc);
    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Exec format error\n\nb.txt");
    EXPECT_EQ(boxes[0].caption, "Brackenhold");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconExclamation);
}

}  // namespace
}  // namespace bh
