#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/document/ManagerList.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/RecordingShell.h"

// The list's question "is this source already listed?" as adding files asks it, through every
// change that makes the list rebuild or grow its index.
namespace bh {
namespace {

std::unique_ptr<CFileEntry> Entry(RecordingShell& shell, const std::string& source) {
    return std::make_unique<CFileEntry>(source, "/arc/x", "", shell, CFileEntry::NotEvaluated{});
}

TEST(SourceIndex, FindsSourcesInAnyLetterCaseAcrossInsertsRemovalsAndResets) {
    RecordingShell shell;
    FixedClock clock;
    ManagerList rows(clock);
    std::vector<std::unique_ptr<CFileEntry>> loaded;
    for (int i = 0; i < 1000; ++i) {
        loaded.push_back(Entry(shell, "/Src/File" + std::to_string(i) + ".txt"));
    }
    rows.Replace(std::move(loaded));

    EXPECT_TRUE(rows.HasSource("/src/file999.TXT"));
    EXPECT_TRUE(rows.HasSource("/Src/File0.txt"));
    EXPECT_FALSE(rows.HasSource("/Src/File1000.txt"));
    EXPECT_FALSE(rows.HasSource("/Src/File1.tx"));
    // Non-ASCII bytes compare as they are: no folding beyond ASCII letters.
    rows.Insert(rows.Count(), Entry(shell, "/src/\xC3\x89t\xC3\xA9.txt"));
    EXPECT_TRUE(rows.HasSource("/SRC/\xC3\x89T\xC3\xA9.TXT"));
    EXPECT_FALSE(rows.HasSource("/src/\xC3\xA9t\xC3\xA9.txt"));

    // Grown by an insert after it was built, then rebuilt after a removal.
    rows.Insert(0, Entry(shell, "/New/Added.doc"));
    EXPECT_TRUE(rows.HasSource("/new/added.DOC"));
    std::vector<bool> remove(static_cast<std::size_t>(rows.Count()), false);
    remove[0] = true;
    remove[6] = true;  // "/Src/File5.txt" after the insert at the top
    rows.RemoveRows(remove);
    EXPECT_FALSE(rows.HasSource("/new/added.doc"));
    EXPECT_FALSE(rows.HasSource("/src/file5.txt"));
    EXPECT_TRUE(rows.HasSource("/src/file6.txt"));

    // A reorder keeps every answer; a reset forgets the old rows.
    std::vector<int> reversed;
    for (int row = rows.Count() - 1; row >= 0; --row) {
        reversed.push_back(row);
    }
    rows.Reorder(reversed);
    EXPECT_TRUE(rows.HasSource("/SRC/FILE6.TXT"));
    rows.Clear();
    EXPECT_FALSE(rows.HasSource("/src/file6.txt"));
    rows.Insert(0, Entry(shell, "/src/file6.txt"));
    EXPECT_TRUE(rows.HasSource("/SRC/File6.txt"));
}

}  // namespace
}  // namespace bh
