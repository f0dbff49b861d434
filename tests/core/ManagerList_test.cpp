#include "core/document/ManagerList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ViewTestEntries.h"
#include "core/document/ManagerListObserver.h"
#include "core/view/Columns.h"
#include "core/view/RowTexts.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"

namespace bh {
namespace {

// Logs the list's change notifications, as a toolkit model would receive them.
class LoggingObserver : public ManagerListObserver {
  public:
    std::vector<std::string> log;

    void BeforeRowsInserted(int first, int last) override { Log("+?", first, last); }
    void AfterRowsInserted(int first, int last) override { Log("+", first, last); }
    void BeforeRowsRemoved(int first, int last) override { Log("-?", first, last); }
    void AfterRowsRemoved(int first, int last) override { Log("-", first, last); }
    void BeforeReset() override { log.push_back("reset?"); }
    void AfterReset() override { log.push_back("reset"); }
    void BeforeReorder() override { log.push_back("order?"); }
    void AfterReorder() override { log.push_back("order"); }
    void OnRowsChanged(int first, int last, int firstColumn, int lastColumn) override {
        log.push_back("changed " + std::to_string(first) + "-" + std::to_string(last) + " c" +
                      std::to_string(firstColumn) + "-" + std::to_string(lastColumn));
    }
    void OnSelectionChanged(int row) override { log.push_back("sel " + std::to_string(row)); }
    void OnEnsureVisible(int row) override { log.push_back("show " + std::to_string(row)); }

  private:
    void Log(const char* what, int first, int last) {
        log.push_back(std::string(what) + " " + std::to_string(first) + "-" + std::to_string(last));
    }
};

class ManagerListTest : public ::testing::Test {
  protected:
    void SetUp() override { rows_.AddObserver(logger_); }

    std::string Text(int row, int column) const {
        return CellText(rows_, row, column, clock_, errors_);
    }

    // Appends entries named by the letters of `names`.
    void AddRows(const std::string& names) {
        for (const char name : names) {
            entries_.MoveTo(rows_, entries_.MakeFound(std::string("C:\\") + name, 1, 1000));
        }
    }

    std::string Names() const {
        std::string names;
        for (int row = 0; row < rows_.Count(); ++row) {
            names += Text(row, kColumnName).substr(1);
        }
        return names;
    }

    std::string Selected() const {
        std::string names;
        for (int row = rows_.NextSelected(-1); row >= 0; row = rows_.NextSelected(row)) {
            names += Text(row, kColumnName).substr(1);
        }
        return names;
    }

    test::ViewEntries entries_;
    FixedClock clock_{1000 + 30};
    FakeSystemErrors errors_;
    LoggingObserver logger_;
    ManagerList rows_{clock_};
};

TEST_F(ManagerListTest, AppendAndInsertAnnounceTheirRows) {
    AddRows("ac");
    rows_.Insert(1, entries_.Take(entries_.MakeFound("C:\\b", 1, 1000)));
    rows_.Insert(99,
                 entries_.Take(entries_.MakeFound("C:\\d", 1, 1000)));  // past the end: appended
    EXPECT_EQ(Names(), "abcd");
    EXPECT_EQ(logger_.log, (std::vector<std::string>{"+? 0-0", "+ 0-0", "+? 1-1", "+ 1-1", "+? 1-1",
                                                     "+ 1-1", "+? 3-3", "+ 3-3"}));
    EXPECT_FALSE(rows_.IsSelected(1));
    EXPECT_EQ(rows_.SelectedCount(), 0);
    EXPECT_EQ(rows_.NextSelected(-1), -1);
}

TEST_F(ManagerListTest, SelectionIsCountedAndWalkedInRowOrder) {
    AddRows("abcde");
    rows_.SetSelected(3, true);
    rows_.SetSelected(1, true);
    rows_.SetSelected(1, true);  // no change, no notice
    rows_.SetSelected(7, true);  // no such row
    EXPECT_EQ(rows_.SelectedCount(), 2);
    EXPECT_EQ(Selected(), "bd");
    rows_.SetSelected(3, false);
    EXPECT_EQ(rows_.SelectedCount(), 1);
    EXPECT_EQ(Selected(), "b");
    EXPECT_EQ(std::count(logger_.log.begin(), logger_.log.end(), "sel 1"), 1);
}

TEST_F(ManagerListTest, ReorderCarriesSelectionAndRefusesNonPermutations) {
    AddRows("abcd");
    rows_.SetSelected(0, true);
    rows_.SetSelected(2, true);
    logger_.log.clear();
    rows_.Reorder({3, 2, 1, 0});
    EXPECT_EQ(Names(), "dcba");
    EXPECT_EQ(Selected(), "ca");
    EXPECT_TRUE(rows_.IsSelected(1));
    EXPECT_TRUE(rows_.IsSelected(3));
    EXPECT_EQ(logger_.log, (std::vector<std::string>{"order?", "order"}));

    rows_.Reorder({0, 0, 1, 2});
    rows_.Reorder({0, 1, 2});
    rows_.Reorder({0, 1, 2, 4});
    EXPECT_EQ(Names(), "dcba");
    EXPECT_EQ(rows_.SelectedCount(), 2);
}

TEST_F(ManagerListTest, RemoveRowsCompactsInOrderAndKeepsTheSelectedCount) {
    AddRows("abcdef");
    rows_.SetSelected(1, true);
    rows_.SetSelected(2, true);
    rows_.SetSelected(5, true);
    logger_.log.clear();
    rows_.RemoveRows({true, false, true, false, true, false});
    EXPECT_EQ(Names(), "bdf");
    EXPECT_EQ(Selected(), "bf");
    EXPECT_EQ(rows_.SelectedCount(), 2);
    EXPECT_EQ(logger_.log, (std::vector<std::string>{"reset?", "reset"}));

    logger_.log.clear();
    rows_.RemoveRows({false, true, true});
    EXPECT_EQ(Names(), "b");
    EXPECT_EQ(rows_.SelectedCount(), 1);
    EXPECT_EQ(logger_.log, (std::vector<std::string>{"-? 1-2", "- 1-2"}));

    // A shorter mask leaves the rows past its end; an empty mask changes nothing.
    AddRows("xy");
    logger_.log.clear();
    rows_.RemoveRows({});
    rows_.RemoveRows({false});
    EXPECT_TRUE(logger_.log.empty());
    rows_.RemoveRows({false, true});
    EXPECT_EQ(Names(), "by");

    rows_.Clear();
    EXPECT_EQ(rows_.Count(), 0);
    EXPECT_EQ(rows_.SelectedCount(), 0);
    EXPECT_EQ(rows_.NextSelected(-1), -1);
}

TEST_F(ManagerListTest, ResultsOverrideLastsUntilTheTextsAreRemade) {
    AddRows("a");
    CFileEntry& entry = rows_.Entry(0);
    entry.lastError = 13;
    entry.result = kResultSourceFailed;
    EXPECT_EQ(Text(0, kColumnResults), "source  Permission denied");

    rows_.SetResultsText(0, "Copied");
    EXPECT_NE(rows_.ResultsText(0), nullptr);
    EXPECT_EQ(Text(0, kColumnResults), "Copied");
    rows_.UpdateCell(0, kColumnNotes);
    EXPECT_EQ(Text(0, kColumnResults), "Copied");

    rows_.UpdateRowTexts(0);
    EXPECT_EQ(rows_.ResultsText(0), nullptr);
    EXPECT_EQ(Text(0, kColumnResults), "source  Permission denied");

    rows_.SetResultsText(0, "Copied");
    rows_.UpdateCell(0, kColumnResults);
    EXPECT_EQ(Text(0, kColumnResults), "source  Permission denied");
}

TEST_F(ManagerListTest, AgeTextStaysFrozenUntilRemade) {
    rows_.SetDateMode(kDateModeAge);
    AddRows("ab");
    EXPECT_EQ(Text(0, kColumnLastModified), "30 sec");
    clock_.Set(1000 + 7200);
    EXPECT_EQ(Text(0, kColumnLastModified), "30 sec");

    rows_.UpdateRowTexts(0);
    EXPECT_EQ(Text(0, kColumnLastModified), "2 hour");
    EXPECT_EQ(Text(1, kColumnLastModified), "30 sec");

    clock_.Set(1000 + 3 * 86400);
    rows_.UpdateCell(1, kColumnLastModified);
    EXPECT_EQ(Text(1, kColumnLastModified), "3 day");
}

TEST_F(ManagerListTest, DateModeChangeRemakesOnlyTheLastModifiedColumn) {
    AddRows("ab");
    EXPECT_EQ(Text(0, kColumnLastModified), "01/01/1970 12:16:40 AM");
    logger_.log.clear();
    clock_.Set(1000 + 120);
    rows_.SetDateMode(kDateModeAge);
    EXPECT_EQ(logger_.log, (std::vector<std::string>{"changed 0-1 c3-3"}));
    EXPECT_EQ(Text(1, kColumnLastModified), "2 min");
    rows_.SetDateMode(7);
    EXPECT_EQ(Text(1, kColumnLastModified), "");
    EXPECT_EQ(Text(1, kColumnName), " b");

    logger_.log.clear();
    rows_.UpdateRowTexts(1);
    rows_.EnsureVisible(1);
    rows_.EnsureVisible(5);
    EXPECT_EQ(logger_.log, (std::vector<std::string>{"changed 1-1 c0-11", "show 1"}));
}

// An observer told that rows are about to go can still read them, the entries go with their
// rows and never before, and an observer learns when the list itself goes.
class Witness : public ManagerListObserver {
  public:
    explicit Witness(const ManagerList& list) : list_(list) {}
    void BeforeRowsRemoved(int first, int last) override { Read(first, last); }
    void BeforeReset() override { Read(0, list_.Count() - 1); }
    void OnListDestroyed() override { destroyed = true; }

    std::string seen;
    bool destroyed = false;

  private:
    void Read(int first, int last) {
        for (int row = first; row <= last; ++row) {
            seen += list_.Entry(row).sourcePath.back();
        }
    }
    const ManagerList& list_;
};

TEST_F(ManagerListTest, EntriesLiveExactlyAsLongAsTheirRows) {
    auto list = std::make_unique<ManagerList>(clock_);
    Witness witness(*list);
    list->AddObserver(witness);
    std::vector<std::weak_ptr<const ShellIcon>> alive;
    for (const char name : std::string("abcd")) {
        CFileEntry& entry =
            list->Append(entries_.Take(entries_.MakeFound(std::string("C:\\") + name, 1, 1)));
        auto icon = std::make_shared<const ShellIcon>();
        alive.push_back(icon);
        entry.fileType = std::make_shared<const ShellFileInfo>(ShellFileInfo{std::move(icon), ""});
    }

    list->RemoveRows({false, true});
    EXPECT_EQ(witness.seen, "b");
    EXPECT_TRUE(alive[1].expired());
    EXPECT_FALSE(alive[0].expired());

    list->RemakeAll();
    EXPECT_EQ(witness.seen, "bacd");
    EXPECT_FALSE(alive[0].expired()) << "remaking the texts keeps every entry";

    std::vector<std::unique_ptr<CFileEntry>> replacement;
    replacement.push_back(entries_.Take(entries_.MakeFound("C:\\z", 1, 1)));
    list->Replace(std::move(replacement));
    EXPECT_EQ(witness.seen, "bacdacd");
    EXPECT_TRUE(alive[0].expired() && alive[2].expired() && alive[3].expired());
    EXPECT_EQ(list->Count(), 1);
    EXPECT_TRUE(list->HasSource("c:\\Z"));

    list.reset();
    EXPECT_TRUE(witness.destroyed);
}

}  // namespace
}  // namespace bh
