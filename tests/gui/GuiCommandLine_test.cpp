#include <QTest>

#include "bh/Version.h"
#include "gui/GuiCommandLine.h"

using namespace bh;

namespace {

GuiCommandLine Parse(const QStringList& arguments) {
    return ParseGuiCommandLine(QStringList{QStringLiteral("brackenhold")} + arguments);
}

}  // namespace

// The desktop program's own options: help and version end the program, one manager at most
// is opened, and anything else is an error that names itself.
class GuiCommandLineTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void aManagerOrNoneRuns() {
        GuiCommandLine none = Parse({});
        QCOMPARE(none.action, GuiCommandLine::Action::Run);
        QVERIFY(none.manager.isEmpty());

        GuiCommandLine one = Parse({QStringLiteral("/home/ann/my papers.bak")});
        QCOMPARE(one.action, GuiCommandLine::Action::Run);
        QCOMPARE(one.manager, QStringLiteral("/home/ann/my papers.bak"));

        // After "--" a name that looks like an option is a manager.
        GuiCommandLine dashed = Parse({QStringLiteral("--"), QStringLiteral("--help")});
        QCOMPARE(dashed.action, GuiCommandLine::Action::Run);
        QCOMPARE(dashed.manager, QStringLiteral("--help"));
    }

    void helpAndVersionPrintAndEnd() {
        for (const char* option : {"--help", "-h"}) {
            GuiCommandLine help = Parse({QString::fromLatin1(option), QStringLiteral("a.bak")});
            QCOMPARE(help.action, GuiCommandLine::Action::Help);
            QVERIFY(help.text.contains(QStringLiteral("[MANAGER]")));
            QVERIFY(help.text.contains(QStringLiteral("--version")));
            QVERIFY(help.manager.isEmpty());
        }
        GuiCommandLine version = Parse({QStringLiteral("--version")});
        QCOMPARE(version.action, GuiCommandLine::Action::Version);
        QCOMPARE(version.text, QStringLiteral("brackenhold %1\n").arg(QLatin1String(kVersionText)));
        // -v is the command-line program's --verbose: here it is no version.
        QCOMPARE(Parse({QStringLiteral("-v")}).action, GuiCommandLine::Action::Error);
    }

    void twoManagersOrAnUnknownOptionAreErrors() {
        GuiCommandLine two = Parse({QStringLiteral("a.bak"), QStringLiteral("b.bak")});
        QCOMPARE(two.action, GuiCommandLine::Action::Error);
        QVERIFY(two.manager.isEmpty());
        QVERIFY(two.text.startsWith(QStringLiteral("brackenhold: ")));
        QVERIFY(two.text.contains(QStringLiteral("one MANAGER")));
        QVERIFY(two.text.endsWith(QStringLiteral("Run 'brackenhold --help' for usage.\n")));

        GuiCommandLine unknown = Parse({QStringLiteral("--frobnicate"), QStringLiteral("a.bak")});
        QCOMPARE(unknown.action, GuiCommandLine::Action::Error);
        QVERIFY(unknown.text.contains(QStringLiteral("frobnicate")));
        QVERIFY(unknown.manager.isEmpty());
    }
};

QTEST_GUILESS_MAIN(GuiCommandLineTest)
#include "GuiCommandLine_test.moc"
