#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QTableView>

#include "core/base/ColumnIds.h"
#include "core/view/Columns.h"

namespace bh {

class CBrackenholdDoc;
class CFileEntry;
class Clock;
class ManagerList;
class CMainFrame;
class ManagerTableModel;
class SettingsStore;
class SystemErrors;
class UserInterface;
struct ActionState;

// The one view of a backup manager: a table of the document's rows in twelve columns whose
// widths, order, font, colours, icons and date mode it keeps in the settings.
class CBrackenholdView : public QTableView {
    Q_OBJECT
  public:
    // The clock and the error texts make the rows' texts; both must outlive the view.
    // `storedFontPoints` is the list font size the settings hold.
    CBrackenholdView(SettingsStore& settings, UserInterface& ui, CMainFrame& frame,
                     const Clock& clock, const SystemErrors& errors, int storedFontPoints,
                     QWidget* parent = nullptr);
    // Writes the display settings back.
    ~CBrackenholdView() override;

    // The core's rules the view shows: the four summaries (panes 101, 102, 103, 104) of the
    // rows.
    struct CoreRules {
        std::function<std::array<std::string, 4>(const ManagerList& rows)> summaries;
    };

    ManagerTableModel& model() const { return *model_; }
    void SetCoreRules(CoreRules rules);
    void AttachDocument(CBrackenholdDoc& doc);

    // Reads the settings and builds the columns the first time; every time: background by
    // whether the manager has a file, auto backup stopped, sort flags reset. The document has
    // remade the rows before.
    void OnInitialUpdate();
    // Creates the "Arial" list font of that size and scales the columns to it.
    bool SetListFont(int points);
    void RebuildImageList();
    void SaveSettings();

    // Header click on a column: sorts the rows by it (nothing for an empty list).
    void SortByColumn(int column);
    void ToggleColumn(int column);
    void SetColumnDefaults();
    void ChangeFontSize(int sizeIndex);
    void ToggleGrayBar();
    void ToggleIcons();
    void SetDateMode(int mode);

    int fontPointSize() const { return fontPointSize_; }
    bool grayBar() const;
    int dateMode() const;
    bool showIcons() const { return showIcons_ != 0; }
    int autoBackupHours() const { return autoBackupHours_; }
    const CColumnState& columnState(int column) const { return columns_[column]; }
    // Order entry i: the column shown at display position i.
    int ColumnAtPosition(int position) const;
    int ColumnWidth(int column) const;
    // Twice the width of the column's header text in the list font.
    int DefaultColumnWidth(int column) const;

    // Recomputes the summaries of the status-bar panes 101 to 104 from the rows.
    void RefreshSummaries();
    // The texts last computed, in the pane ids' order 101, 102, 103, 104.
    const std::array<std::string, 4>& summaries() const { return summaries_; }
    // The view's auto-backup switch stops at every initial update.
    std::function<void()> onStopAutoBackup;
    // The interval the auto backup holds now, written back with the other settings.
    std::function<int()> currentAutoBackupHours;

  Q_SIGNALS:
    void summariesChanged();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void BuildColumns();
    void ApplyOrder(const std::array<int, kColumnCount>& order);
    void ApplyBackground();
    void ScheduleSummaries();
    int TextWidth(const QString& text) const;

    SettingsStore& settings_;
    UserInterface& ui_;
    CMainFrame& frame_;
    CBrackenholdDoc* doc_ = nullptr;
    CoreRules rules_;
    ManagerTableModel* model_;
    std::array<CColumnState, kColumnCount> columns_{};
    bool columnsBuilt_ = false;
    bool summariesQueued_ = false;
    QFont listFont_;
    int storedFontPoints_;
    int fontPointSize_ = 15;
    int showIcons_ = 1;
    int dateMode_ = kDefaultDateMode;
    int autoBackupHours_ = 24;
    bool settingsSaved_ = false;
    std::array<std::string, 4> summaries_;
};

}  // namespace bh
