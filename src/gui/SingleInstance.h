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
    // The local socket name of this user's running program.
    static QString DefaultServerName();

    explicit SingleInstance(QString serverName = DefaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Sends `files` (made absolute, since the running program has another working folder)
    // to a running program. True when one confirmed it received them; false when none is
    // running or it did not answer within `timeoutMs`. Blocks the calling thread meanwhile.
    bool ForwardToRunning(const QStringList& files, int timeoutMs = 2000);

    // Starts accepting later starts, replacing a socket left behind by a program that ended
    // without removing it. False when the name cannot be taken.
    bool Listen();
    bool IsListening() const;

  Q_SIGNALS:
    // A later start asked to open these files (absolute paths, possibly none).
    void filesReceived(const QStringList& files);

  private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString serverName_;
    QLocalServer* server_ = nullptr;
};

}  // namespace bh
