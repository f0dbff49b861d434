#pragma once

namespace bh {

// Command ids of the menus, toolbar, accelerators and context menu. The values are those of
// the program's resources, so that routing and update handlers agree on every platform.
constexpr int kCmdAddFiles = 32772;
constexpr int kCmdRemoveSelected = 32773;
constexpr int kCmdFileSaveAs = 32774;
constexpr int kCmdFileSave = 32775;
constexpr int kCmdFileOpen = 32776;
constexpr int kCmdColumnFirst = 32778;  // to kCmdColumnLast, one per column in column order
constexpr int kCmdColumnLast = 32789;
constexpr int kCmdSelectNone = 32792;
constexpr int kCmdBackupAll = 32793;
constexpr int kCmdRefreshAll = 32794;
constexpr int kCmdEditNotes = 32796;
constexpr int kCmdFileNew = 32797;
constexpr int kCmdFileClose = 32798;
constexpr int kCmdFontSmall = 32801;
constexpr int kCmdFontMedium = 32802;
constexpr int kCmdFontLarge = 32803;
constexpr int kCmdGrayBar = 32804;
constexpr int kCmdShowSource = 32806;   // show in the file manager: the source
constexpr int kCmdShowArchive = 32807;  // the archive
constexpr int kCmdShowManager = 32808;  // the manager file
constexpr int kCmdStartWithMru = 32810;
constexpr int kCmdBackupSelected = 32813;
constexpr int kCmdColumnDefaults = 32814;
constexpr int kCmdDateModeFirst = 32815;  // to kCmdDateModeLast; mode = id - kCmdDateModeFirst
constexpr int kCmdDateModeLast = 32818;
constexpr int kCmdAutoBackup = 32819;
constexpr int kCmdImport = 32820;
constexpr int kCmdShowIcons = 32821;
constexpr int kCmdRenameDrive = 32822;
constexpr int kCmdSelectAll = 32824;
constexpr int kCmdMovePath = 32825;
constexpr int kCmdAdditionalPath = 32826;
constexpr int kCmdRestoreSelected = 32827;
constexpr int kCmdDocumentation = 32832;
constexpr int kCmdOpenSource = 32853;
// Beyond the designed menus: whole folders, content checks and kept versions.
constexpr int kCmdAddFolder = 32860;
constexpr int kCmdVerifySelected = 32861;
constexpr int kCmdVerifyAfterCopy = 32862;
constexpr int kCmdRestoreVersion = 32863;
constexpr int kCmdKeepVersions = 32864;
constexpr int kCmdRecentFileFirst = 57616;  // to 57619, one per recent file
constexpr int kCmdAbout = 57664;
constexpr int kCmdAppExit = 57665;
constexpr int kCmdViewToolbar = 59392;
constexpr int kCmdViewStatusBar = 59393;

// Status bar panes after the message pane.
constexpr int kPaneFiles = 101;
constexpr int kPaneTotalSize = 102;
constexpr int kPaneObsolete = 103;
constexpr int kPaneProblems = 104;

// String ids.
constexpr int kIdsAppName = 57344;       // "Brackenhold"
constexpr int kIdsIdleMessage = 0xE001;  // "Ready"

// The only timer: the view's auto-backup timer.
constexpr int kAutoBackupTimerId = 1;

constexpr int kColumnCount = 12;
constexpr int kDateModeCount = 4;
constexpr int kRecentFileCount = 4;

static_assert(kCmdColumnLast - kCmdColumnFirst + 1 == kColumnCount);
static_assert(kCmdDateModeLast - kCmdDateModeFirst + 1 == kDateModeCount);

}  // namespace bh
