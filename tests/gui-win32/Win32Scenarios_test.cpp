// The Windows desktop program driven as a user drives it, under Wine in the cross build: every
// check reads back what the program's controls show.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "Win32Driver.h"
#include "core/base/CommandIds.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerFileFormat.h"
#include "gui-win32/PromptDialog.h"
#include "gui-win32/RegistrySettingsStore.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32App.h"
#include "gui-win32/Win32ListView.h"
#include "gui-win32/Win32Shell.h"
#include "gui-win32/Win32SingleInstance.h"
#include "platform/NativePlatform.h"
#include "support/TempDir.h"

using namespace bh;
using bh::test::SeenDialog;
using bh::test::Win32Driver;

namespace {

constexpr int kNameColumn = 0;
constexpr int kSourcePathColumn = 4;
constexpr int kArchivePathColumn = 5;
constexpr int kResultsColumn = 6;
constexpr std::int64_t kArchiveTime = 1'600'000'000;
constexpr std::int64_t kSourceTime = 1'700'000'000;

// The program over the real Windows ports, its settings in the registry of the test prefix.
class Scenario : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Wide(RegistrySettingsStore::kDefaultRoot).c_str());
        src_ = dir_.MakeFolder("src");
        arc_ = dir_.MakeFolder("arc");
    }

    std::string Src(const std::string& name) const { return src_ + "\\" + name; }
    std::string Arc(const std::string& name) const { return arc_ + "\\" + name; }

    // A manager of the named sources ("current NAME") and their older archives
    // ("archived NAME"): every entry out of date.
    std::string WriteManager(const std::vector<std::string>& names) {
        std::vector<ManagerRecord> records;
        for (const std::string& name : names) {
            dir_.Write("src\\" + name, "current " + name);
            dir_.Write("arc\\" + name, "archived " + name);
            EXPECT_TRUE(bh::test::TempDir::SetTimes(Arc(name), kArchiveTime));
            EXPECT_TRUE(bh::test::TempDir::SetTimes(Src(name), kSourceTime));
            records.push_back({Src(name), Arc(name), ""});
        }
        return dir_.Write("team.bak", EncodeManager(records));
    }

    // Starts the program on `files`, runs `script` on a driver thread while this thread runs
    // the message loop, and ends the program's loop once the script has returned.
    void Run(const std::vector<std::string>& files,
             const std::function<void(Win32Driver&)>& script) {
        app_ = std::make_unique<Win32App>(
            Win32AppPorts{fileSystem_, shell_, settings_, clock_, errors_});
        ASSERT_TRUE(app_->Start(files));
        Win32MainFrame& frame = app_->frame();
        Win32Driver driver(frame.handle(), app_->view().handle(), frame.statusBar().handle(),
                           frame.toolbar().handle());
        const DWORD thread = GetCurrentThreadId();
        std::thread worker([&] {
            driver.WaitIdle();
            script(driver);
            // A script that closed the window has ended the loop already.
            if (IsWindow(driver.frame()))
                PostThreadMessageW(thread, WM_QUIT, 0, 0);
        });
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (TranslateAcceleratorW(frame.handle(), frame.accelerators(), &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        worker.join();
        app_->Exit();
        app_.reset();
    }

    // Answers the next dialog with `button` and returns what it showed.
    static SeenDialog Answer(const Win32Driver& driver, int button) {
        const std::optional<SeenDialog> dialog = driver.WaitForDialog();
        if (!dialog) {
            ADD_FAILURE() << "no dialog appeared";
            return {};
        }
        driver.Press(*dialog, button);
        return *dialog;
    }

    bh::test::TempDir dir_;
    std::string src_;
    std::string arc_;
    NativeFileSystem fileSystem_;
    Win32Shell shell_;
    RegistrySettingsStore settings_;
    NativeClock clock_;
    NativeSystemErrors errors_;
    std::unique_ptr<Win32App> app_;
};

TEST_F(Scenario, OpensAManagerFromTheCommandLineAndShowsItsRowsPanesAndCommands) {
    const std::string team = WriteManager({"b.txt", "a.txt", "c.txt"});
    Run({team}, [&](Win32Driver& d) {
        EXPECT_EQ(d.Caption(), "team.bak - Brackenhold");
        ASSERT_EQ(d.RowCount(), 3);
        EXPECT_EQ(d.ColumnTexts(kNameColumn), (std::vector<std::string>{" b", " a", " c"}));
        EXPECT_EQ(d.Cell(1, kSourcePathColumn), Src("a.txt"));
        EXPECT_EQ(d.Cell(1, kArchivePathColumn), Arc("a.txt"));
        ASSERT_EQ(d.HeaderCount(), 12);
        EXPECT_EQ(d.HeaderText(0), "Name");
        EXPECT_EQ(d.HeaderText(kSourcePathColumn), "Source Path");
        EXPECT_EQ(d.HeaderText(kArchivePathColumn), "Archive Path");
        ASSERT_EQ(d.PaneCount(), 5);
        EXPECT_EQ(d.Pane(0), "Ready");
        // The summaries are centred in their panes, as the leading tab asks a status bar to.
        EXPECT_EQ(d.Pane(1), "\tNo Problems");
        EXPECT_EQ(d.Pane(2), "\t3 Obselete");
        EXPECT_EQ(d.Pane(3), "\t3 Files");
        EXPECT_EQ(d.Pane(4), "\t39 B");
        // Menus and toolbar come from the shared command table, enabled by the core's rules.
        EXPECT_EQ(d.MenuText(kCmdFileOpen), "&Open...\tCtrl+O");
        EXPECT_EQ(d.MenuText(kCmdRemoveSelected), "Remove Selected\tDel");
        EXPECT_TRUE(d.MenuEnabled(kCmdBackupAll));
        EXPECT_FALSE(d.MenuEnabled(kCmdMovePath)) << "nothing is selected";
        EXPECT_FALSE(d.MenuEnabled(kCmdFileSave)) << "nothing changed";
        EXPECT_EQ(d.ToolbarButtonCount(), 5);
        EXPECT_TRUE(d.ToolbarEnabled(kCmdBackupAll));
        EXPECT_FALSE(d.ToolbarEnabled(kCmdFileSave));
        d.SelectRows({1});
        EXPECT_TRUE(d.MenuEnabled(kCmdMovePath));
        d.Command(kCmdSelectAll);
        EXPECT_EQ(d.SelectedRows(), (std::vector<int>{0, 1, 2}));
        d.Command(kCmdSelectNone);
        EXPECT_TRUE(d.SelectedRows().empty());
    });
}

TEST_F(Scenario, BackupAllCopiesEverySourceAndReportsIt) {
    const std::string team = WriteManager({"a.txt", "b.txt"});
    Run({team}, [&](Win32Driver& d) {
        d.PostCommand(kCmdBackupAll);
        const SeenDialog report = Answer(d, IDOK);
        EXPECT_EQ(report.caption, "Report");
        EXPECT_EQ(report.Text().rfind("0  Files were up to date.\n\n2  Files were backed up.", 0),
                  0u)
            << report.Text();
        d.WaitIdle();
        EXPECT_EQ(bh::test::TempDir::Read(Arc("a.txt")), "current a.txt");
        EXPECT_EQ(bh::test::TempDir::Read(Arc("b.txt")), "current b.txt");
        EXPECT_EQ(d.Pane(2), "\tAll Backed Up");
        EXPECT_EQ(d.Pane(0), "Ready");
    });
}

TEST_F(Scenario, RestoreWithCopiesKeepsTheOldSourcesBesideTheRestoredOnes) {
    const std::string team = WriteManager({"a.txt", "b.txt"});
    Run({team}, [&](Win32Driver& d) {
        d.Command(kCmdSelectAll);
        d.PostCommand(kCmdRestoreSelected);
        const SeenDialog question = Answer(d, IDYES);
        EXPECT_NE(question.Text().find("copy"), std::string::npos) << question.Text();
        const SeenDialog summary = Answer(d, IDOK);
        EXPECT_EQ(summary.Text().rfind("2 Files were restored", 0), 0u) << summary.Text();
        d.WaitIdle();
        EXPECT_EQ(bh::test::TempDir::Read(Src("a.txt")), "archived a.txt");
        EXPECT_EQ(bh::test::TempDir::Read(Src("a[copy1].txt")), "current a.txt");
        EXPECT_EQ(bh::test::TempDir::Read(Src("b[copy1].txt")), "current b.txt");
        EXPECT_EQ(d.Cell(0, kResultsColumn).rfind("Restored", 0), 0u) << d.Cell(0, kResultsColumn);
    });
}

TEST_F(Scenario, RemoveWithDeletionTakesTheRowAndItsArchive) {
    const std::string team = WriteManager({"a.txt", "b.txt", "c.txt"});
    Run({team}, [&](Win32Driver& d) {
        d.SelectRows({1});
        d.PostCommand(kCmdRemoveSelected);
        const SeenDialog question = Answer(d, IDYES);
        EXPECT_EQ(question.caption, "Renove 1 File from Backup");
        d.WaitIdle();
        EXPECT_EQ(d.ColumnTexts(kNameColumn), (std::vector<std::string>{" a", " c"}));
        EXPECT_FALSE(bh::test::TempDir::Exists(Arc("b.txt")));
        EXPECT_TRUE(bh::test::TempDir::Exists(Src("b.txt"))) << "the source stays";
        EXPECT_EQ(d.Pane(3), "\t2 Files");
        EXPECT_EQ(d.Caption(), "team.bak * - Brackenhold");
    });
}

TEST_F(Scenario, RenameDriveAsksForOneLetterAndGivesItToTheSelectedArchives) {
    const std::string team = WriteManager({"a.txt", "b.txt"});
    Run({team}, [&](Win32Driver& d) {
        const std::string drive = d.Cell(0, kArchivePathColumn).substr(0, 2);
        d.Command(kCmdSelectAll);
        d.PostCommand(kCmdRenameDrive);
        std::optional<SeenDialog> prompt = d.WaitForDialog();
        ASSERT_TRUE(prompt);
        EXPECT_EQ(prompt->caption, "Change Archive Drive Letter (2 Files Selected)");
        EXPECT_EQ(d.DialogItemText(*prompt, kPromptEditId), drive);
        d.SetDialogItemText(*prompt, kPromptEditId, "xy");
        d.Press(*prompt, IDOK);
        prompt = d.WaitForDialog();
        ASSERT_TRUE(prompt);
        EXPECT_EQ(d.DialogItemText(*prompt, kPromptEditId), "Enter a single letter for the drive!");
        d.SetDialogItemText(*prompt, kPromptEditId, "q");
        d.Press(*prompt, IDOK);
        d.WaitIdle();
        EXPECT_EQ(d.Cell(0, kArchivePathColumn), "Q:" + Arc("a.txt").substr(2));
        EXPECT_EQ(d.Cell(1, kArchivePathColumn), "Q:" + Arc("b.txt").substr(2));
    });
}

TEST_F(Scenario, MovePathMovesTheArchiveToTheFolderTyped) {
    const std::string team = WriteManager({"a.txt"});
    const std::string moved = dir_.MakeFolder("moved") + "\\renamed.txt";
    Run({team}, [&](Win32Driver& d) {
        d.SelectRows({0});
        d.PostCommand(kCmdMovePath);
        const std::optional<SeenDialog> prompt = d.WaitForDialog();
        ASSERT_TRUE(prompt);
        EXPECT_EQ(prompt->caption, "Move Archive to new Folder and/or change Filename");
        EXPECT_EQ(d.DialogItemText(*prompt, kPromptEditId), Arc("a.txt"));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(prompt->window, kPromptBrowseId)))
            << "the prompt offers the folder browser";
        d.SetDialogItemText(*prompt, kPromptEditId, moved);
        d.Press(*prompt, IDOK);
        d.WaitIdle();
        EXPECT_EQ(d.Cell(0, kArchivePathColumn), moved);
        EXPECT_EQ(bh::test::TempDir::Read(moved), "archived a.txt");
        EXPECT_FALSE(bh::test::TempDir::Exists(Arc("a.txt")));
    });
}

TEST_F(Scenario, HeaderClicksSortThroughTheCoreAndColumnsHideAndShow) {
    const std::string team = WriteManager({"b.txt", "c.txt", "a.txt"});
    Run({team}, [&](Win32Driver& d) {
        d.ClickHeader(kNameColumn);
        EXPECT_EQ(d.ColumnTexts(kNameColumn), (std::vector<std::string>{" a", " b", " c"}));
        d.ClickHeader(kNameColumn);
        EXPECT_EQ(d.ColumnTexts(kNameColumn), (std::vector<std::string>{" c", " b", " a"}));
        EXPECT_EQ(d.Caption(), "team.bak * - Brackenhold") << "the order is what the file keeps";
        EXPECT_TRUE(d.MenuEnabled(kCmdFileSave));

        const int type = kCmdColumnFirst + 1;
        EXPECT_EQ(d.MenuText(type), "Type");
        EXPECT_TRUE(d.MenuChecked(type));
        EXPECT_GT(d.ColumnWidth(1), 0);
        d.Command(type);
        EXPECT_EQ(d.ColumnWidth(1), 0);
        EXPECT_FALSE(d.MenuChecked(type));
        d.Command(type);
        EXPECT_GT(d.ColumnWidth(1), 0);
        EXPECT_TRUE(d.MenuChecked(type));
    });
}

TEST_F(Scenario, DisplaySettingsGoToTheRegistryAndComeBackAtTheNextStart) {
    int hiddenWidth = -1;
    Run({}, [&](Win32Driver& d) {
        EXPECT_EQ(d.Caption(), "Create or Open a Backup Manager - Brackenhold");
        EXPECT_FALSE(d.MenuChecked(kCmdGrayBar));
        d.Command(kCmdGrayBar);
        d.Command(kCmdColumnFirst + 3);
        hiddenWidth = d.ColumnWidth(3);
        d.Command(kCmdDateModeFirst + 2);
        d.Command(kCmdFontLarge);
        d.Command(kCmdStartWithMru);
        // Closed as the user closes it: the settings are written while the list still exists.
        SendMessageW(d.frame(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(d.frame()));
    });
    EXPECT_EQ(hiddenWidth, 0);
    RegistrySettingsStore reader;
    EXPECT_EQ(reader.GetInt("Settings", "bGrayBar", -1), 1);
    EXPECT_EQ(reader.GetInt("Settings", "nFontPtSize", -1), 20);
    EXPECT_FALSE(reader.GetString("Main Window", "Rect", "").empty());
    EXPECT_EQ(reader.GetInt("Settings", "nColWidth3", -1) & 0xFFFF, 0);
    EXPECT_GT(reader.GetInt("Settings", "nColWidth0", -1) & 0xFFFF, 0);
    EXPECT_EQ(reader.GetInt("Settings", "nColWidth0", -1) >> 16, 0) << "column 0 shown first";
    Run({}, [&](Win32Driver& d) {
        EXPECT_TRUE(d.MenuChecked(kCmdGrayBar));
        EXPECT_TRUE(d.MenuChecked(kCmdDateModeFirst + 2));
        EXPECT_FALSE(d.MenuChecked(kCmdDateModeFirst + 0));
        EXPECT_TRUE(d.MenuChecked(kCmdFontLarge));
        EXPECT_TRUE(d.MenuChecked(kCmdStartWithMru));
        EXPECT_FALSE(d.MenuChecked(kCmdColumnFirst + 3));
        EXPECT_EQ(d.ColumnWidth(3), 0);
        EXPECT_EQ(d.ToolbarButtonCount(), 7) << "the large set has separators";
    });
}

TEST_F(Scenario, ASecondStartsFilesOpenInTheRunningProgram) {
    const std::string team = WriteManager({"a.txt", "b.txt"});
    Run({}, [&](Win32Driver& d) {
        EXPECT_EQ(d.RowCount(), 0);
        const std::string packed = PackPaths({team});
        COPYDATASTRUCT data{Win32MainFrame::kCopyDataOpen, static_cast<DWORD>(packed.size()),
                            const_cast<char*>(packed.data())};
        EXPECT_EQ(SendMessageW(d.frame(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
        d.WaitIdle();
        EXPECT_EQ(d.Caption(), "team.bak - Brackenhold");
        EXPECT_EQ(d.RowCount(), 2);
        EXPECT_NE(d.MenuText(kCmdRecentFileFirst).find("team.bak"), std::string::npos)
            << d.MenuText(kCmdRecentFileFirst);
    });
}

}  // namespace
