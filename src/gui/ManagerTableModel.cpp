#include "gui/ManagerTableModel.h"

#include <algorithm>

#include <QItemSelectionModel>
#include <QTimer>

#include "core/document/FileEntry.h"

namespace bh {
namespace {

constexpr int kResultsColumn = 6;
constexpr std::uint32_t kGrayBarOdd = 0xF0F0F0;
constexpr std::uint32_t kGrayBarEven = 0xFFFFFF;
// Removing more separate runs of rows than this rebuilds the table in one go instead.
constexpr int kMaxRemovalRuns = 32;

}  // namespace

QColor FromColorRef(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

ManagerTableModel::ManagerTableModel(int columnCount, CellTextFunction cellText, QObject* parent)
    : QAbstractTableModel(parent), columnCount_(columnCount), cellText_(std::move(cellText)) {
    headers_.resize(static_cast<std::size_t>(columnCount_));
}

ManagerTableModel::~ManagerTableModel() = default;

void ManagerTableModel::SetSelectionModel(QItemSelectionModel* selection) {
    if (selection_)
        disconnect(selection_, nullptr, this, nullptr);
    selection_ = selection;
    if (!selection_)
        return;
    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            &ManagerTableModel::OnSelectionChanged);
    ApplySelection();
}

void ManagerTableModel::SetHeaders(std::vector<QString> headers) {
    headers.resize(static_cast<std::size_t>(columnCount_));
    headers_ = std::move(headers);
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount_ - 1);
}

void ManagerTableModel::SetGrayBar(bool on) {
    if (grayBar_ == on)
        return;
    grayBar_ = on;
    if (shownCount_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(shownCount_ - 1, columnCount_ - 1),
                           {Qt::BackgroundRole});
}

void ManagerTableModel::RefreshAllTexts() {
    if (shownCount_ > 0)
        Q_EMIT dataChanged(index(0, 0), index(shownCount_ - 1, columnCount_ - 1),
                           {Qt::DisplayRole});
}

// ---- QAbstractTableModel ----

int ManagerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCount_;
}

int ManagerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

QVariant ManagerTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownCount_ || index.column() >= columnCount_)
        return {};
    const CFileEntry& entry = *rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(CellText(index.row(), index.column()));
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
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount_)
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

// ---- rows ----

int ManagerTableModel::Count() const {
    return static_cast<int>(rows_.size());
}

CFileEntry& ManagerTableModel::Entry(int row) const {
    return *rows_[static_cast<std::size_t>(row)];
}

bool ManagerTableModel::IsSelected(int row) const {
    return row >= 0 && row < Count() && selected_[static_cast<std::size_t>(row)] != 0;
}

void ManagerTableModel::SetSelected(int row, bool selected) {
    if (row < 0 || row >= Count())
        return;
    char& flag = selected_[static_cast<std::size_t>(row)];
    if ((flag != 0) == selected)
        return;
    flag = selected ? 1 : 0;
    selectedCount_ += selected ? 1 : -1;
    // The view's selection follows at the next event loop turn in one step, so that
    // selecting every row of a large manager stays linear.
    if (selection_ && !selectionDirty_) {
        selectionDirty_ = true;
        QTimer::singleShot(0, this, &ManagerTableModel::SyncSelection);
    }
    Q_EMIT selectedCountChanged();
}

void ManagerTableModel::SyncSelection() {
    if (!selectionDirty_)
        return;
    ApplySelection();
}

int ManagerTableModel::SelectedCount() const {
    return selectedCount_;
}

int ManagerTableModel::NextSelected(int after) const {
    for (int row = after < 0 ? 0 : after + 1; row < Count(); ++row) {
        if (selected_[static_cast<std::size_t>(row)])
            return row;
    }
    return -1;
}

void ManagerTableModel::EmitRowChanged(int row, int firstColumn, int lastColumn) {
    if (row < shownCount_)
        Q_EMIT dataChanged(index(row, firstColumn), index(row, lastColumn));
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::UpdateRowTexts(int row) {
    if (row < 0 || row >= Count())
        return;
    resultsTexts_.erase(rows_[static_cast<std::size_t>(row)]);
    EmitRowChanged(row, 0, columnCount_ - 1);
}

void ManagerTableModel::UpdateCell(int row, int column) {
    if (row < 0 || row >= Count() || column < 0 || column >= columnCount_)
        return;
    if (column == kResultsColumn)
        resultsTexts_.erase(rows_[static_cast<std::size_t>(row)]);
    EmitRowChanged(row, column, column);
}

void ManagerTableModel::EnsureVisible(int row) {
    if (row < 0 || row >= Count())
        return;
    FlushPendingRows();
    if (onEnsureVisible)
        onEnsureVisible(row);
}

void ManagerTableModel::SetResultsText(int row, const std::string& text) {
    if (row < 0 || row >= Count())
        return;
    resultsTexts_[rows_[static_cast<std::size_t>(row)]] = text;
    if (row < shownCount_)
        Q_EMIT dataChanged(index(row, kResultsColumn), index(row, kResultsColumn));
}

std::string ManagerTableModel::CellText(int row, int column) const {
    if (row < 0 || row >= Count() || column < 0 || column >= columnCount_)
        return {};
    const CFileEntry& entry = *rows_[static_cast<std::size_t>(row)];
    if (column == kResultsColumn) {
        if (auto found = resultsTexts_.find(&entry); found != resultsTexts_.end())
            return found->second;
    }
    return cellText_ ? cellText_(entry, column) : std::string();
}

void ManagerTableModel::AppendRow(CFileEntry& entry) {
    rows_.push_back(&entry);
    selected_.push_back(0);
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, &ManagerTableModel::FlushPendingRows);
    }
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::FlushPendingRows() {
    flushQueued_ = false;
    if (shownCount_ >= Count())
        return;
    beginInsertRows(QModelIndex(), shownCount_, Count() - 1);
    shownCount_ = Count();
    endInsertRows();
}

void ManagerTableModel::InsertRow(int row, CFileEntry& entry) {
    FlushPendingRows();
    SyncSelection();
    if (row < 0)
        row = 0;
    if (row > Count())
        row = Count();
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(rows_.begin() + row, &entry);
    selected_.insert(selected_.begin() + row, 0);
    ++shownCount_;
    endInsertRows();
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::RemoveRows(const std::vector<bool>& remove) {
    FlushPendingRows();
    SyncSelection();
    const int count = std::min(Count(), static_cast<int>(remove.size()));
    // Runs of rows to remove, first to last.
    std::vector<std::pair<int, int>> runs;
    for (int row = 0; row < count; ++row) {
        if (!remove[static_cast<std::size_t>(row)])
            continue;
        if (!runs.empty() && runs.back().second == row - 1)
            runs.back().second = row;
        else
            runs.emplace_back(row, row);
    }
    if (runs.empty())
        return;
    for (const auto& [first, last] : runs) {
        for (int row = first; row <= last; ++row)
            resultsTexts_.erase(rows_[row]);
    }
    if (static_cast<int>(runs.size()) > kMaxRemovalRuns) {
        std::vector<CFileEntry*> kept;
        std::vector<char> keptSelected;
        kept.reserve(rows_.size());
        keptSelected.reserve(rows_.size());
        for (int row = 0; row < Count(); ++row) {
            if (row < count && remove[static_cast<std::size_t>(row)])
                continue;
            kept.push_back(rows_[static_cast<std::size_t>(row)]);
            keptSelected.push_back(selected_[static_cast<std::size_t>(row)]);
        }
        ResetRows(std::move(kept), std::move(keptSelected));
        return;
    }
    // Few runs: remove them last first, so that the view keeps its place.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows(QModelIndex(), run->first, run->second);
        rows_.erase(rows_.begin() + run->first, rows_.begin() + run->second + 1);
        selected_.erase(selected_.begin() + run->first, selected_.begin() + run->second + 1);
        shownCount_ = Count();
        endRemoveRows();
    }
    selectedCount_ = static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
    Q_EMIT rowsContentChanged();
    Q_EMIT selectedCountChanged();
}

void ManagerTableModel::RemoveAll() {
    resultsTexts_.clear();
    ResetRows({}, {});
}

void ManagerTableModel::Reorder(const std::vector<int>& order) {
    FlushPendingRows();
    SyncSelection();
    if (static_cast<int>(order.size()) != Count())
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<CFileEntry*> rows(order.size());
    std::vector<char> selected(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto old = static_cast<std::size_t>(order[i]);
        rows[i] = rows_[old];
        selected[i] = selected_[old];
        newRowOf[old] = static_cast<int>(i);
    }
    rows_ = std::move(rows);
    selected_ = std::move(selected);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
        to.append(this->index(newRowOf[static_cast<std::size_t>(index.row())], index.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT rowsContentChanged();
}

void ManagerTableModel::ResetRows(std::vector<CFileEntry*> rows, std::vector<char> selected) {
    beginResetModel();
    rows_ = std::move(rows);
    selected_ = std::move(selected);
    selected_.resize(rows_.size(), 0);
    shownCount_ = Count();
    flushQueued_ = false;
    endResetModel();
    selectedCount_ = static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
    ApplySelection();
    Q_EMIT rowsContentChanged();
    Q_EMIT selectedCountChanged();
}

// ---- selection mirror ----

void ManagerTableModel::ApplySelection() {
    selectionDirty_ = false;
    if (!selection_)
        return;
    FlushPendingRows();
    QItemSelection ranges;
    for (int row = 0; row < Count();) {
        if (!selected_[static_cast<std::size_t>(row)]) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < Count() && selected_[static_cast<std::size_t>(last + 1)])
            ++last;
        ranges.select(index(row, 0), index(last, columnCount_ - 1));
        row = last + 1;
    }
    applyingSelection_ = true;
    selection_->select(ranges, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    applyingSelection_ = false;
}

void ManagerTableModel::MarkRange(const QItemSelection& ranges, bool selected) {
    for (const QItemSelectionRange& range : ranges) {
        for (int row = range.top(); row <= range.bottom() && row < Count(); ++row) {
            char& flag = selected_[static_cast<std::size_t>(row)];
            if ((flag != 0) == selected)
                continue;
            flag = selected ? 1 : 0;
            selectedCount_ += selected ? 1 : -1;
        }
    }
}

void ManagerTableModel::OnSelectionChanged(const QItemSelection& selected,
                                           const QItemSelection& deselected) {
    if (applyingSelection_)
        return;
    MarkRange(deselected, false);
    MarkRange(selected, true);
    Q_EMIT selectedCountChanged();
}

}  // namespace bh
