#include "core/operations/RemoveSelected.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ports/MessageBoxFlags.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;

constexpr unsigned kQuestionFlags = kMbYesNoCancel | kMbIconQuestion | kMbDefButton3;

std::vector<std::string> EntrySources(const OperationsHarness& h) {
    std::vector<std::string> sources;
    for (int row = 0; row < h.rows().Count(); ++row) {
        sources.push_back(h.rows().Entry(row).sourcePath);
    }
    return sources;
}

std::vector<std::string> RowSources(const OperationsHarness& h) {
    std::vector<std::string> sources;
    for (int row = 0; row < h.rows().Count(); ++row) {
        sources.push_back(h.rows().Entry(row).sourcePath);
    }
    return sources;
}

void AddFour(OperationsHarness& h) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
        h.AddUpToDate(name);
    }
}

TEST(RemoveSelected, QuestionWordsForOneAndMany) {
    OperationsHarness h;
    AddFour(h);
    h.Select({2});
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    OnRemoveSelected(*h.doc);
    h.Select({0, 3});
    h.ui.QueueMessageBoxAnswer(kIdCancel);
    OnRemoveSelected(*h.doc);

    const std::vector<UiCall> boxes = h.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Renove 1 File from Backup");
    EXPECT_EQ(boxes[0].text, "Do you also want to delete the archive file?");
    EXPECT_EQ(boxes[0].flags, kQuestionFlags);
    EXPECT_EQ(boxes[1].caption, "Renove 3 Files from Backup");
    EXPECT_EQ(boxes[1].text, "Do you also want to delete the archive files?");
    EXPECT_EQ(boxes[1].flags, 0x223u);

    // Cancel changes nothing.
    EXPECT_EQ(h.rows().Count(), 4);
    EXPECT_EQ(h.doc->rows().Count(), 4);
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_TRUE(h.fs.Exists("/arc/a.txt"));
}

TEST(RemoveSelected, NoKeepsArchivesYesDeletesThem) {
    OperationsHarness h;
    AddFour(h);
    h.Select({1, 3});
    h.ui.QueueMessageBoxAnswer(kIdNo);
    OnRemoveSelected(*h.doc);
    EXPECT_EQ(EntrySources(h), (std::vector<std::string>{"/src/a.txt", "/src/c.txt"}));
    EXPECT_EQ(RowSources(h), (std::vector<std::string>{"/src/a.txt", "/src/c.txt"}));
    EXPECT_TRUE(h.fs.Exists("/arc/b.txt"));
    EXPECT_TRUE(h.fs.Exists("/arc/d.txt"));
    EXPECT_TRUE(h.doc->IsModified());
    EXPECT_TRUE(h.SelectedRows().empty());
    EXPECT_FALSE(h.doc->rows().HasSource("/src/b.txt"));
    EXPECT_TRUE(h.doc->rows().HasSource("/src/c.txt"));

    h.fs.Erase("/arc/c.txt");  // already missing: removed without a message
    h.Select({0, 1});
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnRemoveSelected(*h.doc);
    EXPECT_TRUE((h.doc->rows().Count() == 0));
    EXPECT_EQ(h.rows().Count(), 0);
    EXPECT_FALSE(h.fs.Exists("/arc/a.txt"));
    EXPECT_TRUE(h.fs.Exists("/src/a.txt")) << "sources are never touched";
    EXPECT_TRUE(h.fs.Exists("/src/c.txt"));
    EXPECT_EQ(h.Boxes().size(), 2u);
}

TEST(RemoveSelected, SortedListNonAdjacentRowsAndArchivesThatAreTheSource) {
    OperationsHarness h;
    AddFour(h);
    // The archive of this entry is its own source, spelled another way.
    h.fs.AddFile("/src/e.txt", "e", 2000);
    h.Add("/src/e.txt", "/src/./e.txt");
    h.rows().Reorder({4, 2, 0, 3, 1});  // e c a d b
    h.Select({0, 2, 4});                // e, a, b
    h.ui.QueueMessageBoxAnswer(kIdYes);
    OnRemoveSelected(*h.doc);
    EXPECT_EQ(RowSources(h), (std::vector<std::string>{"/src/c.txt", "/src/d.txt"}));
    EXPECT_EQ(EntrySources(h), (std::vector<std::string>{"/src/c.txt", "/src/d.txt"}));
    EXPECT_EQ(h.rows().Entry(0).archivePath, "/arc/c.txt");
    EXPECT_FALSE(h.fs.Exists("/arc/a.txt"));
    EXPECT_FALSE(h.fs.Exists("/arc/b.txt"));
    EXPECT_TRUE(h.fs.Exists("/arc/c.txt"));
    EXPECT_TRUE(h.fs.Exists("/src/e.txt"));
}

TEST(RemoveSelected, HalfOfALargeManagerInOnePass) {
    OperationsHarness h;
    constexpr int kCount = 100000;
    for (int i = 0; i < kCount; ++i) {
        h.Add("/src/f" + std::to_string(i), "/arc/f" + std::to_string(i));
    }
    for (int row = 0; row < kCount; row += 2) {
        h.rows().SetSelected(row, true);
    }
    EXPECT_EQ(RemoveSelectedEntries(*h.doc, false), kCount / 2);
    ASSERT_EQ(h.rows().Count(), kCount / 2);
    for (int row = 0; row < kCount / 2; ++row) {
        const std::string expected = "/src/f" + std::to_string(2 * row + 1);
        ASSERT_EQ(h.rows().Entry(row).sourcePath, expected);
    }
}

}  // namespace
}  // namespace bh
