#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "core/ports/MessageBoxFlags.h"
#include "gui/AboutDlg.h"
#include "gui/BuildConfig.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

using namespace bh;

class AboutDlgTest : public QObject {
    Q_OBJECT

  private:
    static QString LabelText(QWidget& dialog, const char* name) {
        auto* label = dialog.findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<missing>");
    }

  private Q_SLOTS:
    void showsTheProgramsIdentity() {
        RecordingShell shell;
        ScriptedUserInterface ui;
        CAboutDlg dialog(shell, ui);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About Brackenhold"));
        QCOMPARE(LabelText(dialog, "versionText"), QStringLiteral("Brackenhold Version 1.005"));
        QCOMPARE(LabelText(dialog, "contactAddress"), QString::fromUtf8(kContactAddress));
        QCOMPARE(LabelText(dialog, "descriptionText"),
                 QStringLiteral("Brackenhold is an archive and distribution file manager. It "
                                "copies a source file to an archive file whenever the archive is "
                                "out of date. The source and archive can be located in arbitrary "
                                "network folders."));
        // The licence is part of what the program tells about itself.
        QVERIFY(LabelText(dialog, "licenceText")
                    .startsWith(QStringLiteral("Licensed under the GNU General Public License, "
                                               "version 3 or (at your option) any later")));
        auto* icon = dialog.findChild<QLabel*>(QStringLiteral("programIcon"));
        QVERIFY(icon != nullptr);
        QVERIFY(!icon->pixmap().isNull());
        QCOMPARE(dialog.EmailButton()->text(), QStringLiteral("email"));
        QCOMPARE(dialog.EmailButton()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);
    }

    void emailOpensTheMailLinkAndStaysOpen() {
        RecordingShell shell;
        ScriptedUserInterface ui;
        CAboutDlg dialog(shell, ui);
        dialog.show();
        QTest::mouseClick(dialog.EmailButton(), Qt::LeftButton);
        QCOMPARE(shell.Count(ShellCallKind::OpenAddress), 1);
        QCOMPARE(QString::fromStdString(shell.Calls().back().path),
                 QStringLiteral("mailto:") + QString::fromUtf8(kContactAddress) +
                     QStringLiteral("?subject=Concerning your program Brackenhold"));
        QVERIFY(ui.MessageBoxes().empty());
        QVERIFY(dialog.isVisible());
    }

    void failedMailSaysSoAndStaysOpen() {
        RecordingShell shell;
        shell.SetOpenAddressResult(false);
        ScriptedUserInterface ui;
        CAboutDlg dialog(shell, ui);
        dialog.show();
        QTest::mouseClick(dialog.EmailButton(), Qt::LeftButton);
        const auto boxes = ui.MessageBoxes();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, std::string("Problem sending mail."));
        QCOMPARE(boxes[0].caption, std::string("Send Veddo Mail"));
        QCOMPARE(boxes[0].flags, kMbOk | kMbIconHand);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

    void escapeAndOkCloseIt() {
        RecordingShell shell;
        ScriptedUserInterface ui;
        CAboutDlg dialog(shell, ui);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        dialog.show();
        QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
        QPushButton* okButton = nullptr;
        for (QPushButton* button : buttons) {
            if (button->text().remove(QLatin1Char('&')) == QStringLiteral("OK"))
                okButton = button;
        }
        QVERIFY(okButton != nullptr);
        QTest::mouseClick(okButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(shell.Count(ShellCallKind::OpenAddress), 0);
    }
};

QTEST_MAIN(AboutDlgTest)
#include "AboutDlg_test.moc"
