#include <QFontMetrics>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>

#include "gui/StatusPanes.h"
#include "gui/StatusProgress.h"

using namespace bh;

class StatusProgressTest : public QObject {
    Q_OBJECT

  private:
    QMainWindow window_;
    QStatusBar* bar_ = nullptr;

    QProgressBar* Bar() const { return bar_->findChild<QProgressBar*>(); }

  private Q_SLOTS:
    void initTestCase() {
        bar_ = window_.statusBar();
        const QString prototypes[kStatusPaneCount - 1] = {
            QStringLiteral("     \t100 Problems"), QStringLiteral("     \t100 Obsolete"),
            QStringLiteral("   \t1000 Files"), QStringLiteral("     \t1000 KB")};
        CreateStatusPanes(*bar_, prototypes);
        window_.resize(900, 400);
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
    }

    void captionMovesTheBarRightAndShowsInTheFirstPane() {
        const std::string caption = " Backing up files";
        const int captionWidth =
            QFontMetrics(bar_->font()).horizontalAdvance(QString::fromStdString(caption));
        {
            auto progress = CreateStatusProgress(bar_, caption, -1, 10, -1, 1);
            QProgressBar* bar = Bar();
            QVERIFY(bar != nullptr);
            QCOMPARE(bar->parentWidget(), bar_);
            QVERIFY(bar->isVisible());
            const QRect pane0 = StatusPaneRect(*bar_, 0);
            QCOMPARE(bar->geometry().left(), pane0.left() + captionWidth + 10);
            // Pane -1 spans the whole status bar from pane 0's left edge.
            QCOMPARE(bar->geometry().right(), pane0.left() + bar_->width() - 1);
            QCOMPARE(bar_->currentMessage(), QString::fromStdString(caption));

            progress->SetRange(0, 3);
            progress->SetStep(1);
            progress->StepIt();
            progress->StepIt();
            QCOMPARE(progress->GetPos(), 2);
            QCOMPARE(bar->value(), 2);
            progress->SetPos(3);
            QCOMPARE(bar->value(), 3);
        }
        // Destroying the indicator removes the bar.
        QCOMPARE(Bar(), nullptr);
    }

    void withoutCaptionTheBarStartsAtTheFirstPaneAndClearsIt() {
        bar_->showMessage(QStringLiteral("old text"));
        auto progress = CreateStatusProgress(bar_, "", -1, 10, -1, 1);
        QCOMPARE(Bar()->geometry().left(), StatusPaneRect(*bar_, 0).left());
        QCOMPARE(bar_->currentMessage(), QString());
    }

    void maxWidthOnlyShortens() {
        const QRect wide = StatusProgressRect(*bar_, "Restoring Files, Please Wait", -1, 10, -1);
        const QRect limited = StatusProgressRect(*bar_, "Restoring Files, Please Wait", -1, 10, 50);
        QCOMPARE(limited.left(), wide.left());
        QCOMPARE(limited.width(), 50);
        const QRect unlimited =
            StatusProgressRect(*bar_, "Restoring Files, Please Wait", -1, 10, 100000);
        QCOMPARE(unlimited, wide);
        // A longer caption leaves a shorter bar, never starting before the caption's end.
        const QRect longer = StatusProgressRect(
            *bar_, "Restoring Files, Please Wait, Please Wait Longer", -1, 10, -1);
        QVERIFY(longer.left() > wide.left());
        QCOMPARE(longer.right(), wide.right());
        // A pane of its own: its rectangle, not the whole bar.
        const QRect inPane = StatusProgressRect(*bar_, "", 3, 10, -1);
        QCOMPARE(inPane, StatusPaneRect(*bar_, 3));
    }

    void noStatusBarGivesASilentIndicator() {
        auto progress = CreateStatusProgress(nullptr, "caption", -1, 10, -1, 1);
        QVERIFY(progress != nullptr);
        progress->SetRange(0, 2);
        progress->SetStep(1);
        progress->StepIt();
        progress->StepIt();
        progress->StepIt();
        QCOMPARE(progress->GetPos(), 2);
    }
};

QTEST_MAIN(StatusProgressTest)
#include "StatusProgress_test.moc"
