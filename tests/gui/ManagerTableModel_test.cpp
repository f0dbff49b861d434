#include <memory>
#include <vector>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>

#include "GuiTestPorts.h"
#include "gui/ManagerTableModel.h"

using namespace bh;

class ManagerTableModelTest : public QObject {
    Q_OBJECT

  private:
    std::vector<std::unique_ptr<CFileEntry>> entries_;

    std::unique_ptr<ManagerTableModel> MakeModel() {
        auto model =
            std::make_unique<ManagerTableModel>(12, [](const CFileEntry& entry, int column) {
                return column == 4 ? entry.sourcePath : std::string("c") + std::to_string(column);
            });
        new QAbstractItemModelTester(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest, model.get());
        return model;
    }

    void AddEntries(ManagerTableModel& model, int count) {
        for (int i = 0; i < count; ++i) {
            entries_.push_back(test::MakeEntry("/src/f" + std::to_string(i), kColorUpToDate));
            model.AppendRow(*entries_.back());
        }
    }

  private Q_SLOTS:
    void init() { entries_.clear(); }

    void appendedRowsAreAnnouncedInOneBatch() {
        auto model = MakeModel();
        int inserts = 0;
        connect(model.get(), &QAbstractItemModel::rowsInserted, this, [&] { ++inserts; });
        AddEntries(*model, 5);
        // The core sees every row at once; the view is told at the next turn.
        QCOMPARE(model->Count(), 5);
        QCOMPARE(model->CellText(3, 4), std::string("/src/f3"));
        QCOMPARE(model->rowCount(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(inserts, 1);
        QCOMPARE(model->data(model->index(2, 4), Qt::DisplayRole).toString(),
                 QStringLiteral("/src/f2"));
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

    void resultsTextLastsUntilTheRowIsRemade() {
        auto model = MakeModel();
        AddEntries(*model, 2);
        model->SetResultsText(1, "Restored");
        QCOMPARE(model->CellText(1, 6), std::string("Restored"));
        QCOMPARE(model->CellText(0, 6), std::string("c6"));
        // The text travels with its row when the rows are reordered.
        model->Reorder({1, 0});
        QCOMPARE(model->CellText(0, 6), std::string("Restored"));
        model->UpdateCell(0, 5);
        QCOMPARE(model->CellText(0, 6), std::string("Restored"));
        model->UpdateRowTexts(0);
        QCOMPARE(model->CellText(0, 6), std::string("c6"));
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

        // Set by the user through the view.
        view.selectionModel()->select(model->index(2, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(model->SelectedCount(), 3);
        QVERIFY(model->IsSelected(2));
        view.selectionModel()->select(model->index(1, 0),
                                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        QCOMPARE(model->SelectedCount(), 2);
        QVERIFY(!model->IsSelected(1));

        // Selection travels with its rows.
        model->Reorder({5, 4, 3, 2, 1, 0});
        QVERIFY(model->IsSelected(1));
        QVERIFY(model->IsSelected(3));
        QCOMPARE(model->SelectedCount(), 2);
        QVERIFY(view.selectionModel()->isRowSelected(1, QModelIndex()));
        QVERIFY(view.selectionModel()->isRowSelected(3, QModelIndex()));
        QVERIFY(!view.selectionModel()->isRowSelected(2, QModelIndex()));

        // Removing rows keeps the others' selection.
        model->RemoveRows({true, false, false, true, false, false});
        QCOMPARE(model->Count(), 4);
        QCOMPARE(model->SelectedCount(), 1);
        QCOMPARE(model->NextSelected(-1), 0);
        QCOMPARE(&model->Entry(0), entries_[4].get());
        QVERIFY(view.selectionModel()->isRowSelected(0, QModelIndex()));
        QCOMPARE(view.selectionModel()->selectedRows().size(), 1);

        model->RemoveAll();
        QCOMPARE(model->Count(), 0);
        QCOMPARE(model->SelectedCount(), 0);
        QCOMPARE(model->rowCount(), 0);
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
        entries_.push_back(test::MakeEntry("/src/new", kColorOutOfDate));
        model->InsertRow(1, *entries_.back());
        QCOMPARE(model->Count(), 3);
        QCOMPARE(model->CellText(1, 4), std::string("/src/new"));
        QVERIFY(!model->IsSelected(1));
        QVERIFY(model->IsSelected(2));
    }
};

QTEST_MAIN(ManagerTableModelTest)
#include "ManagerTableModel_test.moc"
