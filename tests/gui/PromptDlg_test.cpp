#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ModalDriver.h"
#include "core/ports/MessageBoxFlags.h"
#include "gui/BrowseForFolder.h"
#include "gui/PromptDlg.h"
#include "support/TempDir.h"

using namespace bh;

class PromptDlgTest : public QObject {
    Q_OBJECT

  private:
    QString browseStart_;
    QString browseTitle_;
    int browseCalls_ = 0;

    // The folder browser answers `chosen`, or cancels when it is empty.
    void ChooseFolder(const QString& chosen) {
        SetFolderChooser(
            [this, chosen](QWidget*, const QString& start, const QString& title, QString& out) {
                ++browseCalls_;
                browseStart_ = start;
                browseTitle_ = title;
                if (chosen.isEmpty())
                    return false;
                out = chosen;
                return true;
            });
    }

    // Shows a browsing dialog on `text`, presses "<" and returns the edit's text after it.
    QString BrowseFrom(const QString& text, const QString& chosen) {
        ChooseFolder(chosen);
        CPromptDlg dialog;
        dialog.allowBrowse = 1;
        dialog.text = text;
        dialog.show();
        QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
        return dialog.Edit()->text();
    }

  private Q_SLOTS:
    void init() {
        browseStart_.clear();
        browseTitle_.clear();
        browseCalls_ = 0;
    }
    void cleanup() { SetFolderChooser({}); }

    void opensWithCaptionTextAndFocusOnOk() {
        CPromptDlg dialog;
        dialog.caption = QStringLiteral("Edit Selected Notes");
        dialog.text = QStringLiteral("old note");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Selected Notes"));
        QCOMPARE(dialog.Edit()->text(), QStringLiteral("old note"));
        QCOMPARE(dialog.focusWidget(), dialog.OkButton());
        QVERIFY(dialog.OkButton()->isDefault());
        QCOMPARE(dialog.OkButton()->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("Cancel"));
    }

    void hiddenBrowseButtonGivesItsPlaceToTheEdit() {
        CPromptDlg plain;
        plain.show();
        QVERIFY(!plain.BrowseButton()->isVisible());
        QCOMPARE(plain.Edit()->geometry().right(), plain.BrowseButton()->geometry().right());

        CPromptDlg browsing;
        browsing.allowBrowse = 1;
        browsing.show();
        QVERIFY(browsing.BrowseButton()->isVisible());
        QVERIFY(browsing.Edit()->geometry().right() < browsing.BrowseButton()->geometry().left());
        // Widening keeps the edit's left edge, top and height.
        QCOMPARE(plain.Edit()->geometry().left(), browsing.Edit()->geometry().left());
        QCOMPARE(plain.Edit()->geometry().top(), browsing.Edit()->geometry().top());
        QCOMPARE(plain.Edit()->geometry().height(), browsing.Edit()->geometry().height());
        // The edit and the buttons lie inside the dialog, the buttons below the edit.
        QVERIFY(plain.rect().contains(plain.Edit()->geometry()));
        QVERIFY(plain.OkButton()->geometry().top() > plain.Edit()->geometry().bottom());
        QVERIFY(plain.OkButton()->geometry().right() < plain.CancelButton()->geometry().left());
    }

    void okReturnsTheEditedTextAndCancelKeepsTheOld() {
        CPromptDlg confirmed;
        confirmed.text = QStringLiteral("before");
        test::WhenModal<CPromptDlg>([](CPromptDlg& dialog) {
            dialog.Edit()->setText(QStringLiteral("after"));
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
        QCOMPARE(confirmed.DoModal(), kIdOk);
        QCOMPARE(confirmed.text, QStringLiteral("after"));

        CPromptDlg byEnter;
        test::WhenModal<CPromptDlg>([](CPromptDlg& dialog) {
            dialog.Edit()->setFocus();
            dialog.Edit()->setText(QStringLiteral("typed"));
            QTest::keyClick(dialog.Edit(), Qt::Key_Return);
        });
        QCOMPARE(byEnter.DoModal(), kIdOk);
        QCOMPARE(byEnter.text, QStringLiteral("typed"));

        CPromptDlg cancelled;
        cancelled.text = QStringLiteral("before");
        test::WhenModal<CPromptDlg>([](CPromptDlg& dialog) {
            dialog.Edit()->setText(QStringLiteral("thrown away"));
            QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        });
        QCOMPARE(cancelled.DoModal(), kIdCancel);
        QCOMPARE(cancelled.text, QStringLiteral("before"));

        CPromptDlg escaped;
        test::WhenModal<CPromptDlg>(
            [](CPromptDlg& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QCOMPARE(escaped.DoModal(), kIdCancel);
    }

    void numberStyleAcceptsDigitsOnly() {
        CPromptDlg digits;
        digits.editStyle = kEsNumber;
        digits.text = QStringLiteral("24");
        digits.show();
        digits.Edit()->setFocus();
        digits.Edit()->end(false);
        QTest::keyClicks(digits.Edit(), QStringLiteral("1a-2 3"));
        QCOMPARE(digits.Edit()->text(), QStringLiteral("24123"));

        CPromptDlg free;
        free.show();
        free.Edit()->setFocus();
        QTest::keyClicks(free.Edit(), QStringLiteral("1a-2"));
        QCOMPARE(free.Edit()->text(), QStringLiteral("1a-2"));
    }

    void browseKeepsTheFileNameInTheChosenFolder() {
        QCOMPARE(BrowseFrom(QStringLiteral("/old/sub/report.doc"), QStringLiteral("/new")),
                 QStringLiteral("/new/report.doc"));
        QCOMPARE(browseStart_, QStringLiteral("/old/sub"));
        QCOMPARE(browseTitle_, QStringLiteral("Choose New Archive Folder"));

        // A root keeps its single separator.
        QCOMPARE(BrowseFrom(QStringLiteral("/old/report.doc"), QStringLiteral("/")),
                 QStringLiteral("/report.doc"));
        // A file in the root starts the browser at the root.
        BrowseFrom(QStringLiteral("/report.doc"), QStringLiteral("/x"));
        QCOMPARE(browseStart_, QStringLiteral("/"));
        // Without any separator the whole text is the file name and nothing is preselected.
        QCOMPARE(BrowseFrom(QStringLiteral("report.doc"), QStringLiteral("/new")),
                 QStringLiteral("/new/report.doc"));
        QCOMPARE(browseStart_, QString());
        // Drive-letter paths keep their backslashes.
        QCOMPARE(BrowseFrom(QStringLiteral("X:\\old\\report.doc"), QStringLiteral("Y:\\new")),
                 QStringLiteral("Y:\\new\\report.doc"));
        QCOMPARE(browseStart_, QStringLiteral("X:\\old"));
        QCOMPARE(BrowseFrom(QStringLiteral("X:\\old\\report.doc"), QStringLiteral("Y:\\")),
                 QStringLiteral("Y:\\report.doc"));
        QCOMPARE(browseCalls_, 6);
    }

    void cancelledBrowseKeepsWhatWasTyped() {
        ChooseFolder(QString());
        CPromptDlg dialog;
        dialog.allowBrowse = 1;
        dialog.text = QStringLiteral("/a/b.txt");
        dialog.show();
        dialog.Edit()->setText(QStringLiteral("/typed/so far.txt"));
        QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
        QCOMPARE(browseCalls_, 1);
        QCOMPARE(browseStart_, QStringLiteral("/typed"));
        QCOMPARE(dialog.Edit()->text(), QStringLiteral("/typed/so far.txt"));
        // The browse button copied the edit into `text`, so even a Cancel leaves it there.
        QCOMPARE(dialog.text, QStringLiteral("/typed/so far.txt"));
    }

    void realBrowserOffersFoldersOnlyFromThePreselection() {
        test::TempDir dir;
        const QString start = QString::fromStdString(dir.MakeFolder("old"));
        const QString target = QString::fromStdString(dir.MakeFolder("new"));
        dir.Write("old/file.txt", "x");

        QString title;
        QString shownFolder;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        bool dirsOnly = false;
        test::WhenModal<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            shownFolder = dialog.directory().absolutePath();
            mode = dialog.fileMode();
            dirsOnly = dialog.testOption(QFileDialog::ShowDirsOnly);
            dialog.setDirectory(target);
            dialog.selectFile(target);
            static_cast<QDialog&>(dialog).accept();  // as the Choose button does
        });
        QString folder = start;
        QVERIFY(BrowseForFolder(nullptr, folder, QStringLiteral("Choose New Archive Folder")));
        QCOMPARE(title, QStringLiteral("Choose New Archive Folder"));
        QCOMPARE(shownFolder, start);
        QCOMPARE(mode, QFileDialog::Directory);
        QVERIFY(dirsOnly);
        QCOMPARE(folder, target);

        test::WhenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        QString unchanged = start;
        QVERIFY(!BrowseForFolder(nullptr, unchanged, QStringLiteral("t")));
        QCOMPARE(unchanged, start);
    }

    void browsedTextIsWhatOkReturns() {
        ChooseFolder(QStringLiteral("/archive"));
        CPromptDlg dialog;
        dialog.allowBrowse = 1;
        dialog.text = QStringLiteral("/data/notes.txt");
        test::WhenModal<CPromptDlg>([](CPromptDlg& shown) {
            QTest::mouseClick(shown.BrowseButton(), Qt::LeftButton);
            QTest::mouseClick(shown.OkButton(), Qt::LeftButton);
        });
        QCOMPARE(dialog.DoModal(), kIdOk);
        QCOMPARE(dialog.text, QStringLiteral("/archive/notes.txt"));
    }
};

QTEST_MAIN(PromptDlgTest)
#include "PromptDlg_test.moc"
