#pragma once

#include <QString>
#include <QStringList>

class QLocalSocket;

// What keeping to one running copy per user needs of the operating system: where the copies
// of one user may meet, that the place is theirs alone, and who stands at the other end of a
// connection. Each system has its own implementation file. Any thread.
namespace quillmorph::meeting {

// Keeps two users' lock and socket apart where they share a folder (the user id).
QString userTag();

// The name the first copy listens by, given its socket's file in the meeting folder (empty: none).
QString serverName(const QString& socketFile);

// True for a full path as this system spells one, the only kind a hand-over names.
bool isFullPath(const QByteArray& path);

// The session's own folder for the user's programs, or empty where there is none; then the
// folders of the user's own to try in its stead, in order.
QString sessionFolder();
QStringList fallbackFolders();

// True for a folder of this user's that nobody else can enter, and no link to one.
bool isPrivateFolder(const QString& path);

// path as a private folder: made so when missing; one of the user's own is closed to others.
// False when it is not, and cannot be made, such a folder.
bool madePrivate(const QString& path);

// True when the process at the other end of socket (connected) runs as this user.
bool peerIsThisUser(const QLocalSocket& socket);

// Removes a lock or socket at path that is not this user's own file (or is a link): what
// someone else left is never trusted.
void removeUnlessOwn(const QString& path);

} // namespace quillmorph::meeting
