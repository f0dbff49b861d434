#include <memory>
#include <string>
#include <vector>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "GuiTestPorts.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "core/view/Columns.h"
#include "core/view/EntryTexts.h"
#include "gui/ManagerTableModel.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"

using namespace bh;

class ManagerTableModelTest : public QObject {
    Q_OBJECT

  private:
    static constexpr std::int64_t kFileTime = 1'000'000;
    // Every entry made, in the order made; the list owns them.
    std::vector<CFileEntry*> entries_;
    std::unique_ptr<FixedClock> clock_;
    std::unique_ptr<ManagerList> list_;
    FakeSystemErrors errors_;
    MemoryFileSystem files_;
    RecordingShell shell_;

    std::unique_ptr<ManagerTableModel> MakeModel() {
        list_ = std::make_unique<ManagerList>(*clock_);
        auto model = std::make_unique<ManagerTableModel>(*clock_, errors_);
        model->Attach(list_.get());
        new QAbstractItemModelTester(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest, model.get());
        return model;
    }

    void AddEntries(ManagerTableModel& model, int count) {
        for (int i = 0; i < count; ++i) {
            const std::string name = "/src/f" + std::to_string(entries_.size());
            (void)model;
            entries_.push_back(&list_->Append(test::MakeEntry(name, EntryState::UpToDate)));
        }
    }

    // An entry whose source exists, written at kFileTime.
    CFileEntry& AddFoundEntry(ManagerTableModel& model, const std::string& source) {
        files_.AddFile(source, "content", kFileTime);
        (void)model;
        entries_.push_back(&list_->Append(
            std::make_unique<CFileEntry>(source, source + ".arc", "", shell_, files_)));
        return *entries_.back();
    }

    static QString Shown(const ManagerTableModel& model, int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    }

  private Q_SLOTS:
    void init() {
        entries_.clear();
        clock_ = std::make_unique<FixedClock>(kFileTime + 30);
    }

    void appendedRowsAreAnnouncedInOneBatch() {
        auto model = MakeModel();
        int inserts = 0;
        connect(model.get(), &QAbstractItemModel::rowsInserted, this, [&] { ++inserts; });
        AddEntries(*model, 5);
        // The core sees every row at once; the view is told at the next turn.
        QCOMPARE(model->Count(), 5);
        QCOMPARE(model->CellText(3, kColumnSourcePath), std::string("/src/f3"));
        QCOMPARE(model->rowCount(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(inserts, 1);
        QCOMPARE(Shown(*model, 2, kColumnSourcePath), QStringLiteral("/src/f2"));
        QCOMPARE(model->data(model->index(2, kColumnSourcePath), Qt::ToolTipRole).toString(),
                 QStringLiteral("/src/f2"));

        // Rows waiting to be announced are announced before a row goes in between.
        AddEntries(*model, 2);
        entries_.push_back(
            &list_->Insert(1, test::MakeEntry("/src/between", EntryState::OutOfDate)));
        QCOMPARE(model->rowCount(), 8);
        QCOMPARE(Shown(*model, 1, kColumnSourcePath), QStringLiteral("/src/between"));
        QCOMPARE(Shown(*model, 7, kColumnSourcePath), QStringLiteral("/src/f6"));
    }

    void colorsFollowEntriesAndGrayBar() {
        auto model = MakeModel();
        AddEntries(*model, 3);
        model->FlushPendingRows();
        entries_[1]->textColor = kColorProblem;
        entries_[1]->backColor = 0x00FF8040;  // BBGGRR
        QCOMPARE(model->data(model->index(1, 0), Qt::ForegroundRole).value<QColor>(),
                 QColor(255, 0, 0));
        QCOMPARE(model->data(model->index(0, 0), Qt::ForegroundRole).value<QColor>(),
                 QColor(0, 128, 0));
        QCOMPARE(model->data(model->index(1, 0), Qt::BackgroundRole).value<QColor>(),
                 QColor(0x40, 0x80, 0xFF));
        model->SetGrayBar(true);
        // Gray bar: the first row white, odd rows light gray, entries' backgrounds ignored.
        QCOMPARE(model->data(model->index(0, 0), Qt::BackgroundRole).value<QColor>(),
                 QColor(255, 255, 255));
        QCOMPARE(model->data(model->index(1, 0), Qt::BackgroundRole).value<QColor>(),
                 QColor(0xF0, 0xF0, 0xF0));
        QCOMPARE(model->data(model->index(2, 3), Qt::BackgroundRole).value<QColor>(),
                 QColor(255, 255, 255));
        // Text colours stay with the gray bar.
        QCOMPARE(model->data(model->index(1, 0), Qt::ForegroundRole).value<QColor>(),
                 QColor(255, 0, 0));
    }

    void resultsTextLastsUntilTheRowOrItsCellIsRemade() {
        auto model = MakeModel();
        AddFoundEntry(*model, "/src/a.txt");
        AddFoundEntry(*model, "/src/b.txt");
        model->FlushPendingRows();
        const QString plain = Shown(*model, 0, kColumnResults);
        QVERIFY(plain != QStringLiteral("Restored"));

        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        list_->SetResultsText(1, "Restored");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model->index(1, kColumnResults));
        QCOMPARE(Shown(*model, 1, kColumnResults), QStringLiteral("Restored"));
        QCOMPARE(Shown(*model, 0, kColumnResults), plain);

        // The text travels with its row when the rows are reordered.
        list_->Reorder({1, 0});
        QCOMPARE(Shown(*model, 0, kColumnResults), QStringLiteral("Restored"));
        // Remaking another cell keeps it; remaking the Results cell drops it.
        list_->UpdateCell(0, kColumnArchivePath);
        QCOMPARE(Shown(*model, 0, kColumnResults), QStringLiteral("Restored"));
        list_->UpdateCell(0, kColumnResults);
        QCOMPARE(Shown(*model, 0, kColumnResults), plain);

        list_->SetResultsText(1, "Restore Failed");
        list_->UpdateRowTexts(0);
        QCOMPARE(Shown(*model, 1, kColumnResults), QStringLiteral("Restore Failed"));
        list_->UpdateRowTexts(1);
        QCOMPARE(Shown(*model, 1, kColumnResults), plain);
        QVERIFY(list_->ResultsText(1) == nullptr);
    }

    void ageTextStaysAsMadeUntilTheRowIsRemade() {
        auto model = MakeModel();
        list_->SetDateMode(kDateModeAge);
        AddFoundEntry(*model, "/src/a.txt");
        AddFoundEntry(*model, "/src/b.txt");
        model->FlushPendingRows();
        QCOMPARE(Shown(*model, 0, kColumnLastModified), QStringLiteral("30 sec"));

        // Time passes; painting again does not age the rows.
        clock_->Set(kFileTime + 2 * 3600);
        QCOMPARE(Shown(*model, 0, kColumnLastModified), QStringLiteral("30 sec"));
        QCOMPARE(Shown(*model, 1, kColumnLastModified), QStringLiteral("30 sec"));

        list_->UpdateRowTexts(0);
        QCOMPARE(Shown(*model, 0, kColumnLastModified), QStringLiteral("2 hour"));
        QCOMPARE(Shown(*model, 1, kColumnLastModified), QStringLiteral("30 sec"));

        // Choosing a date mode remakes the column of every row, and tells the view so.
        clock_->Set(kFileTime + 3 * 86400);
        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        list_->SetDateMode(kDateModeAge);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model->index(0, kColumnLastModified));
        QCOMPARE(changed[0][1].toModelIndex(), model->index(1, kColumnLastModified));
        QCOMPARE(Shown(*model, 1, kColumnLastModified), QStringLiteral("3 day"));
        list_->SetDateMode(kDateModeYearMonthDay);
        QVERIFY(Shown(*model, 1, kColumnLastModified).startsWith(QStringLiteral("1970")));
    }

    void selectionFollowsTheViewAndTheCore() {
        auto model = MakeModel();
        QTableView view;
        view.setModel(model.get());
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        model->SetSelectionModel(view.selectionModel());
        AddEntries(*model, 6);

        // Set by the core: known at once, shown by the view after the next turn.
        QSignalSpy counted(model.get(), &ManagerTableModel::selectedCountChanged);
        list_->SetSelected(1, true);
        list_->SetSelected(4, true);
        list_->SetSelected(4, true);
        QCOMPARE(list_->SelectedCount(), 2);
        QCOMPARE(list_->NextSelected(-1), 1);
        QCOMPARE(list_->NextSelected(1), 4);
        QCOMPARE(list_->NextSelected(4), -1);
        QCoreApplication::processEvents();
        QCOMPARE(view.selectionModel()->selectedRows().size(), 2);
        QVERIFY(view.selectionModel()->isRowSelected(4, QModelIndex()));
        QCOMPARE(counted.size(), 1);

        // Set by the user through the view.
        view.selectionModel()->select(model->index(2, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(list_->SelectedCount(), 3);
        QVERIFY(list_->IsSelected(2));
        view.selectionModel()->select(model->index(1, 0),
                                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        QCOMPARE(list_->SelectedCount(), 2);
        QVERIFY(!list_->IsSelected(1));

        // Selection and the current row travel with their rows.
        view.selectionModel()->setCurrentIndex(model->index(5, 0), QItemSelectionModel::NoUpdate);
        list_->Reorder({5, 4, 3, 2, 1, 0});
        QVERIFY(list_->IsSelected(1));
        QVERIFY(list_->IsSelected(3));
        QCOMPARE(list_->SelectedCount(), 2);
        QVERIFY(view.selectionModel()->isRowSelected(1, QModelIndex()));
        QVERIFY(view.selectionModel()->isRowSelected(3, QModelIndex()));
        QVERIFY(!view.selectionModel()->isRowSelected(2, QModelIndex()));
        QCOMPARE(view.selectionModel()->currentIndex().row(), 0);

        // Removing rows keeps the others' selection, in one run or scattered.
        list_->RemoveRows({true, false, false, true, false, false});
        QCOMPARE(model->Count(), 4);
        QCOMPARE(list_->SelectedCount(), 1);
        QCOMPARE(list_->NextSelected(-1), 0);
        QCOMPARE(&list_->Entry(0), entries_[4]);
        QVERIFY(view.selectionModel()->isRowSelected(0, QModelIndex()));
        QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
        list_->SetSelected(3, true);
        list_->RemoveRows({false, true, true});
        QCOMPARE(model->Count(), 2);
        QCOMPARE(list_->SelectedCount(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(view.selectionModel()->selectedRows().size(), 2);

        list_->Clear();
        QCOMPARE(model->Count(), 0);
        QCOMPARE(list_->SelectedCount(), 0);
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(!view.selectionModel()->hasSelection());
    }

    void selectingEveryRowReachesTheViewInOneStep() {
        auto model = MakeModel();
        QTableView view;
        view.setModel(model.get());
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        model->SetSelectionModel(view.selectionModel());
        AddEntries(*model, 5000);
        QCoreApplication::processEvents();

        QSignalSpy viewChanges(view.selectionModel(), &QItemSelectionModel::selectionChanged);
        QSignalSpy counted(model.get(), &ManagerTableModel::selectedCountChanged);
        for (int row = 0; row < model->Count(); ++row)
            list_->SetSelected(row, true);
        QCoreApplication::processEvents();
        QCOMPARE(viewChanges.size(), 1);
        QCOMPARE(counted.size(), 1);
        QCOMPARE(view.selectionModel()->selection().size(), 1);
        QCOMPARE(view.selectionModel()->selectedRows().size(), 5000);

        // The view's own Select None reaches the flags at once.
        view.clearSelection();
        QCOMPARE(list_->SelectedCount(), 0);
        view.selectAll();
        QCOMPARE(list_->SelectedCount(), 5000);
        QCOMPARE(list_->NextSelected(4998), 4999);
    }

    void manyRemovalRunsRebuildWithTheSameResult() {
        auto model = MakeModel();
        AddEntries(*model, 200);
        std::vector<bool> remove(200);
        for (int i = 0; i < 200; i += 2)
            remove[static_cast<std::size_t>(i)] = true;
        list_->SetSelected(3, true);
        list_->SetSelected(4, true);
        list_->RemoveRows(remove);
        QCOMPARE(model->Count(), 100);
        QCOMPARE(model->rowCount(), 100);
        QCOMPARE(&list_->Entry(0), entries_[1]);
        QCOMPARE(&list_->Entry(99), entries_[199]);
        QCOMPARE(list_->SelectedCount(), 1);
        QCOMPARE(list_->NextSelected(-1), 1);  // entry 3 is now row 1
    }

    void insertedRowGoesWhereAsked() {
        auto model = MakeModel();
        AddEntries(*model, 2);
        list_->SetSelected(1, true);
        entries_.push_back(&list_->Insert(1, test::MakeEntry("/src/new", EntryState::OutOfDate)));
        QCOMPARE(model->Count(), 3);
        QCOMPARE(model->CellText(1, kColumnSourcePath), std::string("/src/new"));
        QVERIFY(!list_->IsSelected(1));
        QVERIFY(list_->IsSelected(2));
    }
};

QTEST_MAIN(ManagerTableModelTest)
#include "ManagerTableModel_test.moc"
