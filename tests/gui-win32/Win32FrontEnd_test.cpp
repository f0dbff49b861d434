// The Windows front end's own pieces: the rules it adds around the core (keys, dialog
// buffers, the prompt's folder joining, the command line, the registry store, the gate, the
// progress bar's redraws).
#include <gtest/gtest.h>

#include <cstring>

#include "core/app/CommandTable.h"
#include "core/base/CommandIds.h"
#include "gui-win32/PromptDialog.h"
#include "gui-win32/RegistrySettingsStore.h"
#include "gui-win32/WideText.h"
#include "gui-win32/Win32CommandLine.h"
#include "gui-win32/Win32Menus.h"
#include "gui-win32/Win32OperationGate.h"
#include "gui-win32/Win32Shell.h"
#include "gui-win32/Win32SingleInstance.h"
#include "gui-win32/Win32StatusBar.h"
#include "gui-win32/Win32StatusProgress.h"
#include "gui-win32/Win32UserInterface.h"

using namespace bh;

TEST(Win32Keys, EveryKeyOfTheCommandTableBecomesAnAccelerator) {
    ACCEL accel{};
    ASSERT_TRUE(ParseShortcut("Ctrl+O", kCmdFileOpen, accel));
    EXPECT_EQ(accel.fVirt, FVIRTKEY | FCONTROL);
    EXPECT_EQ(accel.key, 'O');
    EXPECT_EQ(accel.cmd, kCmdFileOpen);
    ASSERT_TRUE(ParseShortcut("Del", kCmdRemoveSelected, accel));
    EXPECT_EQ(accel.fVirt, FVIRTKEY);
    EXPECT_EQ(accel.key, VK_DELETE);
    ASSERT_TRUE(ParseShortcut("F1", kCmdDocumentation, accel));
    EXPECT_EQ(accel.key, VK_F1);
    ASSERT_TRUE(ParseShortcut("Esc", kCmdSelectNone, accel));
    EXPECT_EQ(accel.key, VK_ESCAPE);
    EXPECT_FALSE(ParseShortcut("", 1, accel));
    EXPECT_FALSE(ParseShortcut("Ctrl+", 1, accel));
    EXPECT_FALSE(ParseShortcut("F0", 1, accel));
    EXPECT_FALSE(ParseShortcut("Shift+Tab", 1, accel));

    int withKeys = 0;
    for (const CommandInfo& info : Commands())
        withKeys += *info.shortcut != '\0' ? 1 : 0;
    const std::vector<ACCEL> table = TableAccelerators();
    EXPECT_EQ(static_cast<int>(table.size()), withKeys) << "a key of the table was not understood";
}

TEST(Win32Menus, ItemTextsCarryTheKeyAndLayoutTextsWin) {
    const MenuItem open{MenuItem::Kind::Command, kCmdFileOpen};
    EXPECT_EQ(Utf8(MenuItemText(open)), "&Open...\tCtrl+O");
    const MenuItem own{MenuItem::Kind::Command, kCmdSelectNone, "Select None\t[esc]"};
    EXPECT_EQ(Utf8(MenuItemText(own)), "Select None\t[esc]");
    const MenuItem column{MenuItem::Kind::Command, kCmdColumnFirst};
    EXPECT_EQ(Utf8(MenuItemText(column)), "Name");

    // Without recent files the File menu has no empty block between two separators.
    const HMENU bar = BuildMenu(MenuBarLayout(), true, [](int) { return std::wstring(); });
    const HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    UINT previous = 0;
    for (int position = 0; position < GetMenuItemCount(file); ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(file, static_cast<UINT>(position), TRUE, &info);
        EXPECT_FALSE((previous & MFT_SEPARATOR) && (info.fType & MFT_SEPARATOR)) << position;
        previous = info.fType;
    }
    EXPECT_EQ(GetMenuItemID(file, GetMenuItemCount(file) - 1), static_cast<UINT>(kCmdAppExit));
    DestroyMenu(bar);
}

TEST(Win32Dialogs, FiltersAndMultipleSelectionsConvert) {
    const std::wstring filter =
        DialogFilter("Backup Files ( *.bak )|*.bak|All Files ( *.* )|*.*||");
    const std::wstring expected(L"Backup Files ( *.bak )\0*.bak\0All Files ( *.* )\0*.*\0\0\0\0",
                                54);
    EXPECT_EQ(filter, expected);

    const wchar_t one[] = L"C:\\dir\\a.bak\0";
    EXPECT_EQ(DialogPaths(one), (std::vector<std::string>{"C:\\dir\\a.bak"}));
    const wchar_t several[] = L"C:\\dir\0a.txt\0caf\u00e9.txt\0";
    EXPECT_EQ(DialogPaths(several),
              (std::vector<std::string>{"C:\\dir\\a.txt", "C:\\dir\\caf\xc3\xa9.txt"}));
    const wchar_t root[] = L"C:\\\0a.txt\0b.txt\0";
    EXPECT_EQ(DialogPaths(root), (std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}));
    const wchar_t none[] = L"\0";
    EXPECT_TRUE(DialogPaths(none).empty());
}

TEST(Win32Prompt, BrowsingKeepsTheFileNameAndTheFolderStyle) {
    EXPECT_EQ(BrowseStartFolder("C:\\Backup\\a.txt"), "C:\\Backup");
    EXPECT_EQ(BrowseStartFolder("C:\\a.txt"), "C:\\");
    EXPECT_EQ(BrowseStartFolder("\\a.txt"), "\\");
    EXPECT_EQ(BrowseStartFolder("a.txt"), "");
    EXPECT_EQ(JoinBrowsedFolder("D:\\New", "C:\\Backup\\a.txt"), "D:\\New\\a.txt");
    EXPECT_EQ(JoinBrowsedFolder("D:\\", "C:\\Backup\\a.txt"), "D:\\a.txt");
    EXPECT_EQ(JoinBrowsedFolder("//server/share", "a.txt"), "//server/share/a.txt");
}

TEST(Win32CommandLine, OneManagerHelpVersionAndMistakes) {
    EXPECT_EQ(ParseWin32CommandLine({}).action, Win32CommandLine::Action::Run);
    const Win32CommandLine one = ParseWin32CommandLine({"C:\\team.bak"});
    EXPECT_EQ(one.action, Win32CommandLine::Action::Run);
    EXPECT_EQ(one.manager, "C:\\team.bak");
    EXPECT_EQ(ParseWin32CommandLine({"--", "-odd.bak"}).manager, "-odd.bak");
    EXPECT_EQ(ParseWin32CommandLine({"/?"}).action, Win32CommandLine::Action::Help);
    const Win32CommandLine version = ParseWin32CommandLine({"--version"});
    EXPECT_EQ(version.text, "brackenhold 1.005\n");
    const Win32CommandLine two = ParseWin32CommandLine({"a.bak", "b.bak"});
    EXPECT_EQ(two.action, Win32CommandLine::Action::Error);
    EXPECT_NE(two.text.find("only one MANAGER"), std::string::npos);
    EXPECT_EQ(ParseWin32CommandLine({"--bogus"}).action, Win32CommandLine::Action::Error);
}

TEST(Win32Registry, ValuesRoundTripAndAbsentOnesGiveTheDefault) {
    const std::string root = "Software\\Tallowmere\\BrackenholdStoreTest";
    RegDeleteTreeW(HKEY_CURRENT_USER, Wide(root).c_str());
    RegistrySettingsStore store(root);
    EXPECT_EQ(store.GetInt("Settings", "nFontPtSize", 15), 15);
    EXPECT_EQ(store.GetString("Main Window", "Rect", "none"), "none");
    store.WriteInt("Settings", "nFontPtSize", 20);
    store.WriteInt("Settings", "negative", -7);
    store.WriteString("Recent File List", "File1", "C:\\caf\xc3\xa9\\team.bak");
    store.WriteString("Recent File List", "File2", "");
    RegistrySettingsStore again(root);
    EXPECT_EQ(again.GetInt("Settings", "nFontPtSize", 15), 20);
    EXPECT_EQ(again.GetInt("Settings", "negative", 0), -7);
    EXPECT_EQ(again.GetString("Recent File List", "File1", ""), "C:\\caf\xc3\xa9\\team.bak");
    EXPECT_EQ(again.GetString("Recent File List", "File2", "x"), "");
    // A value of the other type is not this setting.
    EXPECT_EQ(again.GetInt("Recent File List", "File1", 3), 3);
    EXPECT_EQ(again.GetString("Settings", "nFontPtSize", "d"), "d");
    RegDeleteTreeW(HKEY_CURRENT_USER, Wide(root).c_str());
}

TEST(Win32Gate, WorkArrivingWhileWorkRunsIsRefusedOrHeldInOrder) {
    Win32OperationGate gate;
    std::vector<std::string> log;
    int idles = 0;
    gate.onIdle = [&] { ++idles; };
    gate.RunOrHold([&] {
        log.push_back("first");
        EXPECT_TRUE(gate.Busy());
        EXPECT_FALSE(gate.RunIfIdle([&] { log.push_back("refused"); }));
        gate.RunOrHold([&] { log.push_back("held 1"); });
        gate.RunOrHold([&] {
            log.push_back("held 2");
            gate.RunOrHold([&] { log.push_back("held by held"); });
        });
        EXPECT_EQ(gate.HeldCount(), 2);
    });
    EXPECT_EQ(log, (std::vector<std::string>{"first", "held 1", "held 2", "held by held"}));
    EXPECT_FALSE(gate.Busy());
    EXPECT_EQ(idles, 1);
    EXPECT_TRUE(gate.RunIfIdle([&] { log.push_back("now"); }));
    EXPECT_EQ(log.back(), "now");
}

TEST(Win32Text, Utf8AndWideConvertBothWays) {
    EXPECT_EQ(Wide("caf\xc3\xa9 \xe2\x82\xac"), L"caf\u00e9 \u20ac");
    EXPECT_EQ(Utf8(L"caf\u00e9 \u20ac"), "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(Utf8(Wide("")), "");
    EXPECT_EQ(EscapeAmpersands(L"R&D & more"), L"R&&D && more");
    EXPECT_EQ(GetACP(), 65001u) << "the manifest makes the A functions UTF-8";
}

TEST(Win32Shell, TypesAreLookedUpOncePerExtension) {
    EXPECT_EQ(TypeKey(L"C:\\dir.x\\README"), L"");
    EXPECT_EQ(TypeKey(L"C:\\dir\\Report.TXT"), L".txt");
    Win32Shell shell;
    const auto first = shell.GetFileInfo("C:\\a\\one.TXT");
    const auto second = shell.GetFileInfo("D:\\b\\two.txt");
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(shell.CachedTypeCount(), 1);
    shell.GetFileInfo("C:\\a\\three.bak");
    EXPECT_EQ(shell.CachedTypeCount(), 2);
}

TEST(Win32SingleInstance, PathsArePackedNulTerminated) {
    EXPECT_EQ(PackPaths({"C:\\a.bak", "D:\\b.bak"}), std::string("C:\\a.bak\0D:\\b.bak\0", 18));
    EXPECT_EQ(PackPaths({}), "");
}

// Stepping row by row must not redraw the bar (and handle messages) once per row.
TEST(Win32Progress, RedrawsOnlyWhenTheDrawnPositionMoves) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW plain{};
    plain.lpfnWndProc = DefWindowProcW;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.lpszClassName = L"BrackenholdProgressTest";
    RegisterClassW(&plain);
    const HWND frame = CreateWindowExW(0, plain.lpszClassName, L"frame", WS_OVERLAPPEDWINDOW, 0, 0,
                                       600, 200, nullptr, nullptr, plain.hInstance, nullptr);
    ASSERT_NE(frame, nullptr);
    Win32StatusBar bar;
    bar.Create(frame);
    int pumps = 0;
    {
        Win32StatusProgress progress(frame, bar, "Backing Up", [&] { ++pumps; });
        EXPECT_EQ(bar.PaneText(0), "Backing Up");
        EXPECT_EQ(Win32StatusProgress::Current(), &progress);
        progress.SetRange(0, 20000);
        progress.SetStep(1);
        for (int row = 0; row < 20000; ++row)
            progress.StepIt();
        EXPECT_EQ(progress.GetPos(), 20000);
        EXPECT_LE(progress.Redraws(), 151) << "one redraw per pixel of a 150-pixel bar at most";
        EXPECT_GE(progress.Redraws(), 100);
        EXPECT_EQ(pumps, progress.Redraws());
        EXPECT_FALSE(progress.CancelRequested());
        progress.RequestCancel();
        EXPECT_FALSE(progress.CancelRequested()) << "no Cancel button was offered";
        progress.AllowCancel();
        EXPECT_TRUE(progress.CancelAllowed());
        progress.RequestCancel();
        EXPECT_TRUE(progress.CancelRequested());
    }
    EXPECT_EQ(Win32StatusProgress::Current(), nullptr);
    EXPECT_EQ(bar.PaneText(0), "Ready");
    DestroyWindow(frame);
}
