#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "gui/SingleInstance.h"

using namespace bh;

namespace {

// A socket path of this test run in a private folder, so that a running program of the same
// user is never disturbed.
QString TestServerName() {
    static const QTemporaryDir folder;
    return folder.filePath(QStringLiteral("brackenhold.socket"));
}

// Forwards from another thread, since ForwardToRunning blocks while the receiving side
// needs this thread's event loop.
class Forwarder {
  public:
    Forwarder(QString name, QStringList files)
        : thread_([this, name, files] {
              SingleInstance second(name);
              forwarded_ = second.ForwardToRunning(files, 5000);
              done_ = true;
          }) {}
    ~Forwarder() { thread_.join(); }

    bool Done() const { return done_; }
    bool Forwarded() const { return forwarded_; }

  private:
    std::atomic<bool> done_{false};
    std::atomic<bool> forwarded_{false};
    std::thread thread_;
};

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void theNameIsInTheUsersPrivateFolder() {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString name = SingleInstance::DefaultServerName();
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(QFileInfo(name).absolutePath(), runtime.path());
        // Never the shared temporary folder, where anyone may take the name first.
        QVERIFY(QFileInfo(name).absolutePath() != QDir::tempPath());
    }

    void aNameHeldByAFileIsNeitherUsedNorRemoved() {
        QTemporaryDir folder;
        const QString name = folder.filePath(QStringLiteral("brackenhold.socket"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
        file.close();
        SingleInstance instance(name);
        QVERIFY(!instance.ForwardToRunning({QStringLiteral("/a.bak")}, 500));
        QVERIFY(!instance.Listen());
        QVERIFY(!instance.IsListening());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep"));

        // Nor a bare name, which the system would place in a folder others can write.
        SingleInstance bare(QStringLiteral("brackenhold-bare-name"));
        QVERIFY(!bare.Listen());
    }

    void withoutARunningProgramNothingIsForwarded() {
        SingleInstance alone(TestServerName());
        QVERIFY(!alone.ForwardToRunning({QStringLiteral("/a.bak")}, 500));
    }

    void secondStartHandsItsFilesToTheFirst() {
        SingleInstance first(TestServerName());
        QVERIFY(first.Listen());
        QVERIFY(first.IsListening());
        QSignalSpy received(&first, &SingleInstance::filesReceived);

        bool forwarded = false;
        {
            Forwarder second(TestServerName(),
                             {QStringLiteral("/m/week.bak"), QStringLiteral("relative name.bak")});
            QTRY_VERIFY_WITH_TIMEOUT(second.Done(), 20000);
            forwarded = second.Forwarded();
        }
        QVERIFY(forwarded);
        QCOMPARE(received.size(), 1);
        const QStringList files = received.at(0).at(0).toStringList();
        // Relative names arrive made absolute against the second start's working folder.
        QCOMPARE(
            files,
            (QStringList{QStringLiteral("/m/week.bak"),
                         QDir::current().absoluteFilePath(QStringLiteral("relative name.bak"))}));

        // A start without files reaches the first one too (it raises its window).
        {
            Forwarder empty(TestServerName(), {});
            QTRY_VERIFY_WITH_TIMEOUT(empty.Done(), 20000);
            QVERIFY(empty.Forwarded());
        }
        QCOMPARE(received.size(), 2);
        QVERIFY(received.at(1).at(0).toStringList().isEmpty());
    }

    void aStaleSocketIsTakenOver() {
        // A program that was killed leaves its socket file behind, bound but not listened on.
        const QString name = TestServerName() + QStringLiteral("-stale");
        const QByteArray path = QFile::encodeName(name);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof(address.sun_path));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
        QVERIFY(QFile::exists(QFile::decodeName(path)));

        SingleInstance first(name);
        QVERIFY(first.Listen());
        QSignalSpy received(&first, &SingleInstance::filesReceived);
        Forwarder second(name, {QStringLiteral("/x.bak")});
        QTRY_VERIFY_WITH_TIMEOUT(second.Done(), 20000);
        QVERIFY(second.Forwarded());
        QCOMPARE(received.size(), 1);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstance_test.moc"
