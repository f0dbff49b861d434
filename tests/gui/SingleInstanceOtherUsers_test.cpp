// The single-instance channel against another local user. These cases need a second user id,
// so they run as root and act as `nobody` in a child process; otherwise they are skipped.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "gui/SingleInstance.h"

using namespace bh;

namespace {

constexpr int kNothingConnected = 10;
constexpr int kSomeoneConnected = 11;
constexpr int kAcknowledged = 20;
constexpr int kRefused = 21;
constexpr int kCannotConnect = 22;
constexpr int kChildFailed = 99;

struct OtherUser {
    uid_t uid = 0;
    gid_t gid = 0;
};

bool FindNobody(OtherUser& user) {
    const passwd* entry = ::getpwnam("nobody");
    if (entry == nullptr || entry->pw_uid == ::geteuid())
        return false;
    user = OtherUser{entry->pw_uid, entry->pw_gid};
    return true;
}

// Runs `body` in a child process, as `user` when given; only system calls run there.
template <typename Body>
pid_t StartChild(const OtherUser* user, Body body) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    if (user != nullptr &&
        (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0))
        ::_exit(kChildFailed);
    ::_exit(body());
}

// The child's exit code once it ended (the event loop runs meanwhile), or -1.
int WaitForChild(pid_t pid) {
    int status = 0;
    pid_t ended = 0;
    for (int round = 0; round < 2000 && ended == 0; ++round) {
        ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == 0)
            QTest::qWait(10);
    }
    return ended == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un AddressOf(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof(address.sun_path));
    return address;
}

// A listening socket of another user at `path`: tells `ready` once it listens, waits for a
// byte on `check`, then reports whether anyone connected meanwhile, and removes its socket.
int HoldName(const QByteArray& path, int ready, int check) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = AddressOf(path);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 || ::chmod(path.constData(), 0777) != 0)
        return kChildFailed;
    char byte = 1;
    if (::write(ready, &byte, 1) != 1 || ::read(check, &byte, 1) != 1)
        return kChildFailed;
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    const int connected = ::accept(fd, nullptr, nullptr);
    ::unlink(path.constData());
    return connected >= 0 ? kSomeoneConnected : kNothingConnected;
}

// Sends one framed request as a later start does and reports whether it was acknowledged.
int SendRequest(const QByteArray& path, const QByteArray& framed) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = AddressOf(path);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return kCannotConnect;
    // A refused connection must not end the child with SIGPIPE.
    if (::send(fd, framed.constData(), framed.size(), MSG_NOSIGNAL) != framed.size())
        return kRefused;
    char answer = 0;
    return ::read(fd, &answer, 1) == 1 && answer == '\x01' ? kAcknowledged : kRefused;
}

QByteArray FramedRequest(const QStringList& files) {
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << files;
    QByteArray framed;
    QDataStream frame(&framed, QIODevice::WriteOnly);
    frame.setVersion(QDataStream::Qt_6_0);
    frame << request;
    return framed;
}

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { static_cast<void>(::pipe(fds)); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
};

void RestoreEnvironment(const char* name, const QByteArray& saved) {
    if (saved.isNull())
        qunsetenv(name);
    else
        qputenv(name, saved);
}

bool OwnedBy(const QString& path, uid_t uid) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == uid;
}

}  // namespace

class SingleInstanceOtherUsersTest : public QObject {
    Q_OBJECT

  private:
    OtherUser nobody_;

  private Q_SLOTS:
    void init() {
        if (::geteuid() != 0)
            QSKIP("needs root, to act as the user nobody");
        if (!FindNobody(nobody_))
            QSKIP("no user nobody on this system");
    }

    void anotherUsersSocketUnderTheOldNameIsLeftAlone() {
        // The name the channel had in the shared temporary folder, taken first by nobody. The
        // temporary folder is one of this test, shared like /tmp, so that nothing else on the
        // system can hold the name.
        QTemporaryDir shared;
        QVERIFY(shared.isValid());
        QCOMPARE(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        QCOMPARE(QDir::tempPath(), shared.path());
        const QString oldName =
            QDir::tempPath() + QStringLiteral("/brackenhold-%1").arg(::getuid());
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

        Pipe ready;
        Pipe check;
        const QByteArray oldPath = QFile::encodeName(oldName);
        const pid_t child =
            StartChild(&nobody_, [&] { return HoldName(oldPath, ready.fds[1], check.fds[0]); });
        char byte = 0;
        QCOMPARE(::read(ready.fds[0], &byte, 1), ssize_t(1));

        SingleInstance instance(SingleInstance::DefaultServerName());
        const bool forwarded = instance.ForwardToRunning({QStringLiteral("/m/secret.bak")}, 500);
        const bool listening = instance.Listen();
        const bool stillThere = OwnedBy(oldName, nobody_.uid);
        RestoreEnvironment("XDG_RUNTIME_DIR", savedRuntime);
        RestoreEnvironment("TMPDIR", savedTemp);
        QCOMPARE(::write(check.fds[1], &byte, 1), ssize_t(1));

        QVERIFY(!forwarded);
        QVERIFY(listening);
        QVERIFY(stillThere);
        QCOMPARE(WaitForChild(child), kNothingConnected);
    }

    void aNameHeldByAnotherUserIsNeitherConnectedToNorRemoved() {
        QTemporaryDir folder;
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::Permissions(0x7777)));
        const QString name = folder.filePath(QStringLiteral("brackenhold.socket"));
        Pipe ready;
        Pipe check;
        const QByteArray path = QFile::encodeName(name);
        const pid_t child =
            StartChild(&nobody_, [&] { return HoldName(path, ready.fds[1], check.fds[0]); });
        char byte = 0;
        QCOMPARE(::read(ready.fds[0], &byte, 1), ssize_t(1));

        SingleInstance instance(name);
        const bool forwarded = instance.ForwardToRunning({QStringLiteral("/m/secret.bak")}, 500);
        const bool listening = instance.Listen();
        const bool stillThere = OwnedBy(name, nobody_.uid);
        QCOMPARE(::write(check.fds[1], &byte, 1), ssize_t(1));

        QVERIFY(!forwarded);
        QVERIFY(!listening);  // the program runs alone
        QVERIFY(stillThere);
        QCOMPARE(WaitForChild(child), kNothingConnected);
    }

    void aRequestFromAnotherUserIsIgnored() {
        QTemporaryDir folder;
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::Permissions(0x7777)));
        const QString name = folder.filePath(QStringLiteral("brackenhold.socket"));
        SingleInstance first(name);
        QVERIFY(first.Listen());
        // Opened to everyone on purpose: what must stop the other user is the peer check.
        QCOMPARE(::chmod(QFile::encodeName(name).constData(), 0777), 0);
        QSignalSpy received(&first, &SingleInstance::filesReceived);
        const QByteArray path = QFile::encodeName(name);
        const QByteArray framed = FramedRequest({QStringLiteral("/planted/evil.bak")});

        const pid_t other = StartChild(&nobody_, [&] { return SendRequest(path, framed); });
        QCOMPARE(WaitForChild(other), kRefused);
        QCOMPARE(received.size(), 0);

        // The same request from this user is taken, so the refusal above was the peer check.
        const pid_t own = StartChild(nullptr, [&] { return SendRequest(path, framed); });
        QCOMPARE(WaitForChild(own), kAcknowledged);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toStringList(), QStringList{"/planted/evil.bak"});
    }
};

QTEST_MAIN(SingleInstanceOtherUsersTest)
#include "SingleInstanceOtherUsers_test.moc"
