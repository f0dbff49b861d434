#include "core/view/SortKeys.h"

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
        keys->rows_.resize(static_cast<std::size_t>(rows.Count()));
        keys->staleCount_ = keys->rows_.size();
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
    const int index = NumberIndex(column);
    std::vector<std::int64_t> keys;
    keys.reserve(rows_.size());
    for (const RowKeys& row : rows_) {
        keys.push_back(row.numbers[index]);
    }
    return keys;
}

std::vector<std::string_view> SortKeys::Texts(int column) const {
    const int index = TextIndex(column);
    std::vector<std::string_view> keys;
    keys.reserve(rows_.size());
    for (const RowKeys& row : rows_) {
        keys.emplace_back(folded_.data() + row.texts[index].offset, row.texts[index].size);
    }
    return keys;
}

void SortKeys::Update(const ManagerList& rows) {
    if (rows_.size() != static_cast<std::size_t>(rows.Count())) {
        // Never expected: the list reports every change. Start again rather than misorder.
        rows_.assign(static_cast<std::size_t>(rows.Count()), RowKeys{});
        staleCount_ = rows_.size();
    }
    if (staleCount_ == 0) {
        return;
    }
    const bool whole = staleCount_ * kWholePassShare > rows_.size() || wasted_ > folded_.size() / 2;
    if (whole) {
        folded_.clear();
        wasted_ = 0;
    }
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        RowKeys& keys = rows_[row];
        if (whole || keys.stale) {
            Make(rows.Entry(static_cast<int>(row)), keys);
        }
    }
    staleCount_ = 0;
}

SortKeys::Span SortKeys::AddFolded(std::string_view text) {
    const Span span{folded_.size(), text.size()};
    AppendFolded(folded_, text);
    return span;
}

void SortKeys::Make(const CFileEntry& entry, RowKeys& keys) {
    keys.numbers[NumberIndex(kColumnSize)] = entry.sourceSize;
    keys.numbers[NumberIndex(kColumnLastModified)] = entry.sourceTime;
    keys.numbers[NumberIndex(kColumnResults)] = entry.lastError;
    keys.numbers[NumberIndex(kColumnObsolete)] = entry.timeDiff;

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
    keys.texts[TextIndex(kColumnSourcePath)] = folded;
    keys.texts[TextIndex(kColumnName)] = part(NameTextView(entry));
    keys.texts[TextIndex(kColumnType)] = part(TypeTextView(entry));
    keys.texts[TextIndex(kColumnFolder)] = part(FolderTextView(source));
    keys.texts[TextIndex(kColumnDrive)] = part(DriveTextView(source));
    keys.texts[TextIndex(kColumnArchivePath)] = AddFolded(entry.archivePath);
    keys.texts[TextIndex(kColumnNotes)] = AddFolded(entry.notes);
    keys.texts[TextIndex(kColumnTypeName)] = AddFolded(entry.TypeName());
    keys.stale = false;
}

void SortKeys::Invalidate(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) {
        return;
    }
    RowKeys& keys = rows_[static_cast<std::size_t>(row)];
    if (!keys.stale) {
        for (const int own : kOwnTexts) {
            wasted_ += keys.texts[own].size;
        }
        keys.stale = true;
        ++staleCount_;
    }
}

void SortKeys::Insert(int row) {
    if (row < 0 || static_cast<std::size_t>(row) > rows_.size()) {
        return;
    }
    rows_.insert(rows_.begin() + row, RowKeys{});
    ++staleCount_;
}

void SortKeys::Remove(const std::vector<bool>& remove) {
    std::size_t kept = 0;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (row < remove.size() && remove[row]) {
            const RowKeys& gone = rows_[row];
            if (gone.stale) {
                --staleCount_;
            } else {
                for (const int own : kOwnTexts) {
                    wasted_ += gone.texts[own].size;
                }
            }
        } else {
            rows_[kept++] = rows_[row];
        }
    }
    rows_.resize(kept);
}

void SortKeys::Reorder(const std::vector<int>& order) {
    std::vector<RowKeys> reordered;
    reordered.reserve(rows_.size());
    for (const int old : order) {
        reordered.push_back(rows_[static_cast<std::size_t>(old)]);
    }
    rows_ = std::move(reordered);
}

}  // namespace bh
