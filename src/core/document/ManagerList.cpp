#include "core/document/ManagerList.h"

#include <algorithm>
#include <utility>

#include "core/base/PathParts.h"
#include "core/document/ManagerListObserver.h"
#include "core/ports/Clock.h"

namespace bh {

ManagerList::ManagerList(const Clock& clock) : clock_(clock) {}

ManagerList::~ManagerList() {
    // A copy: an observer may unregister from inside the call.
    const std::vector<ManagerListObserver*> observers = observers_;
    for (ManagerListObserver* observer : observers) {
        observer->OnListDestroyed();
    }
}

void ManagerList::AddObserver(ManagerListObserver& observer) {
    observers_.push_back(&observer);
}

void ManagerList::RemoveObserver(ManagerListObserver& observer) {
    std::erase(observers_, &observer);
}

template <typename Call>
void ManagerList::Notify(Call call) {
    for (ManagerListObserver* observer : observers_) {
        call(*observer);
    }
}

ManagerList::Row ManagerList::MakeRow(std::unique_ptr<CFileEntry> entry) const {
    Row row;
    row.entry = std::move(entry);
    row.madeAt = clock_.Now();
    return row;
}

bool ManagerList::IsSelected(int row) const {
    return IsValidRow(row) && rows_[static_cast<std::size_t>(row)].selected;
}

void ManagerList::SetSelected(int row, bool selected) {
    if (!IsValidRow(row) || rows_[static_cast<std::size_t>(row)].selected == selected) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].selected = selected;
    selectedCount_ += selected ? 1 : -1;
    Notify([row](ManagerListObserver& o) { o.OnSelectionChanged(row); });
}

int ManagerList::NextSelected(int after) const {
    if (selectedCount_ == 0) {
        return -1;
    }
    for (int row = std::max(after + 1, 0); row < Count(); ++row) {
        if (rows_[static_cast<std::size_t>(row)].selected) {
            return row;
        }
    }
    return -1;
}

void ManagerList::UpdateRowTexts(int row) {
    if (!IsValidRow(row)) {
        return;
    }
    Row& r = rows_[static_cast<std::size_t>(row)];
    r.madeAt = clock_.Now();
    r.results.reset();
    InvalidateKeys(row);
    Notify([row](ManagerListObserver& o) { o.OnRowsChanged(row, row, 0, kColumnCount - 1); });
}

void ManagerList::UpdateCell(int row, int column) {
    if (!IsValidRow(row) || !IsValidColumn(column)) {
        return;
    }
    Row& r = rows_[static_cast<std::size_t>(row)];
    InvalidateKeys(row);
    if (column == kColumnLastModified) {
        r.madeAt = clock_.Now();
    } else if (column == kColumnResults) {
        r.results.reset();
    }
    Notify([=](ManagerListObserver& o) { o.OnRowsChanged(row, row, column, column); });
}

void ManagerList::EnsureVisible(int row) {
    if (IsValidRow(row)) {
        Notify([row](ManagerListObserver& o) { o.OnEnsureVisible(row); });
    }
}

void ManagerList::SetResultsText(int row, const std::string& text) {
    if (!IsValidRow(row)) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].results = std::make_unique<std::string>(text);
    Notify([row](ManagerListObserver& o) {
        o.OnRowsChanged(row, row, kColumnResults, kColumnResults);
    });
}

const std::string* ManagerList::ResultsText(int row) const {
    return IsValidRow(row) ? rows_[static_cast<std::size_t>(row)].results.get() : nullptr;
}

std::int64_t ManagerList::TextsMadeAt(int row) const {
    return IsValidRow(row) ? rows_[static_cast<std::size_t>(row)].madeAt : 0;
}

void ManagerList::SetDateMode(std::int32_t mode) {
    dateMode_ = mode;
    const std::int64_t now = clock_.Now();
    for (Row& row : rows_) {
        row.madeAt = now;
    }
    if (!rows_.empty()) {
        const int last = Count() - 1;
        Notify([last](ManagerListObserver& o) {
            o.OnRowsChanged(0, last, kColumnLastModified, kColumnLastModified);
        });
    }
}

CFileEntry& ManagerList::Append(std::unique_ptr<CFileEntry> entry) {
    return Insert(Count(), std::move(entry));
}

CFileEntry& ManagerList::Insert(int row, std::unique_ptr<CFileEntry> entry) {
    row = std::clamp(row, 0, Count());
    CFileEntry& added = *entry;
    Notify([row](ManagerListObserver& o) { o.BeforeRowsInserted(row, row); });
    rows_.insert(rows_.begin() + row, MakeRow(std::move(entry)));
    IndexAdded(added);
    if (keyCache_) {
        keyCache_->Insert(row);
    }
    Notify([row](ManagerListObserver& o) { o.AfterRowsInserted(row, row); });
    return added;
}

void ManagerList::RemoveRows(const std::vector<bool>& remove) {
    const int count = std::min(Count(), static_cast<int>(remove.size()));
    int first = -1;
    int last = -1;
    bool contiguous = true;
    for (int row = 0; row < count; ++row) {
        if (!remove[static_cast<std::size_t>(row)]) {
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
        Notify([=](ManagerListObserver& o) { o.BeforeRowsRemoved(first, last); });
    } else {
        Notify([](ManagerListObserver& o) { o.BeforeReset(); });
    }
    std::size_t kept = static_cast<std::size_t>(first);
    for (std::size_t row = static_cast<std::size_t>(first); row < rows_.size(); ++row) {
        if (static_cast<int>(row) < count && remove[row]) {
            selectedCount_ -= rows_[row].selected ? 1 : 0;
        } else {
            rows_[kept++] = std::move(rows_[row]);
        }
    }
    rows_.resize(kept);
    sourceIndexValid_ = false;
    if (keyCache_) {
        keyCache_->Remove(remove);
    }
    if (contiguous) {
        Notify([=](ManagerListObserver& o) { o.AfterRowsRemoved(first, last); });
    } else {
        Notify([](ManagerListObserver& o) { o.AfterReset(); });
    }
}

void ManagerList::Clear() {
    Replace({});
}

void ManagerList::Replace(std::vector<std::unique_ptr<CFileEntry>> entries) {
    Notify([](ManagerListObserver& o) { o.BeforeReset(); });
    // The old entries go after the observers stopped showing them, never before.
    std::vector<Row> old = std::move(rows_);
    rows_.clear();
    rows_.reserve(entries.size());
    for (auto& entry : entries) {
        rows_.push_back(MakeRow(std::move(entry)));
    }
    selectedCount_ = 0;
    sourceIndexValid_ = false;
    keyCache_.reset();
    Notify([](ManagerListObserver& o) { o.AfterReset(); });
}

void ManagerList::RemakeAll() {
    Notify([](ManagerListObserver& o) { o.BeforeReset(); });
    const std::int64_t now = clock_.Now();
    for (Row& row : rows_) {
        row.madeAt = now;
        row.results.reset();
        row.selected = false;
    }
    selectedCount_ = 0;
    // A fresh display of entries that may all have changed.
    keyCache_.reset();
    Notify([](ManagerListObserver& o) { o.AfterReset(); });
}

void ManagerList::Reorder(const std::vector<int>& order) {
    if (order.size() != rows_.size()) {
        return;
    }
    std::vector<bool> seen(rows_.size(), false);
    for (const int old : order) {
        if (!IsValidRow(old) || seen[static_cast<std::size_t>(old)]) {
            return;
        }
        seen[static_cast<std::size_t>(old)] = true;
    }
    Notify([](ManagerListObserver& o) { o.BeforeReorder(); });
    std::vector<Row> reordered;
    reordered.reserve(rows_.size());
    for (const int old : order) {
        reordered.push_back(std::move(rows_[static_cast<std::size_t>(old)]));
    }
    rows_ = std::move(reordered);
    if (keyCache_) {
        keyCache_->Reorder(order);
    }
    Notify([](ManagerListObserver& o) { o.AfterReorder(); });
}

bool ManagerList::HasSource(const std::string& path) const {
    if (!sourceIndexValid_) {
        std::vector<const CFileEntry*> entries;
        entries.reserve(rows_.size());
        for (const Row& row : rows_) {
            entries.push_back(row.entry.get());
        }
        sourceIndex_.Rebuild(entries);
        sourceIndexValid_ = true;
    }
    return sourceIndex_.Contains(path);
}

void ManagerList::InvalidateKeys(int row) {
    if (keyCache_) {
        keyCache_->Invalidate(row);
    }
}

void ManagerList::IndexAdded(const CFileEntry& entry) {
    // An invalid index is rebuilt whole at its next use; a valid one just grows.
    if (sourceIndexValid_) {
        sourceIndex_.Add(entry);
    }
}

}  // namespace bh
