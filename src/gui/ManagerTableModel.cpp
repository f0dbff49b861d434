#include "gui/ManagerTableModel.h"

#include <algorithm>
#include <unordered_map>

#include <QItemSelectionModel>
#include <QTimer>

#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/view/Columns.h"
#include "core/view/RowTexts.h"

namespace bh {
namespace {

constexpr std::uint32_t kGrayBarOdd = 0xF0F0F0;
constexpr std::uint32_t kGrayBarEven = 0xFFFFFF;

}  // namespace

QColor FromColorRef(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

ManagerTableModel::ManagerTableModel(const Clock& clock, const SystemErrors& errors,
                                     QObject* parent)
    : QAbstractTableModel(parent), clock_(clock), errors_(errors) {
    headers_.resize(static_cast<std::size_t>(kColumnCount));
}

ManagerTableModel::~ManagerTableModel() {
    if (list_)
        list_->RemoveObserver(*this);
}

void ManagerTableModel::Attach(ManagerList* list) {
    if (list == list_)
        return;
    BeforeReset();
    if (list_)
        list_->RemoveObserver(*this);
    list_ = list;
    if (list_)
        list_->AddObserver(*this);
    AfterReset();
}

void ManagerTableModel::OnListDestroyed() {
    Attach(nullptr);
}

int ManagerTableModel::Count() const {
    return list_ ? list_->Count() : 0;
}

const CFileEntry& ManagerTableModel::Entry(int row) const {
    // Through the const list: painting reads, and must not mark the rows' sort keys stale.
    const ManagerList& list = *list_;
    return list.Entry(row);
}

std::string ManagerTableModel::CellText(int row, int column) const {
    return list_ ? bh::CellText(*list_, row, column, clock_, errors_) : std::string();
}

void ManagerTableModel::SetSelectionModel(QItemSelectionModel* selection) {
    if (selection_)
        disconnect(selection_, nullptr, this, nullptr);
    selection_ = selection;
    if (!selection_)
        return;
    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            &ManagerTableModel::OnViewSelectionChanged);
    ApplySelection();
}

void ManagerTableModel::SetHeaders(std::vector<QString> headers) {
    headers.resize(static_cast<std::size_t>(kColumnCount));
    headers_ = std::move(headers);
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

void ManagerTableModel::SetGrayBar(bool on) {
    if (grayBar_ == on)
        return;
    grayBar_ = on;
    if (shownCount_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(shownCount_ - 1, kColumnCount - 1),
                           {Qt::BackgroundRole});
}

// ---- QAbstractTableModel ----

int ManagerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCount_;
}

int ManagerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

std::string ManagerTableModel::ToolTipText(const CFileEntry& entry, int row, int column) const {
    std::string text = CellText(row, column);
    if (column == kColumnArchivePath && archiveNote_) {
        const std::string note = archiveNote_(entry);
        if (!note.empty()) {
            text += "\n" + note;
        }
    }
    return text;
}

QVariant ManagerTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownCount_ || index.column() >= kColumnCount)
        return {};
    const CFileEntry& entry = Entry(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(CellText(index.row(), index.column()));
        case Qt::ToolTipRole:  // the whole text of a cell too narrow for it
            return QString::fromStdString(ToolTipText(entry, index.row(), index.column()));
        case Qt::ForegroundRole:
            return FromColorRef(entry.textColor);
        case Qt::BackgroundRole:
            if (grayBar_)
                return FromColorRef(index.row() % 2 ? kGrayBarOdd : kGrayBarEven);
            return FromColorRef(entry.backColor);
        case Qt::DecorationRole:
            if (index.column() == 0 && icon_)
                return icon_(entry);
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ManagerTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return headers_[static_cast<std::size_t>(section)];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ManagerTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---- announcing the rows' changes ----

void ManagerTableModel::QueueFlush() {
    if (flushQueued_)
        return;
    flushQueued_ = true;
    QTimer::singleShot(0, this, &ManagerTableModel::FlushPendingRows);
}

void ManagerTableModel::FlushPendingRows() {
    flushQueued_ = false;
    if (shownCount_ >= Count())
        return;
    beginInsertRows(QModelIndex(), shownCount_, Count() - 1);
    shownCount_ = Count();
    endInsertRows();
}

void ManagerTableModel::BeforeRowsInserted(int first, int last) {
    // A row added at the end joins the rows waiting to be announced.
    appending_ = first == Count() && first >= shownCount_;
    if (appending_)
        return;
    FlushPendingRows();
    beginInsertRows(QModelIndex(), first, last);
}

void ManagerTableModel::AfterRowsInserted(int first, int last) {
    (void)first, (void)last;
    if (appending_) {
        appending_ = false;
        QueueFlush();
    } else {
        shownCount_ = Count();
        endInsertRows();
    }
    // The summaries count the rows the core has, announced or not.
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::BeforeRowsRemoved(int first, int last) {
    FlushPendingRows();
    // The selection model drops the removed rows itself; the flags go with their rows.
    mirroring_ = true;
    beginRemoveRows(QModelIndex(), first, last);
}

void ManagerTableModel::AfterRowsRemoved(int first, int last) {
    (void)first, (void)last;
    shownCount_ = Count();
    endRemoveRows();
    mirroring_ = false;
    Q_EMIT rowsContentChanged();
    Q_EMIT selectedCountChanged();
}

void ManagerTableModel::BeforeReset() {
    mirroring_ = true;
    beginResetModel();
}

void ManagerTableModel::AfterReset() {
    shownCount_ = Count();
    endResetModel();
    mirroring_ = false;
    ApplySelection();
    Q_EMIT rowsContentChanged();
    Q_EMIT selectedCountChanged();
}

void ManagerTableModel::BeforeReorder() {
    FlushPendingRows();
    mirroring_ = true;
    // The selection is put back from the flags afterwards; emptying it first spares the
    // selection model from carrying every selected row through the layout change.
    if (selection_)
        selection_->clearSelection();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    reorderFrom_ = persistentIndexList();
    reorderEntries_.clear();
    reorderEntries_.reserve(static_cast<std::size_t>(reorderFrom_.size()));
    for (const QModelIndex& index : reorderFrom_)
        reorderEntries_.push_back(&Entry(index.row()));
}

void ManagerTableModel::AfterReorder() {
    if (!reorderFrom_.isEmpty()) {
        std::unordered_map<const CFileEntry*, int> rowOf;
        rowOf.reserve(static_cast<std::size_t>(Count()));
        for (int row = 0; row < Count(); ++row)
            rowOf.emplace(&Entry(row), row);
        QModelIndexList to;
        to.reserve(reorderFrom_.size());
        for (qsizetype i = 0; i < reorderFrom_.size(); ++i)
            to.append(index(rowOf[reorderEntries_[static_cast<std::size_t>(i)]],
                            reorderFrom_[i].column()));
        changePersistentIndexList(reorderFrom_, to);
    }
    reorderFrom_.clear();
    reorderEntries_.clear();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    mirroring_ = false;
    ApplySelection();
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::OnRowsChanged(int first, int last, int firstColumn, int lastColumn) {
    if (first < shownCount_)
        Q_EMIT dataChanged(index(first, firstColumn),
                           index(std::min(last, shownCount_ - 1), lastColumn));
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::OnEnsureVisible(int row) {
    FlushPendingRows();
    if (onEnsureVisible)
        onEnsureVisible(row);
}

// ---- selection mirror ----

void ManagerTableModel::OnSelectionChanged(int row) {
    (void)row;
    if (fromView_ || selectionDirty_)
        return;
    selectionDirty_ = true;
    QTimer::singleShot(0, this, &ManagerTableModel::SyncSelection);
}

void ManagerTableModel::SyncSelection() {
    if (!selectionDirty_)
        return;
    ApplySelection();
    Q_EMIT selectedCountChanged();
}

void ManagerTableModel::ApplySelection() {
    selectionDirty_ = false;
    if (!selection_)
        return;
    FlushPendingRows();
    QItemSelection ranges;
    for (int row = list_ ? list_->NextSelected(-1) : -1; row >= 0;) {
        int last = row;
        while (last + 1 < Count() && list_->IsSelected(last + 1))
            ++last;
        ranges.select(index(row, 0), index(last, kColumnCount - 1));
        row = list_->NextSelected(last);
    }
    mirroring_ = true;
    selection_->select(ranges, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    mirroring_ = false;
}

void ManagerTableModel::MarkRange(const QItemSelection& ranges, bool selected) {
    for (const QItemSelectionRange& range : ranges) {
        for (int row = range.top(); row <= range.bottom() && row < Count(); ++row)
            list_->SetSelected(row, selected);
    }
}

void ManagerTableModel::OnViewSelectionChanged(const QItemSelection& selected,
                                               const QItemSelection& deselected) {
    if (mirroring_)
        return;
    fromView_ = true;
    MarkRange(deselected, false);
    MarkRange(selected, true);
    fromView_ = false;
    Q_EMIT selectedCountChanged();
}

}  // namespace bh
