#include "gui/LocalSocketTrust.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/posix/PosixManagerLock.h"
#endif

namespace bh {

#ifdef Q_OS_UNIX

QString PrivateSocketFolder() {
    // The lock folder: every program of this user finds the same one, and it is used only
    // while it is this user's own.
    const std::string uid = std::to_string(::geteuid());
    ErrorCode error;
    const std::string folder = PosixManagerLock::ChooseLockFolder(
        std::getenv("XDG_RUNTIME_DIR"), "/run/user/" + uid, "/tmp/brackenhold-locks-" + uid, error);
    return error ? QString() : QFile::decodeName(QByteArray::fromStdString(folder));
}

bool PeerIsThisUser(qintptr socketDescriptor) {
#ifdef SO_PEERCRED
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) !=
        0) {
        return false;
    }
    return peer.uid == ::geteuid();
#else
    static_cast<void>(socketDescriptor);
    return true;
#endif
}

bool LocalNameIsOwnOrFree(const QString& serverName) {
    if (!serverName.startsWith(QLatin1Char('/'))) {
        return false;  // a bare name lands in a shared folder
    }
    struct stat st {};
    if (::lstat(QFile::encodeName(serverName).constData(), &st) != 0) {
        return errno == ENOENT;
    }
    return S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

#else

QString PrivateSocketFolder() {
    return QString();
}

bool PeerIsThisUser(qintptr) {
    return true;
}

bool LocalNameIsOwnOrFree(const QString&) {
    // Named pipes: the server's access option keeps them to this user.
    return true;
}

#endif

}  // namespace bh
