#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace bh {

// Keeps one running program per user: a later start hands the files it was asked to open to
// the running one and exits.
//
//   SingleInstance instance;
//   if (instance.ForwardToRunning(files)) return 0;   // the running program took them
//   instance.Listen();                                // we are the first: accept later starts
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The local socket of this user's running program: a path in the user's private runtime
    // folder (the one the manager locks use), never in a folder other users can write, where
    // whoever took the name first would receive the paths of every later start. Empty when
    // there is no private folder; the program then runs alone.
    static QString DefaultServerName();

    explicit SingleInstance(QString serverName = DefaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Sends `files` (made absolute, since the running program has another working folder)
    // to a running program. True when one confirmed it received them; false when none is
    // running, it did not answer within `timeoutMs`, or the name is held by anything but a
    // socket of this user (which is never connected to). Blocks the calling thread meanwhile.
    bool ForwardToRunning(const QStringList& files, int timeoutMs = 2000);

    // Starts accepting later starts, replacing a socket left behind by this user's program that
    // ended without removing it. False when the name cannot be taken; a name held by another
    // user is never removed. Requests from processes of other users are ignored.
    bool Listen();
    bool IsListening() const;

  Q_SIGNALS:
    // A later start asked to open these files (absolute paths, possibly none).
    void filesReceived(const QStringList& files);

  private:
    bool NameIsOwnOrFree() const;
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString serverName_;
    QLocalServer* server_ = nullptr;
};

}  // namespace bh
