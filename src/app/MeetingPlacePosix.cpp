#include "MeetingPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmorph::meeting {

QString userTag() {
    return QString::number(quint64(::getuid()));
}

// A local socket is a file here, kept private by its folder.
QString serverName(const QString& socketFile) {
    return socketFile;
}

bool isFullPath(const QByteArray& path) {
    return path.startsWith('/');
}

QString sessionFolder() {
    // Read directly: without it, Qt would offer a folder in the shared temporary folder.
    return qEnvironmentVariable("XDG_RUNTIME_DIR");
}

QStringList fallbackFolders() {
    return {QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                .filePath(QStringLiteral("quillmorph")),
            QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                .filePath(QStringLiteral("quillmorph/run"))};
}

bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

bool madePrivate(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ::mkdir(name.constData(), 0700);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(name.constData(), 0700) == 0;
}

// Only this user may stand at the other end: another user could otherwise listen in our place
// and swallow the files, or hand this window paths of theirs.
bool peerIsThisUser(const QLocalSocket& socket) {
    const qintptr descriptor = socket.socketDescriptor();
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return descriptor >= 0 &&
           ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

void removeUnlessOwn(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0 &&
        (info.st_uid != ::getuid() || S_ISLNK(info.st_mode)))
        ::unlink(name.constData());
}

} // namespace quillmorph::meeting
