#include "core/view/SortKeys.h"

#include <cstdint>
#include <memory>

#include "core/base/PathParts.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/view/EntryTexts.h"

namespace bh {

namespace {

// Where each column's key is kept: its place among the numbers or among the texts.
int NumberIndex(int column) {
    switch (column) {
        case kColumnSize:
            return 0;
        case kColumnLastModified:
            return 1;
        case kColumnResults:
            return 2;
        default:
            return 3;  // Obsolete
    }
}

int TextIndex(int column) {
    switch (column) {
        case kColumnName:
            return 0;
        case kColumnType:
            return 1;
        case kColumnSourcePath:
            return 2;
        case kColumnArchivePath:
            return 3;
        case kColumnNotes:
            return 4;
        case kColumnFolder:
            return 5;
        case kColumnDrive:
            return 6;
        default:
            return 7;  // Type Name
    }
}

// The texts a row holds in the buffer of its own (the other keys are parts of the source's).
constexpr int kOwnTexts[] = {2, 3, 4, 7};

// A remade row whose changes are this rare among the rows is remade alone; more, and one pass
// over every entry is cheaper than finding them.
constexpr std::size_t kWholePassShare = 8;

}  // namespace

SortKeys& SortKeys::Of(const ManagerList& rows) {
    auto* keys = dynamic_cast<SortKeys*>(rows.KeyCache());
    if (keys == nullptr) {
        auto made = std::make_unique<SortKeys>();
        keys = made.get();
        keys->StartOver(static_cast<std::size_t>(rows.Count()));
        rows.SetKeyCache(std::move(made));
    }
    keys->Update(rows);
    return *keys;
}

bool SortKeys::IsNumberColumn(int column) {
    return column == kColumnSize || column == kColumnLastModified || column == kColumnResults ||
           column == kColumnObsolete;
}

std::vector<std::int64_t> SortKeys::Numbers(int column) const {
    const std::vector<std::int64_t>& columnKeys = numbers_[NumberIndex(column)];
    std::vector<std::int64_t> keys;
    keys.reserve(slotOfRow_.size());
    for (const std::uint32_t slot : slotOfRow_) {
        keys.push_back(columnKeys[slot]);
    }
    return keys;
}

std::vector<std::string_view> SortKeys::Texts(int column) const {
    const std::vector<Span>& spans = texts_[TextIndex(column)];
    std::vector<std::string_view> keys;
    keys.reserve(slotOfRow_.size());
    for (const std::uint32_t slot : slotOfRow_) {
        keys.emplace_back(folded_.data() + spans[slot].offset, spans[slot].size);
    }
    return keys;
}

// Every row in the slot of its own number, every slot stale, no texts.
void SortKeys::StartOver(std::size_t rowCount) {
    slotOfRow_.resize(rowCount);
    for (std::size_t row = 0; row < rowCount; ++row) {
        slotOfRow_[row] = static_cast<std::uint32_t>(row);
    }
    for (auto& column : numbers_) {
        column.assign(rowCount, 0);
    }
    for (auto& column : texts_) {
        column.assign(rowCount, Span{});
    }
    stale_.assign(rowCount, true);
    staleCount_ = rowCount;
    deadSlots_ = 0;
    folded_.clear();
    wasted_ = 0;
}

void SortKeys::Update(const ManagerList& rows) {
    const auto count = static_cast<std::size_t>(rows.Count());
    if (slotOfRow_.size() != count) {
        // Never expected: the list reports every change. Start again rather than misorder.
        StartOver(count);
    }
    if (staleCount_ == 0) {
        return;
    }
    if (staleCount_ * kWholePassShare > count || wasted_ > folded_.size() / 2 ||
        deadSlots_ > count) {
        StartOver(count);
    }
    for (std::size_t row = 0; row < count; ++row) {
        const std::uint32_t slot = slotOfRow_[row];
        if (stale_[slot]) {
            Make(rows.Entry(static_cast<int>(row)), slot);
        }
    }
    staleCount_ = 0;
}

std::uint32_t SortKeys::NewSlot() {
    const auto slot = static_cast<std::uint32_t>(stale_.size());
    for (auto& column : numbers_) {
        column.push_back(0);
    }
    for (auto& column : texts_) {
        column.push_back(Span{});
    }
    stale_.push_back(true);
    ++staleCount_;
    return slot;
}

SortKeys::Span SortKeys::AddFolded(std::string_view text) {
    const Span span{folded_.size(), text.size()};
    AppendFolded(folded_, text);
    return span;
}

void SortKeys::Make(const CFileEntry& entry, std::uint32_t slot) {
    numbers_[NumberIndex(kColumnSize)][slot] = entry.sourceSize;
    numbers_[NumberIndex(kColumnLastModified)][slot] = entry.sourceTime;
    numbers_[NumberIndex(kColumnResults)][slot] = entry.lastError;
    numbers_[NumberIndex(kColumnObsolete)][slot] = entry.timeDiff;

    const std::string_view source = entry.sourcePath;
    const Span folded = AddFolded(source);
    // Folding is byte by byte, so a part of the source folds to that part of its folded text.
    const auto part = [&](std::string_view text) {
        if (text.empty() || text.data() < source.data() ||
            text.data() + text.size() > source.data() + source.size()) {
            return text.empty() ? Span{} : AddFolded(text);
        }
        return Span{folded.offset + static_cast<std::size_t>(text.data() - source.data()),
                    text.size()};
    };
    const auto text = [&](int column) -> Span& { return texts_[TextIndex(column)][slot]; };
    text(kColumnSourcePath) = folded;
    text(kColumnName) = part(NameTextView(entry));
    text(kColumnType) = part(TypeTextView(entry));
    text(kColumnFolder) = part(FolderTextView(source));
    text(kColumnDrive) = part(DriveTextView(source));
    text(kColumnArchivePath) = AddFolded(entry.archivePath);
    text(kColumnNotes) = AddFolded(entry.notes);
    text(kColumnTypeName) = AddFolded(entry.TypeName());
    stale_[slot] = false;
}

// The slot's texts become waste; the slot itself is stale until made again.
void SortKeys::Forget(std::uint32_t slot) {
    if (stale_[slot]) {
        return;
    }
    for (const int own : kOwnTexts) {
        wasted_ += texts_[own][slot].size;
    }
    stale_[slot] = true;
    ++staleCount_;
}

void SortKeys::Invalidate(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < slotOfRow_.size()) {
        Forget(slotOfRow_[static_cast<std::size_t>(row)]);
    }
}

void SortKeys::Insert(int row) {
    if (row < 0 || static_cast<std::size_t>(row) > slotOfRow_.size()) {
        return;
    }
    slotOfRow_.insert(slotOfRow_.begin() + row, NewSlot());
}

void SortKeys::Remove(const std::vector<bool>& remove) {
    std::size_t kept = 0;
    for (std::size_t row = 0; row < slotOfRow_.size(); ++row) {
        const std::uint32_t slot = slotOfRow_[row];
        if (row < remove.size() && remove[row]) {
            // A dead slot is never made again, so it counts as neither stale nor live.
            Forget(slot);
            --staleCount_;
            ++deadSlots_;
        } else {
            slotOfRow_[kept++] = slot;
        }
    }
    slotOfRow_.resize(kept);
}

void SortKeys::Reorder(const std::vector<int>& order) {
    std::vector<std::uint32_t> reordered;
    reordered.reserve(slotOfRow_.size());
    for (const int old : order) {
        reordered.push_back(slotOfRow_[static_cast<std::size_t>(old)]);
    }
    slotOfRow_ = std::move(reordered);
}

}  // namespace bh
