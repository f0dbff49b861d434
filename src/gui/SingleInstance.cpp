#include "gui/SingleInstance.h"

#include <QDataStream>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include "gui/LocalSocketTrust.h"

namespace bh {
namespace {

// A request larger than this is not a list of file names; the connection is dropped.
constexpr qint64 kMaxRequestBytes = 4 * 1024 * 1024;
constexpr char kAcknowledge = '\x01';

}  // namespace

QString SingleInstance::DefaultServerName() {
#ifdef Q_OS_UNIX
    const QString folder = PrivateSocketFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("brackenhold.socket");
#else
    return QStringLiteral("brackenhold-") + qEnvironmentVariable("USERNAME");
#endif
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::NameIsOwnOrFree() const {
    return !serverName_.isEmpty() && LocalNameIsOwnOrFree(serverName_);
}

bool SingleInstance::ForwardToRunning(const QStringList& files, int timeoutMs) {
    if (!NameIsOwnOrFree())
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs))
        return false;

    QStringList absolute;
    for (const QString& file : files)
        absolute << QFileInfo(file).absoluteFilePath();
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << absolute;

    QByteArray framed;
    QDataStream frame(&framed, QIODevice::WriteOnly);
    frame.setVersion(QDataStream::Qt_6_0);
    frame << request;
    socket.write(framed);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAcknowledge;
}

bool SingleInstance::Listen() {
    if (server_ && server_->isListening())
        return true;
    if (!NameIsOwnOrFree())
        return false;
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    }
    if (server_->listen(serverName_))
        return true;
    // Nobody answered on the name (or the caller would not be listening), so what holds it
    // is a socket file left by a program of this user that ended abnormally; checked again
    // right before the removal.
    if (server_->serverError() == QAbstractSocket::AddressInUseError && NameIsOwnOrFree()) {
        QLocalServer::removeServer(serverName_);
        return server_->listen(serverName_);
    }
    return false;
}

bool SingleInstance::IsListening() const {
    return server_ && server_->isListening();
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            // Another user's process: its paths would become entries or open managers.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void SingleInstance::OnReadyRead(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMaxRequestBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_6_0);
    in.startTransaction();
    QByteArray request;
    in >> request;
    if (!in.commitTransaction())
        return;  // wait for the rest

    QDataStream body(request);
    body.setVersion(QDataStream::Qt_6_0);
    QStringList files;
    body >> files;
    if (body.status() != QDataStream::Ok) {
        socket->abort();
        return;
    }
    socket->putChar(kAcknowledge);
    socket->flush();
    Q_EMIT filesReceived(files);
}

}  // namespace bh
