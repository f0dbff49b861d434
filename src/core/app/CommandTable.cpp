#include "core/app/CommandTable.h"

#include <algorithm>
#include <iterator>

#include "core/base/CommandIds.h"
#include "core/view/Columns.h"
#include "core/view/EntryTexts.h"

namespace bh {
namespace {

constexpr CommandInfo kCommands[] = {
    {kCmdFileNew, "&New", "Ctrl+N", "Create a new backup manager"},
    {kCmdFileOpen, "&Open...", "Ctrl+O", "Open an existing backup manager"},
    {kCmdFileSave, "&Save", "Ctrl+S", "Save the backup manager"},
    {kCmdFileSaveAs, "Save &As...", "", "Save the backup manager with a new name"},
    {kCmdFileClose, "&Close", "", "Close the backup manager"},
    {kCmdAddFiles, "Add Files...", "", "Add source files to the backup manager"},
    {kCmdAddFolder, "Add Fol&der...", "", "Add every file in a folder and its subfolders"},
    {kCmdImport, "Inport Backup...", "", "Append the entries of another backup manager"},
    {kCmdStartWithMru, "Start with MRU", "",
     "Open the Most Recently Used backup manager at startup"},
    {kCmdAppExit, "E&xit", "", "Quit the application"},
    {kCmdBackupAll, "Backup All", "", "Back up every out of date file"},
    {kCmdBackupSelected, "Backup Selected", "", "Back up the selected out of date files"},
    {kCmdRefreshAll, "Refresh All", "", "Check the status of every file"},
    {kCmdRestoreSelected, "Restore Selected", "", "Copy the selected archives over their sources"},
    {kCmdRestoreVersion, "Restore Version...", "",
     "Copy a kept older version of the selected archive over its source"},
    {kCmdKeepVersions, "Keep Versions...", "",
     "How many replaced archives a backup keeps beside each archive"},
    {kCmdVerifySelected, "&Verify Selected", "",
     "Compare the selected archives with their sources byte for byte"},
    {kCmdVerifyAfterCopy, "Verify After &Copy", "",
     "Read each archive again after a backup copies it and compare it with its source"},
    {kCmdRenameDrive, "Rename Drive...", "", "Give the selected archives another drive"},
    {kCmdMovePath, "Move Path...", "", "Move the selected archive to another path"},
    {kCmdAdditionalPath, "Additional Path...", "", "Add another archive for the selected source"},
    {kCmdRemoveSelected, "Remove Selected", "Del", "Remove the selected entries"},
    {kCmdAutoBackup, "Auto Backup (off)", "", "Back up every few hours"},
    {kCmdSelectAll, "Select All", "Ctrl+A", "Select every entry"},
    {kCmdSelectNone, "Select None", "Esc", "Deselect every entry"},
    {kCmdEditNotes, "Edit Selected Notes...", "", "Edit the notes of the selected entries"},
    {kCmdShowSource, "Source...", "", "Show the source file in the file manager"},
    {kCmdShowArchive, "Archive...", "", "Show the archive file in the file manager"},
    {kCmdShowManager, "Manager...", "", "Show the backup manager file in the file manager"},
    {kCmdOpenSource, "Open Source", "", "Open the source file with its application"},
    {kCmdColumnFirst + 0, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 1, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 2, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 3, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 4, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 5, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 6, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 7, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 8, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 9, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 10, nullptr, "", "Show or hide the column"},
    {kCmdColumnFirst + 11, nullptr, "", "Show or hide the column"},
    {kCmdColumnDefaults, "Set Defaults", "", "Show every column at its default width and place"},
    {kCmdFontSmall, "Small", "", "Small list font"},
    {kCmdFontMedium, "Medium", "", "Medium list font"},
    {kCmdFontLarge, "Large", "", "Large list font"},
    {kCmdGrayBar, "Gray Bar", "", "Alternate white and gray rows"},
    {kCmdShowIcons, "Icons", "", "Show the file icons"},
    {kCmdDateModeFirst + 0, nullptr, "", "Show dates day first"},
    {kCmdDateModeFirst + 1, nullptr, "", "Show dates month first"},
    {kCmdDateModeFirst + 2, nullptr, "", "Show dates year first"},
    {kCmdDateModeFirst + 3, nullptr, "", "Show the age of the files"},
    {kCmdViewToolbar, "&Toolbar", "", "Show or hide the toolbar"},
    {kCmdViewStatusBar, "&Status Bar", "", "Show or hide the status bar"},
    {kCmdDocumentation, "Documentation...", "F1", "Open the manual"},
    {kCmdAbout, "About Brackenhold...", "", "Display program information and version"},
    {kCmdRecentFileFirst + 0, "", "", "Open this backup manager"},
    {kCmdRecentFileFirst + 1, "", "", "Open this backup manager"},
    {kCmdRecentFileFirst + 2, "", "", "Open this backup manager"},
    {kCmdRecentFileFirst + 3, "", "", "Open this backup manager"},
};

using K = MenuItem::Kind;

constexpr MenuItem kChangeArchive[] = {
    {K::Command, kCmdRenameDrive},
    {K::Command, kCmdMovePath},
    {K::Command, kCmdAdditionalPath},
    {K::End},
};

constexpr MenuItem kShowInExplorer[] = {
    {K::Command, kCmdShowSource, "Source...\tLeft Dbl Click"},
    {K::Command, kCmdShowArchive},
    {K::Command, kCmdShowManager},
    {K::End},
};

constexpr MenuItem kContextMenu[] = {
    {K::Command, kCmdAddFiles},
    {K::Command, kCmdAddFolder},
    {K::Command, kCmdImport},
    {K::Popup, 0, "Change Archive", kChangeArchive},
    {K::Separator},
    {K::Command, kCmdBackupAll},
    {K::Command, kCmdBackupSelected},
    {K::Separator},
    {K::Command, kCmdSelectAll, "Select All\tCtrl+A"},
    {K::Command, kCmdSelectNone, "Select None\t[esc]"},
    {K::Command, kCmdEditNotes},
    {K::Separator},
    {K::Command, kCmdRemoveSelected, "Remove Selected\t[del]"},
    {K::Command, kCmdRestoreSelected},
    {K::Command, kCmdRestoreVersion},
    {K::Command, kCmdVerifySelected},
    {K::Separator},
    {K::Popup, 0, "Show File in Explorer", kShowInExplorer},
    {K::Command, kCmdOpenSource},
    {K::Separator},
    {K::Command, kCmdRefreshAll},
    {K::Command, kCmdAutoBackup, "Auto Backup..."},
    {K::End},
};

constexpr MenuItem kFileMenu[] = {
    {K::Command, kCmdFileNew},
    {K::Command, kCmdFileOpen},
    {K::Command, kCmdFileSave},
    {K::Command, kCmdFileSaveAs},
    {K::Command, kCmdFileClose},
    {K::Separator},
    {K::Command, kCmdAddFiles},
    {K::Command, kCmdAddFolder},
    {K::Command, kCmdImport},
    {K::Separator},
    {K::Command, kCmdKeepVersions},
    {K::Command, kCmdStartWithMru},
    {K::Separator},
    {K::Command, kCmdRecentFileFirst + 0},
    {K::Command, kCmdRecentFileFirst + 1},
    {K::Command, kCmdRecentFileFirst + 2},
    {K::Command, kCmdRecentFileFirst + 3},
    {K::Separator},
    {K::Command, kCmdAppExit},
    {K::End},
};

constexpr MenuItem kEditMenu[] = {
    {K::Command, kCmdBackupAll},
    {K::Command, kCmdBackupSelected},
    {K::Command, kCmdRefreshAll},
    {K::Separator},
    {K::Command, kCmdRestoreSelected},
    {K::Command, kCmdRestoreVersion},
    {K::Command, kCmdVerifySelected},
    {K::Popup, 0, "Change Archive", kChangeArchive},
    {K::Command, kCmdRemoveSelected},
    {K::Separator},
    {K::Command, kCmdSelectAll},
    {K::Command, kCmdSelectNone},
    {K::Command, kCmdEditNotes},
    {K::Separator},
    {K::Popup, 0, "Show File in Explorer", kShowInExplorer},
    {K::Command, kCmdOpenSource},
    {K::Separator},
    {K::Command, kCmdAutoBackup},
    {K::Command, kCmdVerifyAfterCopy},
    {K::End},
};

constexpr MenuItem kColumnsMenu[] = {
    {K::Command, kCmdColumnFirst + 0},
    {K::Command, kCmdColumnFirst + 1},
    {K::Command, kCmdColumnFirst + 2},
    {K::Command, kCmdColumnFirst + 3},
    {K::Command, kCmdColumnFirst + 4},
    {K::Command, kCmdColumnFirst + 5},
    {K::Command, kCmdColumnFirst + 6},
    {K::Command, kCmdColumnFirst + 7},
    {K::Command, kCmdColumnFirst + 8},
    {K::Command, kCmdColumnFirst + 9},
    {K::Command, kCmdColumnFirst + 10},
    {K::Command, kCmdColumnFirst + 11},
    {K::Separator},
    {K::Command, kCmdColumnDefaults},
    {K::End},
};

constexpr MenuItem kViewMenu[] = {
    {K::Command, kCmdViewToolbar},
    {K::Command, kCmdViewStatusBar},
    {K::Separator},
    {K::Popup, 0, "Columns", kColumnsMenu},
    {K::Separator},
    {K::Command, kCmdFontSmall},
    {K::Command, kCmdFontMedium},
    {K::Command, kCmdFontLarge},
    {K::Separator},
    {K::Command, kCmdGrayBar},
    {K::Command, kCmdShowIcons},
    {K::Separator},
    {K::Command, kCmdDateModeFirst + 0},
    {K::Command, kCmdDateModeFirst + 1},
    {K::Command, kCmdDateModeFirst + 2},
    {K::Command, kCmdDateModeFirst + 3},
    {K::End},
};

constexpr MenuItem kHelpMenu[] = {
    {K::Command, kCmdDocumentation},
    {K::Separator},
    {K::Command, kCmdAbout},
    {K::End},
};

constexpr MenuItem kMenuBar[] = {
    {K::Popup, 0, "&File", kFileMenu},
    {K::Popup, 0, "&Edit", kEditMenu},
    {K::Popup, 0, "&View", kViewMenu},
    {K::Popup, 0, "&Help", kHelpMenu},
    {K::End},
};

}  // namespace

const MenuItem* MenuBarLayout() {
    return kMenuBar;
}

std::span<const CommandInfo> Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [id](const CommandInfo& info) { return info.id == id; });
    return found == std::end(kCommands) ? nullptr : &*found;
}

std::string CommandText(const CommandInfo& info) {
    if (info.text != nullptr)
        return info.text;
    if (const int column = ColumnOfCommand(info.id); column >= 0)
        return ColumnMenuText(column);
    return DateModeMenuText(info.id - kCmdDateModeFirst);
}

const MenuItem* ContextMenuLayout() {
    return kContextMenu;
}

}  // namespace bh
