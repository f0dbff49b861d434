#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QItemSelection>

#include "core/app/ListRows.h"

class QItemSelectionModel;

namespace bh {

class CFileEntry;

// The manager's rows as a Qt table model. It is also the core's ListRows, so the document
// and the commands change rows through it while the table shows them.
//
// Selection lives in the view's QItemSelectionModel; the model mirrors it per row so that
// IsSelected and SelectedCount cost nothing. Appended rows are announced to the view in
// batches (at the next event loop turn, or before any other change), so that loading a
// large manager does not announce every row one by one.
class ManagerTableModel : public QAbstractTableModel, public ListRows {
    Q_OBJECT
  public:
    using CellTextFunction = std::function<std::string(const CFileEntry&, int column)>;
    using IconFunction = std::function<QIcon(const CFileEntry&)>;

    ManagerTableModel(int columnCount, CellTextFunction cellText, QObject* parent = nullptr);
    ~ManagerTableModel() override;

    void SetSelectionModel(QItemSelectionModel* selection);
    void SetHeaders(std::vector<QString> headers);
    void SetIconFunction(IconFunction icon) { icon_ = std::move(icon); }
    // Alternating white and light gray rows instead of the entries' own backgrounds.
    void SetGrayBar(bool on);
    bool GrayBar() const { return grayBar_; }
    // Every cell's text is made again (after a date mode change, say).
    void RefreshAllTexts();
    // Announces rows appended since the last announcement.
    void FlushPendingRows();
    // Gives the view's selection model the selection the core set since the last turn.
    void SyncSelection();

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // ListRows
    int Count() const override;
    CFileEntry& Entry(int row) const override;
    bool IsSelected(int row) const override;
    void SetSelected(int row, bool selected) override;
    int SelectedCount() const override;
    int NextSelected(int after) const override;
    void UpdateRowTexts(int row) override;
    void UpdateCell(int row, int column) override;
    void EnsureVisible(int row) override;
    void SetResultsText(int row, const std::string& text) override;
    void AppendRow(CFileEntry& entry) override;
    void InsertRow(int row, CFileEntry& entry) override;
    void RemoveRows(const std::vector<bool>& remove) override;
    void RemoveAll() override;
    void Reorder(const std::vector<int>& order) override;
    std::string CellText(int row, int column) const override;

    // Asked to scroll a row into view; the view connects it.
    std::function<void(int row)> onEnsureVisible;

  Q_SIGNALS:
    // Rows were added, removed, reordered or had their texts remade; summaries follow it.
    void rowsContentChanged();
    void selectedCountChanged();

  private:
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void MarkRange(const QItemSelection& ranges, bool selected);
    // Replaces the whole row list, keeping the given selection flags (one per row).
    void ResetRows(std::vector<CFileEntry*> rows, std::vector<char> selected);
    void ApplySelection();
    void EmitRowChanged(int row, int firstColumn, int lastColumn);

    int columnCount_;
    CellTextFunction cellText_;
    IconFunction icon_;
    std::vector<QString> headers_;
    std::vector<CFileEntry*> rows_;
    std::vector<char> selected_;  // mirror of the selection model, one flag per row
    int selectedCount_ = 0;
    int shownCount_ = 0;  // rows announced to the views
    bool flushQueued_ = false;
    bool applyingSelection_ = false;
    bool selectionDirty_ = false;
    std::unordered_map<const CFileEntry*, std::string> resultsTexts_;
    QItemSelectionModel* selection_ = nullptr;
    bool grayBar_ = false;
};

// A 0x00BBGGRR colour as Qt's colour.
QColor FromColorRef(std::uint32_t color);

}  // namespace bh
