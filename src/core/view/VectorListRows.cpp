#include "core/view/VectorListRows.h"

#include <algorithm>
#include <utility>

#include "core/ports/Clock.h"
#include "core/view/Columns.h"

namespace bh {

VectorListRows::VectorListRows(const Clock& clock, const SystemErrors& errors)
    : clock_(clock), errors_(errors) {}

VectorListRows::~VectorListRows() = default;

bool VectorListRows::IsValidRow(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size());
}

VectorListRows::Row VectorListRows::MakeRow(CFileEntry& entry) const {
    Row row;
    row.entry = &entry;
    row.madeAt = clock_.Now();
    return row;
}

void VectorListRows::SetDateMode(std::int32_t mode) {
    dateMode_ = mode;
    const std::int64_t now = clock_.Now();
    for (Row& row : rows_) {
        row.madeAt = now;
    }
    if (!rows_.empty()) {
        OnRowsChanged(0, Count() - 1, kColumnLastModified, kColumnLastModified);
    }
}

std::int64_t VectorListRows::TextsMadeAt(int row) const {
    return IsValidRow(row) ? rows_[row].madeAt : 0;
}

bool VectorListRows::HasResultsOverride(int row) const {
    return IsValidRow(row) && rows_[row].results != nullptr;
}

int VectorListRows::Count() const {
    return static_cast<int>(rows_.size());
}

CFileEntry& VectorListRows::Entry(int row) const {
    return *rows_.at(row).entry;
}

bool VectorListRows::IsSelected(int row) const {
    return IsValidRow(row) && rows_[row].selected;
}

void VectorListRows::SetSelected(int row, bool selected) {
    if (!IsValidRow(row) || rows_[row].selected == selected) {
        return;
    }
    rows_[row].selected = selected;
    selectedCount_ += selected ? 1 : -1;
    OnSelectionChanged(row);
}

int VectorListRows::SelectedCount() const {
    return selectedCount_;
}

int VectorListRows::NextSelected(int after) const {
    if (selectedCount_ == 0) {
        return -1;
    }
    for (int row = std::max(after + 1, 0); row < Count(); ++row) {
        if (rows_[row].selected) {
            return row;
        }
    }
    return -1;
}

void VectorListRows::UpdateRowTexts(int row) {
    if (!IsValidRow(row)) {
        return;
    }
    rows_[row].madeAt = clock_.Now();
    rows_[row].results.reset();
    OnRowsChanged(row, row, 0, kColumnCount - 1);
}

void VectorListRows::UpdateCell(int row, int column) {
    if (!IsValidRow(row) || !IsValidColumn(column)) {
        return;
    }
    if (column == kColumnLastModified) {
        rows_[row].madeAt = clock_.Now();
    } else if (column == kColumnResults) {
        rows_[row].results.reset();
    }
    OnRowsChanged(row, row, column, column);
}

void VectorListRows::EnsureVisible(int row) {
    if (IsValidRow(row)) {
        OnEnsureVisible(row);
    }
}

void VectorListRows::SetResultsText(int row, const std::string& text) {
    if (!IsValidRow(row)) {
        return;
    }
    rows_[row].results = std::make_unique<std::string>(text);
    OnRowsChanged(row, row, kColumnResults, kColumnResults);
}

void VectorListRows::AppendRow(CFileEntry& entry) {
    InsertRow(Count(), entry);
}

void VectorListRows::InsertRow(int row, CFileEntry& entry) {
    row = std::clamp(row, 0, Count());
    BeforeRowsInserted(row, row);
    rows_.insert(rows_.begin() + row, MakeRow(entry));
    AfterRowsInserted(row, row);
}

void VectorListRows::RemoveRows(const std::vector<bool>& remove) {
    const int count = std::min(Count(), static_cast<int>(remove.size()));
    int first = -1;
    int last = -1;
    bool contiguous = true;
    for (int row = 0; row < count; ++row) {
        if (!remove[row]) {
            continue;
        }
        if (first < 0) {
            first = row;
        } else if (row != last + 1) {
            contiguous = false;
        }
        last = row;
    }
    if (first < 0) {
        return;
    }
    if (contiguous) {
        BeforeRowsRemoved(first, last);
    } else {
        BeforeReset();
    }
    std::size_t kept = static_cast<std::size_t>(first);
    for (std::size_t row = static_cast<std::size_t>(first); row < rows_.size(); ++row) {
        const bool removed = static_cast<int>(row) < count && remove[row];
        if (removed) {
            selectedCount_ -= rows_[row].selected ? 1 : 0;
        } else {
            rows_[kept++] = std::move(rows_[row]);
        }
    }
    rows_.resize(kept);
    if (contiguous) {
        AfterRowsRemoved(first, last);
    } else {
        AfterReset();
    }
}

void VectorListRows::RemoveAll() {
    BeforeReset();
    rows_.clear();
    selectedCount_ = 0;
    AfterReset();
}

void VectorListRows::Reorder(const std::vector<int>& order) {
    if (order.size() != rows_.size()) {
        return;
    }
    std::vector<bool> seen(rows_.size(), false);
    for (const int old : order) {
        if (!IsValidRow(old) || seen[old]) {
            return;
        }
        seen[old] = true;
    }
    BeforeReorder();
    std::vector<Row> reordered;
    reordered.reserve(rows_.size());
    for (const int old : order) {
        reordered.push_back(std::move(rows_[old]));
    }
    rows_ = std::move(reordered);
    AfterReorder();
}

std::string VectorListRows::CellText(int row, int column) const {
    if (!IsValidRow(row)) {
        return std::string();
    }
    const Row& r = rows_[row];
    if (column == kColumnResults && r.results) {
        return *r.results;
    }
    return MakeCellText(*r.entry, column, CellTextContext{dateMode_, r.madeAt, clock_, errors_});
}

}  // namespace bh
