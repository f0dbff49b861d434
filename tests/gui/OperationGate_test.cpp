#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "gui/OperationGate.h"

using namespace bh;

class OperationGateTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void heldWorkRunsInOrderOnceTheRunningWorkEnded() {
        QWidget window;
        OperationGate gate(window);
        std::vector<std::string> log;
        int idle = 0;
        gate.onIdle = [&] { ++idle; };

        gate.RunOrHold([&] {
            log.push_back("run");
            QVERIFY(gate.Busy());
            // Work that comes meanwhile waits; a second tick is one tick.
            gate.RunOrHold([&] { log.push_back("tick"); }, "tick");
            gate.RunOrHold([&] { log.push_back("open"); });
            gate.RunOrHold([&] { log.push_back("tick again"); }, "tick");
            // A user's command is refused outright.
            QVERIFY(!gate.RunIfIdle([&] { log.push_back("command"); }));
            gate.RunOrHold([&] {
                log.push_back("drop");
                // Held work that holds work of its own queues it behind the rest.
                gate.RunOrHold([&] { log.push_back("after drop"); });
            });
            log.push_back("run ends");
        });
        QCOMPARE(log, (std::vector<std::string>{"run", "run ends", "tick", "open", "drop",
                                                "after drop"}));
        QVERIFY(!gate.Busy());
        QCOMPARE(idle, 1);
        QVERIFY(gate.RunIfIdle([&] { log.push_back("command"); }));
        QCOMPARE(log.back(), std::string("command"));
        QCOMPARE(idle, 2);
    }

    void inputToTheWindowIsSwallowedWhileBusyButCancelWorks() {
        QMainWindow window;
        auto* central = new QWidget(&window);
        window.setCentralWidget(central);
        QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&Edit"));
        menu->addAction(QStringLiteral("Backup All"));
        auto* edit = new QLineEdit(central);
        auto* ordinary = new QPushButton(QStringLiteral("Other"), central);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), central);
        cancel->setProperty(OperationGate::kAllowWhileBusy, true);
        auto* selectNone = new QAction(QStringLiteral("Select None"), &window);
        selectNone->setShortcut(QKeySequence(Qt::Key_Escape));
        selectNone->setShortcutContext(Qt::WindowShortcut);
        window.addAction(selectNone);
        auto* layout = new QVBoxLayout(central);
        layout->addWidget(edit);
        layout->addWidget(ordinary);
        layout->addWidget(cancel);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();

        QWidget dialog;  // another window, as a command's dialog is
        auto* dialogEdit = new QLineEdit(&dialog);
        dialog.show();

        OperationGate gate(window);
        int escapes = 0, ordinaryClicks = 0, cancelClicks = 0, selectNones = 0;
        gate.onEscape = [&] { ++escapes; };
        connect(ordinary, &QPushButton::clicked, [&] { ++ordinaryClicks; });
        connect(cancel, &QPushButton::clicked, [&] { ++cancelClicks; });
        connect(selectNone, &QAction::triggered, [&] { ++selectNones; });

        gate.RunIfIdle([&] {
            QTest::keyClicks(edit, QStringLiteral("typed"));
            QTest::mouseClick(ordinary, Qt::LeftButton);
            QTest::mouseClick(cancel, Qt::LeftButton);
            QTest::keyClick(edit, Qt::Key_Escape);
            QTest::keyClick(edit, Qt::Key_E, Qt::AltModifier);
            QCOMPARE(QApplication::activePopupWidget(), nullptr);
            // A toolbar's tip would cover the progress caption.
            QStatusTipEvent tip(QStringLiteral("Back up every out of date file"));
            QCoreApplication::sendEvent(ordinary, &tip);
            QCOMPARE(window.statusBar()->currentMessage(), QString());
            QTest::keyClicks(dialogEdit, QStringLiteral("ok"));
        });
        QCOMPARE(edit->text(), QString());
        QCOMPARE(ordinaryClicks, 0);
        QCOMPARE(cancelClicks, 1);
        QCOMPARE(escapes, 1);
        QCOMPARE(selectNones, 0);
        QCOMPARE(dialogEdit->text(), QStringLiteral("ok"));

        // Idle again: everything works as usual.
        QTest::keyClicks(edit, QStringLiteral("typed"));
        QTest::mouseClick(ordinary, Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("typed"));
        QCOMPARE(ordinaryClicks, 1);
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(escapes, 1);
    }
};

QTEST_MAIN(OperationGateTest)
#include "OperationGate_test.moc"
