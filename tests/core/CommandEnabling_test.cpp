#include "core/app/CommandEnabling.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/base/CommandIds.h"
#include "core/operations/AutoBackup.h"
#include "core/ports/MessageBoxFlags.h"
#include "platform/memory/FakeAutoBackupTimer.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

// Enabled state of every command this table answers for.
std::map<int, bool> EnabledStates(const CBrackenholdDoc& doc, const AutoBackup& autoBackup) {
    std::map<int, bool> states;
    for (int id : {kCmdFileNew,        kCmdFileOpen,       kCmdFileSave,        kCmdFileSaveAs,
                   kCmdFileClose,      kCmdAddFiles,       kCmdImport,          kCmdRefreshAll,
                   kCmdBackupAll,      kCmdBackupSelected, kCmdRestoreSelected, kCmdRemoveSelected,
                   kCmdRenameDrive,    kCmdMovePath,       kCmdAdditionalPath,  kCmdSelectNone,
                   kCmdSelectAll,      kCmdEditNotes,      kCmdShowSource,      kCmdShowArchive,
                   kCmdShowManager,    kCmdOpenSource,     kCmdAutoBackup,      kCmdAddFolder,
                   kCmdVerifySelected, kCmdVerifyAfterCopy}) {
        const std::optional<CommandState> state = QueryCommandState(id, doc, autoBackup);
        EXPECT_TRUE(state.has_value()) << id;
        states[id] = state && state->enabled;
    }
    return states;
}

class CommandEnablingTest : public ::testing::Test {
  protected:
    OperationsHarness h;
    FakeAutoBackupTimer timer;
    AutoBackup autoBackup{h.ui, timer};
};

TEST_F(CommandEnablingTest, EmptyUntitledManager) {
    h.MakeUntitled();
    std::map<int, bool> states = EnabledStates(*h.doc, autoBackup);
    for (const auto& [id, enabled] : states) {
        const bool always =
            id == kCmdFileNew || id == kCmdFileOpen || id == kCmdFileSaveAs || id == kCmdImport;
        EXPECT_EQ(enabled, always) << id;
    }
    EXPECT_FALSE(QueryCommandState(kCmdGrayBar, *h.doc, autoBackup).has_value());
    EXPECT_FALSE(QueryCommandState(kCmdFontSmall, *h.doc, autoBackup).has_value());
}

TEST_F(CommandEnablingTest, SelectionCountsAndResults) {
    h.AddUpToDate("a.txt");
    h.fs.AddFile("/arc/b.txt", "archive only", 5);
    h.Add("/src/b.txt", "/arc/b.txt");  // source missing: result 1
    h.fs.AddFile("/src/c.txt", "source only", 5);
    h.Add("/src/c.txt", "/arc/c.txt");  // archive missing: result 2
    ASSERT_EQ(h.rows().Entry(1).result, kResultSourceFailed);
    ASSERT_EQ(h.rows().Entry(2).result, kResultArchiveFailed);

    std::map<int, bool> none = EnabledStates(*h.doc, autoBackup);
    EXPECT_TRUE(none[kCmdBackupAll]);
    EXPECT_TRUE(none[kCmdRefreshAll]);
    EXPECT_TRUE(none[kCmdSelectAll]);
    EXPECT_TRUE(none[kCmdAutoBackup]);
    EXPECT_TRUE(none[kCmdAddFiles]);
    EXPECT_TRUE(none[kCmdAddFolder]);
    EXPECT_TRUE(none[kCmdFileClose]);
    EXPECT_FALSE(none[kCmdFileSave]) << "not modified";
    for (int id : {kCmdBackupSelected, kCmdRestoreSelected, kCmdRemoveSelected, kCmdRenameDrive,
                   kCmdSelectNone, kCmdEditNotes, kCmdMovePath, kCmdAdditionalPath, kCmdOpenSource,
                   kCmdShowSource, kCmdShowArchive, kCmdVerifySelected}) {
        EXPECT_FALSE(none[id]) << id;
    }
    EXPECT_TRUE(none[kCmdVerifyAfterCopy]);
    EXPECT_TRUE(none[kCmdShowManager]) << "the manager has a path";

    h.Select({0});
    std::map<int, bool> one = EnabledStates(*h.doc, autoBackup);
    for (int id : {kCmdBackupSelected, kCmdRestoreSelected, kCmdRemoveSelected, kCmdRenameDrive,
                   kCmdSelectNone, kCmdEditNotes, kCmdMovePath, kCmdAdditionalPath, kCmdOpenSource,
                   kCmdShowSource, kCmdShowArchive, kCmdShowManager, kCmdVerifySelected}) {
        EXPECT_TRUE(one[id]) << id;
    }

    h.Select({1});
    std::map<int, bool> two = EnabledStates(*h.doc, autoBackup);
    EXPECT_TRUE(two[kCmdRemoveSelected]);
    for (int id :
         {kCmdMovePath, kCmdAdditionalPath, kCmdOpenSource, kCmdShowSource, kCmdShowArchive}) {
        EXPECT_FALSE(two[id]) << id;
    }
    EXPECT_TRUE(two[kCmdShowManager]);

    h.rows().SetSelected(0, false);  // only the row whose source is missing
    EXPECT_FALSE(CanShowSource(*h.doc));
    EXPECT_TRUE(CanShowArchive(*h.doc));
    h.rows().SetSelected(1, false);
    h.rows().SetSelected(2, true);  // only the row whose archive is missing
    EXPECT_TRUE(CanShowSource(*h.doc));
    EXPECT_FALSE(CanShowArchive(*h.doc));
    EXPECT_TRUE(CanShowManager(*h.doc));

    h.MakeUntitled();  // untitled, no rows
    h.Add("/src/b.txt", "/arc/b.txt");
    h.Select({0});
    h.rows().SetSelected(0, true);
    EXPECT_TRUE(CanShowArchive(*h.doc));
    EXPECT_TRUE(CanShowManager(*h.doc));
    h.fs.Erase("/arc/b.txt");
    h.Add("/src/c.txt", "/arc/c.txt");
    h.rows().SetSelected(0, false);
    h.rows().SetSelected(1, true);
    EXPECT_FALSE(CanShowManager(*h.doc)) << "archive missing and no manager path";
}

TEST_F(CommandEnablingTest, SaveAndAutoBackupState) {
    h.AddUpToDate("a.txt");
    EXPECT_FALSE(QueryCommandState(kCmdFileSave, *h.doc, autoBackup)->enabled);
    h.doc->SetModifiedFlag(true);
    EXPECT_TRUE(QueryCommandState(kCmdFileSave, *h.doc, autoBackup)->enabled);

    CommandState off = *QueryCommandState(kCmdAutoBackup, *h.doc, autoBackup);
    EXPECT_TRUE(off.enabled);
    EXPECT_FALSE(off.checked);
    EXPECT_EQ(off.text, "Auto Backup (off)");
    h.ui.QueuePrompt(kIdOk, "3");
    autoBackup.Toggle();
    CommandState on = *QueryCommandState(kCmdAutoBackup, *h.doc, autoBackup);
    EXPECT_TRUE(on.checked);
    EXPECT_EQ(on.text, "Auto Backup (3 hour)");

    h.MakeUntitled();  // no rows: disabled even while the timer runs
    CommandState empty = *QueryCommandState(kCmdAutoBackup, *h.doc, autoBackup);
    EXPECT_FALSE(empty.enabled);
    EXPECT_TRUE(empty.checked);
    h.doc->SetModifiedFlag(true);
    EXPECT_FALSE(QueryCommandState(kCmdFileSave, *h.doc, autoBackup)->enabled);
}

TEST_F(CommandEnablingTest, VerifyAfterCopyIsTheManagersSetting) {
    CommandState off = *QueryCommandState(kCmdVerifyAfterCopy, *h.doc, autoBackup);
    EXPECT_TRUE(off.enabled) << "a manager with a path, even without rows";
    EXPECT_FALSE(off.checked);
    ManagerOptions options;
    options.verifyAfterCopy = true;
    h.doc->SetOptions(options);
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_TRUE(QueryCommandState(kCmdVerifyAfterCopy, *h.doc, autoBackup)->checked);

    h.MakeUntitled();
    EXPECT_FALSE(QueryCommandState(kCmdVerifyAfterCopy, *h.doc, autoBackup)->enabled);
    h.AddUpToDate("a.txt");
    EXPECT_TRUE(QueryCommandState(kCmdVerifyAfterCopy, *h.doc, autoBackup)->enabled)
        << "an untitled manager with rows keeps the setting at its Save As";
}

}  // namespace
}  // namespace bh
