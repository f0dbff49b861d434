#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "ModalDriver.h"
#include "core/ports/MessageBoxFlags.h"
#include "gui/PromptDlg.h"
#include "gui/QtUserInterface.h"
#include "gui/StatusPanes.h"
#include "gui/StatusProgress.h"
#include "support/TempDir.h"

using namespace bh;

namespace {

// What a message box showed, and which of its buttons the test pressed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers the next message box by clicking `press`, or with Escape when it is NoButton.
void AnswerBox(SeenBox& seen, QMessageBox::StandardButton press) {
    test::WhenModal<QMessageBox>([&seen, press](QMessageBox& box) {
        seen.title = box.windowTitle();
        seen.text = box.text();
        seen.icon = box.icon();
        for (QAbstractButton* button : box.buttons())
            seen.buttons << box.standardButton(button);
        std::sort(seen.buttons.begin(), seen.buttons.end());
        seen.defaultButton =
            box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::NoButton;
        if (press == QMessageBox::NoButton)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            box.button(press)->click();
    });
}

QList<QMessageBox::StandardButton> Sorted(QList<QMessageBox::StandardButton> buttons) {
    std::sort(buttons.begin(), buttons.end());
    return buttons;
}

}  // namespace

class QtUserInterfaceTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void messageBoxShowsWhatTheFlagsSay_data() {
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QList<QMessageBox::StandardButton>>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("answer");

        using B = QMessageBox;
        QTest::newRow("ok, stop icon")
            << (kMbOk | kMbIconHand) << int(B::Critical) << QList<B::StandardButton>{B::Ok}
            << int(B::Ok) << int(B::Ok) << kIdOk;
        QTest::newRow("ok cancel, exclamation")
            << (kMbOkCancel | kMbIconExclamation) << int(B::Warning)
            << QList<B::StandardButton>{B::Ok, B::Cancel} << int(B::Ok) << int(B::Cancel)
            << kIdCancel;
        QTest::newRow("yes no cancel, question, third default")
            << (kMbYesNoCancel | kMbIconQuestion | kMbDefButton3) << int(B::Question)
            << QList<B::StandardButton>{B::Yes, B::No, B::Cancel} << int(B::Cancel) << int(B::No)
            << kIdNo;
        QTest::newRow("yes no, information, second default")
            << (kMbYesNo | kMbIconInformation | kMbDefButton2) << int(B::Information)
            << QList<B::StandardButton>{B::Yes, B::No} << int(B::No) << int(B::Yes) << kIdYes;
        QTest::newRow("yes no cancel, no icon")
            << kMbYesNoCancel << int(B::NoIcon)
            << QList<B::StandardButton>{B::Yes, B::No, B::Cancel} << int(B::Yes) << int(B::Cancel)
            << kIdCancel;
        // A third default on a box with two buttons falls back to the first.
        QTest::newRow("ok cancel, third default")
            << (kMbOkCancel | kMbDefButton3) << int(B::NoIcon)
            << QList<B::StandardButton>{B::Ok, B::Cancel} << int(B::Ok) << int(B::Ok) << kIdOk;
        // Escape answers as the Cancel button, or OK / No where there is none.
        QTest::newRow("escape on ok") << kMbOk << int(B::NoIcon) << QList<B::StandardButton>{B::Ok}
                                      << int(B::Ok) << int(B::NoButton) << kIdOk;
        QTest::newRow("escape on ok cancel")
            << kMbOkCancel << int(B::NoIcon) << QList<B::StandardButton>{B::Ok, B::Cancel}
            << int(B::Ok) << int(B::NoButton) << kIdCancel;
        QTest::newRow("escape on yes no cancel")
            << kMbYesNoCancel << int(B::NoIcon)
            << QList<B::StandardButton>{B::Yes, B::No, B::Cancel} << int(B::Yes) << int(B::NoButton)
            << kIdCancel;
        QTest::newRow("escape on yes no")
            << kMbYesNo << int(B::NoIcon) << QList<B::StandardButton>{B::Yes, B::No} << int(B::Yes)
            << int(B::NoButton) << kIdNo;
    }

    void messageBoxShowsWhatTheFlagsSay() {
        QFETCH(unsigned, flags);
        QFETCH(int, icon);
        QFETCH(QList<QMessageBox::StandardButton>, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, press);
        QFETCH(int, answer);

        QtUserInterface ui;
        SeenBox seen;
        AnswerBox(seen, QMessageBox::StandardButton(press));
        const int got = ui.MessageBox("Save changes to\n/home/ann/a.bak?", "Brackenhold", flags);
        QCOMPARE(got, answer);
        QCOMPARE(seen.title, QStringLiteral("Brackenhold"));
        QCOMPARE(seen.text, QStringLiteral("Save changes to\n/home/ann/a.bak?"));
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.buttons, Sorted(buttons));
        QCOMPARE(int(seen.defaultButton), defaultButton);
    }

    void messageBoxTextArrivesAsUtf8() {
        QtUserInterface ui;
        SeenBox seen;
        AnswerBox(seen, QMessageBox::Ok);
        ui.MessageBox(
            "Gr\xc3\xbc\xc3\x9f"
            "e",
            "Caf\xc3\xa9", kMbOk);
        QCOMPARE(seen.text, QString::fromUtf8("Grüße"));
        QCOMPARE(seen.title, QString::fromUtf8("Café"));
    }

    void filterPairsBecomeNameFilters() {
        QCOMPARE(NameFiltersFromPairs("Backup Files ( *.bak )|*.bak|All Files ( *.* )|*.*||"),
                 (QStringList{QStringLiteral("Backup Files ( *.bak )"),
                              QStringLiteral("All Files ( * )")}));
        // A name that does not list its patterns gets them appended.
        QCOMPARE(NameFiltersFromPairs("Text|*.txt;*.log||"),
                 QStringList{QStringLiteral("Text (*.txt *.log)")});
        QCOMPARE(NameFiltersFromPairs("Everything|*.*||"),
                 QStringList{QStringLiteral("Everything (*)")});
        QCOMPARE(NameFiltersFromPairs(""), QStringList());
    }

    void openDialogReturnsTheChosenFiles() {
        test::TempDir dir;
        const std::string first = dir.Write("one.bak", "x");
        const std::string second = dir.Write("two.bak", "y");

        FileDialogRequest request;
        request.title = "Add Files";
        request.filter = "Backup Files ( *.bak )|*.bak|All Files ( *.* )|*.*||";
        request.initialFolder = dir.Path();
        request.options = kOfnAllowMultiSelect;

        QString title;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QFileDialog::AcceptMode accept = QFileDialog::AcceptSave;
        QString directory;
        test::WhenModal<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            filters = dialog.nameFilters();
            mode = dialog.fileMode();
            accept = dialog.acceptMode();
            directory = dialog.directory().absolutePath();
            dialog.selectFile(QStringLiteral("\"one.bak\" \"two.bak\""));
            static_cast<QDialog&>(dialog).accept();  // as the Open button does
        });
        QtUserInterface ui;
        const FileDialogResult result = ui.FileDialog(request);

        QCOMPARE(title, QStringLiteral("Add Files"));
        QCOMPARE(filters.size(), 2);
        QCOMPARE(filters.first(), QStringLiteral("Backup Files ( *.bak )"));
        QCOMPARE(mode, QFileDialog::ExistingFiles);
        QCOMPARE(accept, QFileDialog::AcceptOpen);
        QCOMPARE(directory, QString::fromStdString(dir.Path()));
        QVERIFY(result.confirmed);
        QCOMPARE(result.errorCode, 0u);
        std::vector<std::string> paths = result.paths;
        std::sort(paths.begin(), paths.end());
        QCOMPARE(paths, (std::vector<std::string>{first, second}));
    }

    void singleOpenAndSaveDialogsFollowTheOptions() {
        test::TempDir dir;
        QtUserInterface ui;

        FileDialogRequest open;
        open.initialFolder = dir.Path();
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        test::WhenModal<QFileDialog>([&](QFileDialog& dialog) {
            mode = dialog.fileMode();
            dialog.reject();
        });
        const FileDialogResult cancelled = ui.FileDialog(open);
        QCOMPARE(mode, QFileDialog::ExistingFile);
        QVERIFY(!cancelled.confirmed);
        QVERIFY(cancelled.paths.empty());
        QCOMPARE(cancelled.errorCode, 0u);

        for (unsigned options : {0u, kOfnOverwritePrompt}) {
            FileDialogRequest save;
            save.kind = FileDialogKind::Save;
            save.initialFolder = dir.Path();
            save.initialName = "manager.bak";
            save.options = options;
            bool confirmsOverwrite = false;
            QFileDialog::AcceptMode accept = QFileDialog::AcceptOpen;
            test::WhenModal<QFileDialog>([&](QFileDialog& dialog) {
                confirmsOverwrite = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
                accept = dialog.acceptMode();
                static_cast<QDialog&>(dialog).accept();  // as the Open button does
            });
            const FileDialogResult saved = ui.FileDialog(save);
            QCOMPARE(accept, QFileDialog::AcceptSave);
            QCOMPARE(confirmsOverwrite, options == kOfnOverwritePrompt);
            QVERIFY(saved.confirmed);
            QCOMPARE(saved.paths, std::vector<std::string>{dir.File("manager.bak")});
        }
    }

    void promptFillsTheDialogAndReturnsItsText() {
        QtUserInterface ui;
        PromptRequest request;
        request.caption = "Auto Backup Time Hours";
        request.text = "24";
        request.editStyle = kEsNumber;
        QString caption;
        bool browseVisible = true;
        test::WhenModal<CPromptDlg>([&](CPromptDlg& dialog) {
            caption = dialog.windowTitle();
            browseVisible = dialog.BrowseButton()->isVisible();
            dialog.Edit()->setFocus();
            dialog.Edit()->selectAll();
            QTest::keyClicks(dialog.Edit(), QStringLiteral("x48"));
            dialog.OkButton()->click();
        });
        QCOMPARE(ui.Prompt(request), kIdOk);
        QCOMPARE(caption, QStringLiteral("Auto Backup Time Hours"));
        QVERIFY(!browseVisible);
        QCOMPARE(request.text, std::string("48"));

        request.text = "keep";
        test::WhenModal<CPromptDlg>([](CPromptDlg& dialog) { dialog.reject(); });
        QCOMPARE(ui.Prompt(request), kIdCancel);
        QCOMPARE(request.text, std::string("keep"));
    }

    void waitCursorNestsAndNeverDropsAnotherCursor() {
        QtUserInterface ui;
        QApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's
        ui.EndWaitCursor();                                // unmatched: must not remove it
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);

        ui.BeginWaitCursor();
        ui.BeginWaitCursor();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.EndWaitCursor();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.EndWaitCursor();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QApplication::restoreOverrideCursor();
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        {
            QtUserInterface forgetful;
            forgetful.BeginWaitCursor();
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void idleTextAndCaptionGoToTheFrame() {
        QStatusBar bar;
        bar.resize(600, 24);
        const QString prototypes[kStatusPaneCount - 1] = {
            QStringLiteral("100 Problems"), QStringLiteral("100 Obsolete"),
            QStringLiteral("1000 Files"), QStringLiteral("1000 KB")};
        CreateStatusPanes(bar, prototypes);
        QtUserInterface ui;
        ui.SetStatusBar(&bar);
        ui.ShowIdleMessage();
        QCOMPARE(StatusPaneText(bar, 0), QStringLiteral("Ready"));

        QStringList idle;
        QStringList captions;
        ui.SetIdleTextHandler([&](const QString& text) { idle << text; });
        ui.SetCaptionHandler([&](const QString& text) { captions << text; });
        ui.ShowIdleMessage();
        ui.RefreshCaption("week.bak");
        QCOMPARE(idle, QStringList{QStringLiteral("Ready")});
        QCOMPARE(captions, QStringList{QStringLiteral("week.bak")});
    }

    void progressLivesInTheStatusBarOnlyWhenThereIsOne() {
        QtUserInterface ui;
        auto silent = ui.CreateStatusProgress("Loading");
        QVERIFY(silent != nullptr);
        silent->SetRange(0, 4);
        silent->SetStep(1);
        silent->StepIt();
        silent->StepIt();
        QCOMPARE(silent->GetPos(), 2);

        QStatusBar bar;
        bar.resize(600, 24);
        ui.SetStatusBar(&bar);
        {
            auto shown = ui.CreateStatusProgress("Backup");
            QCOMPARE(bar.findChildren<QProgressBar*>().size(), 1);
            // The designed place: across the whole bar, 10 pixels after the caption.
            QCOMPARE(bar.findChild<QProgressBar*>()->geometry(),
                     StatusProgressRect(bar, "Backup", -1, 10, -1));
            shown->SetRange(0, 10);
            shown->SetPos(3);
            QCOMPARE(bar.findChild<QProgressBar*>()->value(), 3);
        }
        QCoreApplication::processEvents();
        QCOMPARE(bar.findChildren<QProgressBar*>().size(), 0);
    }
};

QTEST_MAIN(QtUserInterfaceTest)
#include "QtUserInterface_test.moc"
