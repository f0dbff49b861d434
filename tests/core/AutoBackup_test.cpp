#include "core/operations/AutoBackup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ports/MessageBoxFlags.h"
#include "platform/memory/FakeAutoBackupTimer.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

TEST(AutoBackupHours, AtoiWithBounds) {
    EXPECT_EQ(ParseAutoBackupHours("24"), 24);
    EXPECT_EQ(ParseAutoBackupHours("0"), 1);
    EXPECT_EQ(ParseAutoBackupHours(""), 1);
    EXPECT_EQ(ParseAutoBackupHours("abc"), 1);
    EXPECT_EQ(ParseAutoBackupHours("-5"), 1);
    EXPECT_EQ(ParseAutoBackupHours("1"), 1);
    EXPECT_EQ(ParseAutoBackupHours("  12h"), 12);
    EXPECT_EQ(ParseAutoBackupHours("596"), 596);
    EXPECT_EQ(ParseAutoBackupHours("597"), 596);
    EXPECT_EQ(ParseAutoBackupHours("99999999999999999999"), 596);
    EXPECT_EQ(AutoBackupPeriodMs(24), 86400000);
    EXPECT_EQ(AutoBackupPeriodMs(1), 3600000);
    EXPECT_LE(AutoBackupPeriodMs(kMaxAutoBackupHours), 0x7FFFFFFF);
    EXPECT_GT(AutoBackupPeriodMs(kMaxAutoBackupHours + 1), 0x7FFFFFFF);
}

TEST(AutoBackupToggle, OnWithPromptOffWithout) {
    ScriptedUserInterface ui;
    FakeAutoBackupTimer timer;
    AutoBackup autoBackup(ui, timer);
    EXPECT_EQ(autoBackup.MenuText(), "Auto Backup (off)");

    ui.QueuePrompt(kIdOk, "24");
    autoBackup.Toggle();
    const std::vector<UiCall> prompts = ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].prompt.caption, "Auto Backup Time Hours");
    EXPECT_EQ(prompts[0].prompt.text, "24");
    EXPECT_EQ(prompts[0].prompt.editStyle, kEsNumber);
    EXPECT_FALSE(prompts[0].prompt.allowBrowse);
    EXPECT_TRUE(autoBackup.autoBackupOn);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(timer.PeriodMs(), 86400000);
    EXPECT_EQ(autoBackup.MenuText(), "Auto Backup (24 hour)");

    autoBackup.Toggle();
    EXPECT_EQ(ui.Count(UiCallKind::Prompt), 1) << "switching off never asks";
    EXPECT_FALSE(autoBackup.autoBackupOn);
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(autoBackup.MenuText(), "Auto Backup (off)");

    ui.QueuePrompt(kIdOk, "0");
    autoBackup.Toggle();
    EXPECT_EQ(ui.CallsOf(UiCallKind::Prompt)[1].prompt.text, "24") << "the last interval";
    EXPECT_EQ(autoBackup.autoBackupHours, 1);
    EXPECT_EQ(timer.PeriodMs(), 3600000);
    EXPECT_EQ(autoBackup.MenuText(), "Auto Backup (1 hour)");

    autoBackup.SwitchOff();
    EXPECT_FALSE(autoBackup.autoBackupOn);
    autoBackup.SwitchOff();
    EXPECT_EQ(timer.Events(), (std::vector<std::int64_t>{86400000, -1, 3600000, -1}));
}

TEST(AutoBackupToggle, CancelStaysOffWithTheOldInterval) {
    ScriptedUserInterface ui;
    FakeAutoBackupTimer timer;
    AutoBackup autoBackup(ui, timer);
    autoBackup.autoBackupHours = 7;
    ui.QueuePrompt(kIdCancel, "");
    autoBackup.Toggle();
    EXPECT_FALSE(autoBackup.autoBackupOn);
    EXPECT_EQ(autoBackup.autoBackupHours, 7);
    EXPECT_TRUE(timer.Events().empty());
    EXPECT_EQ(autoBackup.MenuText(), "Auto Backup (off)");

    ui.QueuePrompt(kIdOk, "1000");
    autoBackup.Toggle();
    EXPECT_EQ(autoBackup.autoBackupHours, kMaxAutoBackupHours);
    EXPECT_EQ(timer.PeriodMs(), 596LL * 3600000);
}

TEST(AutoBackupTimerAction, FlashesAndBacksUpWithoutReport) {
    OperationsHarness h;
    h.AddOutOfDate("a.txt");
    FakeAutoBackupTimer timer;
    AutoBackup autoBackup(h.ui, timer);
    std::vector<std::string> events;
    autoBackup.flashWindow = [&] { events.push_back("flash"); };
    h.fs.SetBeforeCall([&](FsOperation operation, const std::string&) {
        if (operation == FsOperation::Copy) {
            events.push_back("copy");
        }
    });

    autoBackup.OnTimer(*h.doc);

    EXPECT_EQ(events, (std::vector<std::string>{"flash", "copy", "flash"}));
    EXPECT_EQ(h.fs.Content("/arc/a.txt"), "new a.txt");
    EXPECT_TRUE(h.fs.Exists(OperationsHarness::kManager));
    EXPECT_EQ(h.ui.Count(UiCallKind::MessageBox), 0);

    // An untitled manager asks for its name first, since the run needs a file.
    h.MakeUntitled();
    h.AddOutOfDate("b.txt");
    autoBackup.OnTimer(*h.doc);
    EXPECT_EQ(h.ui.Count(UiCallKind::FileDialog), 1);
    EXPECT_EQ(h.fs.Content("/arc/b.txt"), "old");
}

}  // namespace
}  // namespace bh
