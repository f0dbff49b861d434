#include "core/operations/DocumentCommands.h"

#include <gtest/gtest.h>

#include "core/operations/ManagerFile.h"
#include "core/ports/MessageBoxFlags.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;
using test::DocumentState;

FileDialogResult DialogError(unsigned code) {
    FileDialogResult result;
    result.errorCode = code;
    return result;
}

void AddEntry(DocumentHarness& h, const std::string& source) {
    h.doc->rows().Append(std::make_unique<CFileEntry>(source, "/m/x", "", h.shell, h.fs));
    h.doc->SetModifiedFlag(true);
}

TEST(DocumentCommands, OpenShowsItsDialogAndRemembersNameAndFolder) {
    DocumentHarness h;
    h.doc->backupDirStr = "/start/";
    h.doc->lastManagerName = "last.bak";
    h.WriteManager("/m/team.bak", {{"/s/a", "/m/a", ""}});
    h.ChooseFile("/m/team.bak");
    OnFileOpen(*h.doc);
    const auto dialogs = h.ui.CallsOf(UiCallKind::FileDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    const FileDialogRequest& request = dialogs[0].fileDialog;
    EXPECT_EQ(request.kind, FileDialogKind::Open);
    EXPECT_EQ(request.title, "Open Backup Manager");
    EXPECT_EQ(request.filter, "Backup Files ( *.bak )|*.bak|All Files ( *.* )|*.*||");
    EXPECT_EQ(request.initialFolder, "/start/");
    EXPECT_EQ(request.initialName, "last.bak");
    EXPECT_EQ(request.options, 0x880A04u);
    EXPECT_EQ(h.doc->lastManagerName, "team.bak");
    EXPECT_EQ(h.doc->backupDirStr, "/m/");
    EXPECT_EQ(h.doc->PathName(), "/m/team.bak");
    EXPECT_EQ(h.rows().Count(), 1);
    EXPECT_TRUE(h.ui.MessageBoxes().empty());
}

TEST(DocumentCommands, DialogFailuresAndCancels) {
    DocumentHarness h;
    h.ui.QueueFileDialog(FileDialogResult{});  // plain cancel
    OnFileOpen(*h.doc);
    EXPECT_TRUE(h.ui.MessageBoxes().empty());

    h.ui.QueueFileDialog(DialogError(0x3003));
    OnFileOpen(*h.doc);
    h.ui.QueueFileDialog(DialogError(0x2));
    EXPECT_FALSE(OnFileSave(*h.doc));  // untitled: the Save dialog
    h.ui.QueueFileDialog(DialogError(0xFFFF));
    EXPECT_FALSE(OnFileSaveAs(*h.doc));
    const auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "File open dialog error\nError code = 0X3003");
    EXPECT_EQ(boxes[0].caption, "Open Backup Manager");
    EXPECT_EQ(boxes[0].flags, kMbOk | kMbIconHand);
    EXPECT_EQ(boxes[1].text, "File save dialog error\nError code = 0X2");
    EXPECT_EQ(boxes[1].caption, "Create Backup Manager");
    EXPECT_EQ(boxes[1].flags, kMbOk | kMbIconHand);
    EXPECT_EQ(boxes[2].text, "File save dialog error\nError code = 0XFFFF");
    EXPECT_TRUE(h.doc->PathName().empty());
}

TEST(DocumentCommands, ModifiedQuestionOfOpen) {
    DocumentHarness h;
    h.fs.AddFolder("/m");
    h.WriteManager("/m/next.bak", {{"/s/n", "/m/n", ""}});
    AddEntry(h, "/s/untitled");

    // Cancel keeps everything.
    const DocumentState before = h.State();
    h.ChooseFile("/m/next.bak");
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    OnFileOpen(*h.doc);
    EXPECT_EQ(h.State(), before);
    auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This Document has been modified!\nSave contents first?");
    EXPECT_EQ(boxes[0].caption, "Open Backup Manager");
    EXPECT_EQ(boxes[0].flags, 0x23u);

    // Yes on an untitled manager runs Save As first, then opens.
    h.ui.ClearCalls();
    h.ChooseFile("/m/next.bak");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    h.ChooseFile("/m/first");
    OnFileOpen(*h.doc);
    EXPECT_TRUE(h.fs.Exists("/m/first.bak"));
    EXPECT_EQ(h.doc->PathName(), "/m/next.bak");
    EXPECT_FALSE(h.doc->IsModified());

    // A titled manager's question names its path; No opens without saving.
    AddEntry(h, "/s/more");
    const std::string saved = h.fs.Content("/m/next.bak");
    h.ui.ClearCalls();
    h.ChooseFile("/m/first.bak");
    h.ui.QueueMessageBoxAnswer(kIdNo);
    OnFileOpen(*h.doc);
    boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "/m/next.bak\nhas been modified!\nSave contents first?");
    EXPECT_EQ(h.fs.Content("/m/next.bak"), saved);
    EXPECT_EQ(h.doc->PathName(), "/m/first.bak");
    EXPECT_EQ(h.ui.PendingAnswers(), 0);
}

TEST(DocumentCommands, SaveAndSaveAsNames) {
    DocumentHarness h;
    h.fs.AddFolder("/m");
    AddEntry(h, "/s/a");
    // The untitled Save stores the name exactly as typed.
    h.ChooseFile("/m/team");
    ASSERT_TRUE(OnFileSave(*h.doc));
    auto dialog = h.ui.CallsOf(UiCallKind::FileDialog).back().fileDialog;
    EXPECT_EQ(dialog.kind, FileDialogKind::Save);
    EXPECT_EQ(dialog.title, "Create Backup Manager");
    EXPECT_EQ(dialog.initialName, "untitled");
    EXPECT_EQ(dialog.options, 0x880802u);
    EXPECT_TRUE(h.fs.Exists("/m/team"));
    EXPECT_EQ(h.doc->Title(), "team");
    EXPECT_EQ(h.doc->backupDirStr, "/m/");

    // Save As adds ".bak" only to a name without any dot.
    h.ChooseFile("/n/team");
    h.fs.AddFolder("/n");
    ASSERT_TRUE(OnFileSaveAs(*h.doc));
    dialog = h.ui.CallsOf(UiCallKind::FileDialog).back().fileDialog;
    EXPECT_EQ(dialog.initialName, "team");
    EXPECT_EQ(dialog.initialFolder, "/m/");
    EXPECT_EQ(h.doc->PathName(), "/n/team.bak");
    EXPECT_EQ(h.doc->backupDirStr, "/n/");
    h.ChooseFile("/n/team.v2");
    ASSERT_TRUE(OnFileSaveAs(*h.doc));
    EXPECT_EQ(h.doc->PathName(), "/n/team.v2");
    EXPECT_TRUE(h.fs.Exists("/n/team.v2"));

    // Save of a titled manager writes to its path without a dialog.
    AddEntry(h, "/s/b");
    const int dialogs = h.ui.Count(UiCallKind::FileDialog);
    ASSERT_TRUE(OnFileSave(*h.doc));
    EXPECT_EQ(h.ui.Count(UiCallKind::FileDialog), dialogs);
    EXPECT_EQ(DecodeManager(h.fs.Content("/n/team.v2")).records.size(), 2u);
    EXPECT_EQ(h.doc->Title(), "team.v2");
}

TEST(DocumentCommands, SaveAsAsksBeforeReplacingTheFileItNamesWithBak) {
    DocumentHarness h;
    h.fs.AddFolder("/m");
    AddEntry(h, "/s/a");
    h.fs.AddFile("/m/victim.bak", "someone else's data");
    // The dialog asked about "victim"; "victim.bak" is another file and is asked about here.
    // No shows the dialog again, and its cancel leaves the file untouched.
    h.ChooseFile("/m/victim");
    h.ui.QueueMessageBoxAnswer(kIdNo);
    h.ui.QueueFileDialog(FileDialogResult{});  // cancelled
    EXPECT_FALSE(OnFileSaveAs(*h.doc));
    EXPECT_EQ(h.fs.Content("/m/victim.bak"), "someone else's data");
    EXPECT_TRUE(h.doc->PathName().empty());
    ASSERT_EQ(h.ui.MessageBoxes().size(), 1u);
    const UiCall question = h.ui.MessageBoxes().front();
    EXPECT_EQ(question.text, "victim.bak already exists.\nDo you want to replace it?");
    EXPECT_EQ(question.caption, "Create Backup Manager");
    EXPECT_EQ(question.flags, kMbYesNo | kMbIconExclamation | kMbDefButton2);
    EXPECT_EQ(h.ui.Count(UiCallKind::FileDialog), 2);

    // No, then another name: saved there, the file stays.
    h.ChooseFile("/m/victim");
    h.ui.QueueMessageBoxAnswer(kIdNo);
    h.ChooseFile("/m/fresh");
    ASSERT_TRUE(OnFileSaveAs(*h.doc));
    EXPECT_EQ(h.doc->PathName(), "/m/fresh.bak");
    EXPECT_EQ(h.fs.Content("/m/victim.bak"), "someone else's data");

    // Yes replaces it; a name typed with its dot was the dialog's own question.
    h.ChooseFile("/m/victim");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    ASSERT_TRUE(OnFileSaveAs(*h.doc));
    EXPECT_EQ(h.doc->PathName(), "/m/victim.bak");
    EXPECT_EQ(DecodeManager(h.fs.Content("/m/victim.bak")).records.size(), 1u);
    const std::size_t boxes = h.ui.MessageBoxes().size();
    h.ChooseFile("/m/victim.bak");
    ASSERT_TRUE(OnFileSaveAs(*h.doc));
    EXPECT_EQ(h.ui.MessageBoxes().size(), boxes);
    EXPECT_TRUE(h.ui.UnexpectedCalls().empty());
}

TEST(DocumentCommands, NewAndClose) {
    DocumentHarness h;
    h.fs.AddFolder("/m");
    h.WriteManager("/m/a.bak", {{"/s/a", "/m/a", ""}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/a.bak"));
    h.doc->SetModifiedFlag(true);

    // Cancel of the save question ends New without Save As.
    const DocumentState before = h.State();
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    OnFileNew(*h.doc);
    EXPECT_EQ(h.State(), before);
    auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save changes to a.bak?");
    EXPECT_EQ(boxes[0].caption, "Brackenhold");
    EXPECT_EQ(boxes[0].flags, kMbYesNoCancel | kMbIconExclamation);
    EXPECT_EQ(h.ui.Count(UiCallKind::FileDialog), 0);

    // No: an empty untitled manager, then Save As names it.
    h.ui.QueueMessageBoxAnswer(kIdNo);
    h.ChooseFile("/m/fresh");
    OnFileNew(*h.doc);
    EXPECT_EQ(h.doc->PathName(), "/m/fresh.bak");
    EXPECT_TRUE((h.doc->rows().Count() == 0));
    EXPECT_EQ(h.rows().Count(), 0);
    EXPECT_EQ(h.fs.Content("/m/fresh.bak").size(), 26u);
    EXPECT_EQ(DecodeManager(h.fs.Content("/m/a.bak")).records.size(), 1u);

    // Close with Yes saves first.
    AddEntry(h, "/s/c");
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnFileClose(*h.doc);
    EXPECT_EQ(DecodeManager(h.fs.Content("/m/fresh.bak")).records.size(), 1u);
    EXPECT_EQ(h.doc->Title(), "Create or Open a Backup Manager");
    EXPECT_TRUE(h.doc->PathName().empty());
    EXPECT_TRUE((h.doc->rows().Count() == 0));
    EXPECT_EQ(h.ui.PendingAnswers(), 0);
}

TEST(DocumentCommands, EnablingRules) {
    DocumentHarness h;
    EXPECT_TRUE(CanNew(*h.doc));
    EXPECT_TRUE(CanOpen(*h.doc));
    EXPECT_TRUE(CanSaveAs(*h.doc));
    EXPECT_FALSE(CanClose(*h.doc));
    h.doc->SetModifiedFlag(true);
    EXPECT_FALSE(CanSave(*h.doc));  // modified but no rows
    AddEntry(h, "/s/a");
    EXPECT_TRUE(CanSave(*h.doc));
    h.doc->SetModifiedFlag(false);
    EXPECT_FALSE(CanSave(*h.doc));  // rows but not modified
    h.doc->SetPathName("/m/a.bak");
    EXPECT_TRUE(CanClose(*h.doc));
}

}  // namespace
}  // namespace bh
