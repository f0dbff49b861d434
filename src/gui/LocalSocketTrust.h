#pragma once

#include <QString>
#include <QtGlobal>

namespace bh {

// Who may use the single-instance channel: only processes of this user.

// The private folder the channel's socket lives in, ending in '/'; empty when the user has
// none (then there is no channel).
QString PrivateSocketFolder();

// Whether the process at the other end of a connected local socket runs as this user. Where
// the system cannot tell (no peer credentials), the socket's own permissions are the guard.
bool PeerIsThisUser(qintptr socketDescriptor);

// Whether `serverName` is free or a socket this user owns, that is, safe to connect to or to
// replace. A name held by anything else (another user's socket, a file, a link) is neither.
bool LocalNameIsOwnOrFree(const QString& serverName);

}  // namespace bh
