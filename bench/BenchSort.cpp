// Twelve header clicks through the core's sort of a loaded document, against
// std::stable_sort of the same keys computed beforehand.

#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bench/BenchFixture.h"
#include "bench/Benchmarks.h"
#include "bench/Measure.h"
#include "bench/TreeGenerator.h"
#include "core/base/PathParts.h"
#include "core/operations/ManagerFile.h"
#include "core/view/Columns.h"
#include "core/view/EntryTexts.h"
#include "core/view/Sorting.h"

namespace bh::bench {

namespace {

constexpr double kMs = 1e3;

bool IsNumberColumn(int column) {
    return column == kColumnSize || column == kColumnLastModified || column == kColumnResults ||
           column == kColumnObsolete;
}

std::int64_t NumberKey(const CFileEntry& entry, int column) {
    switch (column) {
        case kColumnSize:
            return entry.sourceSize;
        case kColumnLastModified:
            return entry.sourceTime;
        case kColumnResults:
            return entry.lastError;
        default:
            return entry.timeDiff;
    }
}

std::string TextKey(const CFileEntry& entry, int column) {
    switch (column) {
        case kColumnName:
            return GetNameText(entry);
        case kColumnType:
            return GetTypeText(entry);
        case kColumnSourcePath:
            return entry.sourcePath;
        case kColumnArchivePath:
            return entry.archivePath;
        case kColumnNotes:
            return entry.notes;
        case kColumnFolder:
            return GetFolderText(entry);
        case kColumnDrive:
            return GetDriveText(entry);
        default:
            return entry.TypeName();
    }
}

bool IsDescendingColumn(int column) {
    return column == kColumnLastModified || column == kColumnObsolete || column == kColumnNotes;
}

template <typename Key>
void SortIndices(const std::vector<Key>& keys, bool ascending) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](int a, int b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
}

// Puts the rows back in the order `entries` lists them (as loaded).
void RestoreOrder(ManagerList& rows, const std::vector<const CFileEntry*>& entries) {
    std::unordered_map<const CFileEntry*, int> rowOf;
    rowOf.reserve(entries.size());
    for (int row = 0; row < rows.Count(); ++row) {
        // Through the const list: a writable entry would drop its cached sort keys.
        rowOf.emplace(&std::as_const(rows).Entry(row), row);
    }
    std::vector<int> order;
    order.reserve(entries.size());
    for (const CFileEntry* entry : entries) {
        order.push_back(rowOf.at(entry));
    }
    rows.Reorder(order);
}

// One header click on every column in turn, from the rows in entry order.
void ClickEveryColumn(CBrackenholdDoc& doc) {
    for (int column = 0; column < kColumnCount; ++column) {
        CColumnState state;
        state.column = column;
        SortRowsByColumn(doc.rows(), state);
    }
}

}  // namespace

void BenchSort(const Config& config) {
    const GeneratedTree& tree = MixedTree(config);
    PosixFileSystem posix;
    DocFixture fixture(posix);
    if (!OpenDocumentFile(fixture.doc(), tree.managerPath)) {
        EndRun();
    }
    // The baseline sorts each column's keys in the order the rows have when that column's
    // header is clicked, as the clicks below leave them.
    ManagerList& rows = fixture.rows();
    std::vector<const CFileEntry*> loaded;
    for (int row = 0; row < rows.Count(); ++row) {
        loaded.push_back(&rows.Entry(row));
    }
    std::vector<std::vector<std::int64_t>> numberKeys(kColumnCount);
    std::vector<std::vector<std::string>> textKeys(kColumnCount);
    for (int column = 0; column < kColumnCount; ++column) {
        for (int row = 0; row < rows.Count(); ++row) {
            if (IsNumberColumn(column)) {
                numberKeys[column].push_back(NumberKey(rows.Entry(row), column));
            } else {
                textKeys[column].push_back(FoldCase(TextKey(rows.Entry(row), column)));
            }
        }
        CColumnState state;
        state.column = column;
        SortRowsByColumn(rows, state);
    }
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] {
                                      return TimeSeconds([&] {
                                          for (int column = 0; column < kColumnCount; ++column) {
                                              const bool ascending = !IsDescendingColumn(column);
                                              if (IsNumberColumn(column)) {
                                                  SortIndices(numberKeys[column], ascending);
                                              } else {
                                                  SortIndices(textKeys[column], ascending);
                                              }
                                          }
                                      });
                                  },
                                  [&] {
                                      RestoreOrder(rows, loaded);
                                      return TimeSeconds([&] { ClickEveryColumn(fixture.doc()); });
                                  }});
    PrintBench({"sort-100k", medians[1] * kMs, medians[0] * kMs, "ms", 1.3});
}

}  // namespace bh::bench
