#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QItemSelection>

#include "core/document/ManagerListObserver.h"

class QItemSelectionModel;

namespace bh {

class CFileEntry;
class Clock;
class ManagerList;
class SystemErrors;

// The manager's rows as a Qt table model over the core's ManagerList, which holds the
// entries, their texts' state and their selection; this class only tells the views what
// changed, as the list's observer.
//
// The rows' selection flags are the selection. The view's QItemSelectionModel mirrors them:
// a user's click is written into the flags at once, a change made by the core reaches the
// selection model in one step at the next event loop turn, so that selecting every row of a
// large manager stays linear. Appended rows are announced in batches in the same way (at
// the next turn, or before any other change), so that loading a large manager does not
// announce every row one by one.
class ManagerTableModel : public QAbstractTableModel, public ManagerListObserver {
    Q_OBJECT
  public:
    using IconFunction = std::function<QIcon(const CFileEntry&)>;

    // Both must outlive the model.
    ManagerTableModel(const Clock& clock, const SystemErrors& errors, QObject* parent = nullptr);
    ~ManagerTableModel() override;

    // Shows `list` (or nothing for null) from now on; the model observes it until another
    // list is attached or the list goes.
    void Attach(ManagerList* list);
    // The list shown; null before one is attached.
    ManagerList* List() const { return list_; }
    // The rows the list has, announced or not (0 without a list).
    int Count() const;
    std::string CellText(int row, int column) const;
    // The cell's text, and for the archive the note of SetArchiveNoteFunction.
    std::string ToolTipText(const CFileEntry& entry, int row, int column) const;

    void SetSelectionModel(QItemSelectionModel* selection);
    void SetHeaders(std::vector<QString> headers);
    void SetIconFunction(IconFunction icon) { icon_ = std::move(icon); }
    // A line added to the archive cell's tool tip (empty: none), asked when the tip shows.
    using ArchiveNoteFunction = std::function<std::string(const CFileEntry&)>;
    void SetArchiveNoteFunction(ArchiveNoteFunction note) { archiveNote_ = std::move(note); }
    // Alternating white and light gray rows instead of the entries' own backgrounds.
    void SetGrayBar(bool on);
    bool GrayBar() const { return grayBar_; }
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

    // Asked to scroll a row into view; the view connects it.
    std::function<void(int row)> onEnsureVisible;

  Q_SIGNALS:
    // Rows were added, removed, reordered or had their texts remade; summaries follow it.
    void rowsContentChanged();
    void selectedCountChanged();

  protected:
    // ManagerListObserver
    void BeforeRowsInserted(int first, int last) override;
    void AfterRowsInserted(int first, int last) override;
    void BeforeRowsRemoved(int first, int last) override;
    void AfterRowsRemoved(int first, int last) override;
    void BeforeReset() override;
    void AfterReset() override;
    void BeforeReorder() override;
    void AfterReorder() override;
    void OnRowsChanged(int first, int last, int firstColumn, int lastColumn) override;
    void OnSelectionChanged(int row) override;
    void OnEnsureVisible(int row) override;
    void OnListDestroyed() override;

  private:
    void OnViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void MarkRange(const QItemSelection& ranges, bool selected);
    void ApplySelection();
    void QueueFlush();

    const CFileEntry& Entry(int row) const;

    const Clock& clock_;
    const SystemErrors& errors_;
    ManagerList* list_ = nullptr;
    IconFunction icon_;
    ArchiveNoteFunction archiveNote_;
    std::vector<QString> headers_;
    int shownCount_ = 0;      // rows announced to the views
    bool appending_ = false;  // the row being inserted is announced later
    bool flushQueued_ = false;
    bool fromView_ = false;   // selection flags being written from the view
    bool mirroring_ = false;  // the selection model being written from the flags
    bool selectionDirty_ = false;
    QModelIndexList reorderFrom_;
    std::vector<const CFileEntry*> reorderEntries_;
    QItemSelectionModel* selection_ = nullptr;
    bool grayBar_ = false;
};

// A 0x00BBGGRR colour as Qt's colour.
QColor FromColorRef(std::uint32_t color);

}  // namespace bh
