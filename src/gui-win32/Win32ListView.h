#pragma once

#include "gui-win32/WinApi.h"

#include <array>
#include <functional>
#include <map>
#include <string>

#include "core/base/ColumnIds.h"
#include "core/base/CommandIds.h"
#include "core/document/ManagerListObserver.h"
#include "core/view/Columns.h"

namespace bh {

class CBrackenholdDoc;
class Clock;
class ManagerList;
class SettingsStore;
class ShellIcon;
class SystemErrors;
class UserInterface;

// The one view of a backup manager: a virtual report list of the document's rows in twelve
// columns, whose widths, order, font, colours, icons and date mode it keeps in the settings.
// The rows' selection flags in the core are the selection; the control mirrors them.
class Win32ListView : public ManagerListObserver {
  public:
    // Posted to the parent to recompute the summaries and mirror the selection once.
    static constexpr UINT kMsgRefresh = WM_APP + 1;

    Win32ListView(SettingsStore& settings, UserInterface& ui, const Clock& clock,
                  const SystemErrors& errors, int storedFontPoints);
    ~Win32ListView() override;
    Win32ListView(const Win32ListView&) = delete;
    Win32ListView& operator=(const Win32ListView&) = delete;

    void Create(HWND parent);
    HWND handle() const { return list_; }
    void AttachDocument(CBrackenholdDoc& doc);
    void Detach();

    // Reads the settings and builds the columns the first time; every time: background by
    // whether the manager has a file, auto backup stopped, sort flags reset.
    void OnInitialUpdate();
    // The parent's WM_NOTIFY from the list or its header; true when handled, `result` set.
    bool OnNotify(const NMHDR& header, LRESULT& result);
    // The posted refresh: mirrors the selection and recomputes the summaries.
    void Refresh();
    void SaveSettings();

    void SortByColumn(int column);
    void ToggleColumn(int column);
    void SetColumnDefaults();
    void ChangeFontSize(int sizeIndex);
    void ToggleGrayBar();
    void ToggleIcons();
    void SetDateMode(int mode);

    int fontPointSize() const { return fontPointSize_; }
    bool grayBar() const { return grayBar_; }
    int dateMode() const { return dateMode_; }
    bool showIcons() const { return showIcons_ != 0; }
    int autoBackupHours() const { return autoBackupHours_; }
    const CColumnState& columnState(int column) const { return columns_[column]; }
    int ColumnAtPosition(int position) const;
    int ColumnWidth(int column) const;
    int DefaultColumnWidth(int column) const;

    // The four summaries, panes 101 to 104, from the rows.
    std::function<void(const std::array<std::string, 4>&)> onSummaries;
    std::function<void()> onStopAutoBackup;
    std::function<int()> currentAutoBackupHours;
    std::function<void(int index)> onToolbarSize;
    // Rows or their selection changed.
    std::function<void()> onDocumentStateChanged;
    std::function<void(int id)> runCommand;
    std::function<void(POINT screen)> showContextMenu;

  protected:
    void AfterRowsInserted(int first, int last) override;
    void AfterRowsRemoved(int first, int last) override;
    void AfterReset() override;
    void AfterReorder() override;
    void OnRowsChanged(int first, int last, int firstColumn, int lastColumn) override;
    void OnSelectionChanged(int row) override;
    void OnEnsureVisible(int row) override;
    void OnListDestroyed() override;

  private:
    void BuildColumns();
    void ApplyOrder(const std::array<int, kColumnCount>& order);
    void ApplyBackground();
    bool SetListFont(int points);
    void RebuildImageList();
    void CountChanged();
    void QueueRefresh();
    void MirrorSelection();
    void UserSelection(int first, int last, bool selected);
    void GetDisplayInfo(NMLVDISPINFOW& info);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    int TextWidth(const std::wstring& text) const;
    int IconIndex(const ShellIcon* icon);

    SettingsStore& settings_;
    UserInterface& ui_;
    const Clock& clock_;
    const SystemErrors& errors_;
    CBrackenholdDoc* doc_ = nullptr;
    ManagerList* rows_ = nullptr;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::map<const ShellIcon*, int> iconIndex_;
    std::array<CColumnState, kColumnCount> columns_{};
    std::wstring cellBuffer_;
    bool columnsBuilt_ = false;
    bool refreshQueued_ = false;
    bool mirroring_ = false;
    bool selectionDirty_ = false;
    bool grayBar_ = false;
    int storedFontPoints_;
    int fontPointSize_ = 15;
    int showIcons_ = 1;
    int dateMode_ = kDefaultDateMode;
    int autoBackupHours_ = 24;
    bool settingsSaved_ = false;
};

}  // namespace bh
