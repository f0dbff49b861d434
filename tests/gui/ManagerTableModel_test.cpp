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
    std::vector<std::unique_ptr<CFileEntry>> entries_;
    std::unique_ptr<FixedClock> clock_;
    FakeSystemErrors errors_;
    MemoryFileSystem files_;
    RecordingShell shell_;

    std::unique_ptr<ManagerTableModel> MakeModel() {
        auto model = std::make_unique<ManagerTableModel>(*clock_, errors_);
        new QAbstractItemModelTester(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest, model.get());
        return model;
    }

    void AddEntries(ManagerTableModel& model, int count) {
        for (int i = 0; i < count; ++i) {
            const std::string name = "/src/f" + std::to_string(entries_.size());
            entries_.push_back(test::MakeEntry(name, EntryState::UpToDate));
            model.AppendRow(*entries_.back());
        }
    }

    // An entry whose source exists, written at kFileTime.
    CFileEntry& AddFoundEntry(ManagerTableModel& model, const std::string& source) {
        files_.AddFile(source, "content", kFileTime);
        entries_.push_back(
            std::make_unique<CFileEntry>(source, source + ".arc", "", shell_, files_));
        model.AppendRow(*entries_.back());
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
        entries_.push_back(test::MakeEntry("/src/between", EntryState::OutOfDate));
        model->InsertRow(1, *entries_.back());
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
        model->SetResultsText(1, "Restored");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model->index(1, kColumnResults));
        QCOMPARE(Shown(*model, 1, kColumnResults), QStringLiteral("Restored"));
        QCOMPARE(Shown(*model, 0, kColumnResults), plain);

        // The text travels with its row when the rows are reordered.
        model->Reorder({1, 0});
        QCOMPARE(Shown(*model, 0, kColumnResults), QStringLiteral("Restored"));
        // Remaking another cell keeps it; remaking the Results cell drops it.
        model->UpdateCell(0, kColumnArchivePath);
        QCOMPARE(Shown(*model, 0, kColumnResults), QStringLiteral("Restored"));
        model->UpdateCell(0, kColumnResults);
        QCOMPARE(Shown(*model, 0, kColumnResults), plain);

        model->SetResultsText(1, "Restore Failed");
        model->UpdateRowTexts(0);
        QCOMPARE(Shown(*model, 1, kColumnResults), QStringLiteral("Restore Failed"));
        model->UpdateRowTexts(1);
        QCOMPARE(Shown(*model, 1, kColumnResults), plain);
        QVERIFY(!model->HasResultsOverride(1));
    }

    void ageTextStaysAsMadeUntilTheRowIsRemade() {
        auto model = MakeModel();
        model->SetDateMode(kDateModeAge);
        AddFoundEntry(*model, "/src/a.txt");
        AddFoundEntry(*model, "/src/b.txt");
        model->FlushPendingRows();
        QCOMPARE(Shown(*model, 0, kColumnLastModified), QStringLiteral("30 sec"));

        // Time passes; painting again does not age the rows.
        clock_->Set(kFileTime + 2 * 3600);
        QCOMPARE(Shown(*model, 0, kColumnLastModified), QStringLiteral("30 sec"));
        QCOMPARE(Shown(*model, 1, kColumnLastModified), QStringLiteral("30 sec"));

        model->UpdateRowTexts(0);
        QCOMPARE(Shown(*model, 0, kColumnLastModified), QStringLiteral("2 hour"));
        QCOMPARE(Shown(*model, 1, kColumnLastModified), QStringLiteral("30 sec"));

        // Choosing a date mode remakes the column of every row, and tells the view so.
        clock_->Set(kFileTime + 3 * 86400);
        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        model->SetDateMode(kDateModeAge);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), model->index(0, kColumnLastModified));
        QCOMPARE(changed[0][1].toModelIndex(), model->index(1, kColumnLastModified));
        QCOMPARE(Shown(*model, 1, kColumnLastModified), QStringLiteral("3 day"));
        model->SetDateMode(kDateModeYearMonthDay);
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
        model->SetSelected(1, true);
        model->SetSelected(4, true);
        model->SetSelected(4, true);
        QCOMPARE(model->SelectedCount(), 2);
        QCOMPARE(model->NextSelected(-1), 1);
        QCOMPARE(model->NextSelected(1), 4);
        QCOMPARE(model->NextSelected(4), -1);
        QCoreApplication::processEvents();
        QCOMPARE(view.selectionModel()->selectedRows().size(), 2);
        QVERIFY(view.selectionModel()->isRowSelected(4, QModelIndex()));
        QCOMPARE(counted.size(), 1);

        // Set by the user through the view.
        view.selectionModel()->select(model->index(2, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(model->SelectedCount(), 3);
        QVERIFY(model->IsSelected(2));
        view.selectionModel()->select(model->index(1, 0),
                                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        QCOMPARE(model->SelectedCount(), 2);
        QVERIFY(!model->IsSelected(1));

        // Selection and the current row travel with their rows.
        view.selectionModel()->setCurrentIndex(model->index(5, 0), QItemSelectionModel::NoUpdate);
        model->Reorder({5, 4, 3, 2, 1, 0});
        QVERIFY(model->IsSelected(1));
        QVERIFY(model->IsSelected(3));
        QCOMPARE(model->SelectedCount(), 2);
        QVERIFY(view.selectionModel()->isRowSelected(1, QModelIndex()));
        QVERIFY(view.selectionModel()->isRowSelected(3, QModelIndex()));
        QVERIFY(!view.selectionModel()->isRowSelected(2, QModelIndex()));
        QCOMPARE(view.selectionModel()->currentIndex().row(), 0);

        // Removing rows keeps the others' selection, in one run or scattered.
        model->RemoveRows({true, false, false, true, false, false});
        QCOMPARE(model->Count(), 4);
        QCOMPARE(model->SelectedCount(), 1);
        QCOMPARE(model->NextSelected(-1), 0);
        QCOMPARE(&model->Entry(0), entries_[4].get());
        QVERIFY(view.selectionModel()->isRowSelected(0, QModelIndex()));
        QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
        model->SetSelected(3, true);
        model->RemoveRows({false, true, true});
        QCOMPARE(model->Count(), 2);
        QCOMPARE(model->SelectedCount(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(view.selectionModel()->selectedRows().size(), 2);

        model->RemoveAll();
        QCOMPARE(model->Count(), 0);
        QCOMPARE(model->SelectedCount(), 0);
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
            model->SetSelected(row, true);
        QCoreApplication::processEvents();
        QCOMPARE(viewChanges.size(), 1);
        QCOMPARE(counted.size(), 1);
        QCOMPARE(view.selectionModel()->selection().size(), 1);
        QCOMPARE(view.selectionModel()->selectedRows().size(), 5000);

        // The view's own Select None reaches the flags at once.
        view.clearSelection();
        QCOMPARE(model->SelectedCount(), 0);
        view.selectAll();
        QCOMPARE(model->SelectedCount(), 5000);
        QCOMPARE(model->NextSelected(4998), 4999);
    }

    void manyRemovalRunsRebuildWithTheSameResult() {
        auto model = MakeModel();
        AddEntries(*model, 200);
        std::vector<bool> remove(200);
        for (int i = 0; i < 200; i += 2)
            remove[static_cast<std::size_t>(i)] = true;
        model->SetSelected(3, true);
        model->SetSelected(4, true);
        model->RemoveRows(remove);
        QCOMPARE(model->Count(), 100);
        QCOMPARE(model->rowCount(), 100);
        QCOMPARE(&model->Entry(0), entries_[1].get());
        QCOMPARE(&model->Entry(99), entries_[199].get());
        QCOMPARE(model->SelectedCount(), 1);
        QCOMPARE(model->NextSelected(-1), 1);  // entry 3 is now row 1
    }

    void insertedRowGoesWhereAsked() {
        auto model = MakeModel();
        AddEntries(*model, 2);
        model->SetSelected(1, true);
        entries_.push_back(test::MakeEntry("/src/new", EntryState::OutOfDate));
        model->InsertRow(1, *entries_.back());
        QCOMPARE(model->Count(), 3);
        QCOMPARE(model->CellText(1, kColumnSourcePath), std::string("/src/new"));
        QVERIFY(!model->IsSelected(1));
        QVERIFY(model->IsSelected(2));
    }
};

QTEST_MAIN(ManagerTableModelTest)
#include "ManagerTableModel_test.moc"
