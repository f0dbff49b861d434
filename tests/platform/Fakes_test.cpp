// The fakes decide what many other tests can see, so their own rules are pinned here.
#include <gtest/gtest.h>

#include <cerrno>

#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"
#include "platform/memory/FakeAutoBackupTimer.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace bh {
namespace {

TEST(ScriptedUserInterfaceTest, PlaysQueuedAnswersAndFlagsMissingOnes) {
    ScriptedUserInterface ui;
    ui.QueueMessageBoxAnswer(kIdNo);
    EXPECT_EQ(ui.MessageBox("Save?", "Brackenhold", kMbYesNoCancel | kMbIconQuestion), kIdNo);
    EXPECT_EQ(ui.MessageBox("Done", "Report", kMbOk | kMbIconInformation), kIdOk);
    EXPECT_TRUE(ui.UnexpectedCalls().empty());
    EXPECT_EQ(ui.MessageBox("Delete?", "Remove", kMbYesNo), kIdCancel);

    const auto boxes = ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "Save?");
    EXPECT_EQ(boxes[0].caption, "Brackenhold");
    EXPECT_EQ(boxes[0].flags, kMbYesNoCancel | kMbIconQuestion);
    ASSERT_EQ(ui.UnexpectedCalls().size(), 1u);
    EXPECT_EQ(ui.UnexpectedCalls()[0].text, "Delete?");

    FileDialogResult chosen;
    chosen.confirmed = true;
    chosen.paths = {"/a.bak"};
    ui.QueueFileDialog(chosen);
    FileDialogRequest request;
    request.title = "Open";
    EXPECT_EQ(ui.FileDialog(request).paths, chosen.paths);
    EXPECT_FALSE(ui.FileDialog(request).confirmed);
    EXPECT_EQ(ui.UnexpectedCalls().size(), 2u);
    EXPECT_EQ(ui.PendingAnswers(), 0);
}

TEST(ScriptedUserInterfaceTest, PromptRecordsTheRequestAsReceived) {
    ScriptedUserInterface ui;
    ui.QueuePrompt(kIdOk, "F:");
    ui.QueuePrompt(kIdCancel, "ignored");
    PromptRequest request;
    request.caption = "New drive";
    request.text = "E:";
    request.editStyle = kEsNumber;
    EXPECT_EQ(ui.Prompt(request), kIdOk);
    EXPECT_EQ(request.text, "F:");
    EXPECT_EQ(ui.Prompt(request), kIdCancel);
    EXPECT_EQ(request.text, "F:");
    const auto prompts = ui.CallsOf(UiCallKind::Prompt);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].prompt.text, "E:");
    EXPECT_EQ(prompts[0].prompt.caption, "New drive");
    EXPECT_EQ(prompts[0].prompt.editStyle, kEsNumber);
    EXPECT_EQ(prompts[1].prompt.text, "F:");
}

TEST(ScriptedUserInterfaceTest, ProgressKeepsItsRealPositionAndOrder) {
    ScriptedUserInterface ui;
    ui.BeginWaitCursor();
    {
        auto progress = ui.CreateStatusProgress(" Checking file status");
        progress->SetRange(0, 3);
        progress->SetStep(1);
        progress->StepIt();
        progress->StepIt();
        EXPECT_EQ(progress->GetPos(), 2);
        progress->SetPos(99);
        EXPECT_EQ(progress->GetPos(), 3);
        progress->StepIt();  // past the end starts over, as the platform's bar does
        EXPECT_EQ(progress->GetPos(), 0);
    }
    ui.EndWaitCursor();
    ui.ShowIdleMessage();
    ui.RefreshCaption("daily.bak");

    std::vector<UiCallKind> kinds;
    for (const UiCall& call : ui.Calls()) {
        kinds.push_back(call.kind);
    }
    using K = UiCallKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::BeginWait, K::ProgressCreate, K::ProgressSetRange,
                                     K::ProgressSetStep, K::ProgressStep, K::ProgressStep,
                                     K::ProgressSetPos, K::ProgressStep, K::ProgressDestroy,
                                     K::EndWait, K::Idle, K::Caption}));
    EXPECT_EQ(ui.Calls()[1].text, " Checking file status");
    EXPECT_EQ(ui.LastCaption(), "daily.bak");
    EXPECT_EQ(ui.LastProgressPos(), 0);
}

TEST(MemorySettingsStoreTest, IntegersAndStringsAreSeparateKinds) {
    MemorySettingsStore settings;
    EXPECT_EQ(settings.GetInt("Settings", "nFontPtSize", 15), 15);
    settings.WriteInt("Settings", "nFontPtSize", 20);
    settings.WriteString("Settings", "addDirStr", "/home/ann/");
    EXPECT_EQ(settings.GetInt("Settings", "nFontPtSize", 15), 20);
    EXPECT_EQ(settings.GetString("Settings", "nFontPtSize", "d"), "d");
    EXPECT_EQ(settings.GetInt("Settings", "addDirStr", 7), 7);
    EXPECT_EQ(settings.GetString("Settings", "addDirStr", "./"), "/home/ann/");
    EXPECT_EQ(settings.GetString("Other", "addDirStr", "./"), "./");
    EXPECT_TRUE(settings.IsInt("Settings", "nFontPtSize"));
    settings.WriteString("Settings", "nFontPtSize", "");
    EXPECT_TRUE(settings.Has("Settings", "nFontPtSize"));
    EXPECT_EQ(settings.GetInt("Settings", "nFontPtSize", 15), 15);
    EXPECT_FALSE(settings.Has("settings", "addDirStr"));
}

TEST(RecordingShellTest, TypeNamesIconsAndScriptedFailures) {
    RecordingShell shell;
    shell.SetTypeName(".doc", "Word Document");
    const std::shared_ptr<const ShellFileInfo> doc = shell.GetFileInfo("/a/Letter.DOC");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->typeName, "Word Document");
    EXPECT_EQ(shell.GetFileInfo("/a/b.txt")->typeName, "TXT File");
    // One record per type, shared by its files.
    EXPECT_EQ(shell.GetFileInfo("/b/other.doc"), doc);
    EXPECT_NE(shell.GetFileInfo("/b/c.txt")->icon, doc->icon);
    EXPECT_EQ(shell.FileInfoCount(), 4);

    EXPECT_EQ(shell.OpenFile("a.txt", "/a/"), kNoError);
    shell.SetOpenFileResult(false, ErrorCode(ENOEXEC));
    EXPECT_EQ(shell.OpenFile("a.txt", "/a/"), ErrorCode{ENOEXEC});
    shell.SetRevealResult(RevealResult::NotFound);
    EXPECT_EQ(shell.RevealFile("/a/a.txt"), RevealResult::NotFound);
    ASSERT_EQ(shell.Count(ShellCallKind::OpenFile), 2);
    EXPECT_EQ(shell.Calls()[4].folder, "/a/");
    EXPECT_EQ(shell.Calls().back().path, "/a/a.txt");
}

TEST(FakesTest, TimerAndWrapper) {
    FakeAutoBackupTimer timer;
    timer.Start(3600000);
    timer.Stop();
    timer.Start(7200000);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(timer.PeriodMs(), 7200000);
    EXPECT_EQ(timer.Events(), (std::vector<std::int64_t>{3600000, -1, 7200000}));
    EXPECT_EQ(timer.StartCount(), 2);
    EXPECT_EQ(timer.StopCount(), 1);

    // A wrapper that overrides one call keeps the rest real.
    struct NoRemove : FileSystemWrapper {
        using FileSystemWrapper::FileSystemWrapper;
        ErrorCode Remove(const std::string&) override { return ErrorCode(EPERM); }
    };
    MemoryFileSystem memory;
    memory.AddFile("/a/x", "1");
    NoRemove fs(memory);
    EXPECT_EQ(fs.Remove("/a/x"), ErrorCode{EPERM});
    EXPECT_EQ(fs.Copy("/a/x", "/a/y", true), kNoError);
    EXPECT_EQ(memory.Content("/a/y"), "1");
}

}  // namespace
}  // namespace bh
