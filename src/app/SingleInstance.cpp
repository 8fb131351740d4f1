#include "SingleInstance.h"

#include "MeetingPlace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace quillmorph {

namespace {

// A hand-over is a 32-bit big-endian length, then each absolute path in the file system's
// encoding followed by a NUL (the one byte no path holds); the first copy answers with
// kReceived. One frame per connection. A frame for a preset starts with "preset=" and its name
// (UTF-8) and a NUL; no path starts so, and a frame without it is one of any version.
const QByteArray kPresetMark("preset=");
constexpr char kReceived = '\x06';
constexpr quint32 kMaxHandOver = 16 * 1024 * 1024;

// The paths of a well-formed payload, and the preset it names; no paths for anything else,
// which is refused whole.
FilePaths handedOverFiles(QByteArray payload, QString& preset) {
    if (!payload.endsWith('\0'))
        return {};
    if (payload.startsWith(kPresetMark)) {
        const qsizetype end = payload.indexOf('\0');
        preset = QString::fromUtf8(payload.mid(kPresetMark.size(), end - kPresetMark.size()));
        payload.remove(0, end + 1);
        if (payload.isEmpty())
            return {};
    }
    FilePaths files;
    for (const QByteArray& path : payload.chopped(1).split('\0')) {
        if (!meeting::isFullPath(path))
            return {};
        files << FilePath::fromNative(path);
    }
    return files;
}

// The user id keeps two users apart even where they share a folder.
QString fileName(const QString& folder, const char* suffix) {
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(
        QStringLiteral("quillmorph-%1.%2").arg(meeting::userTag(), QLatin1String(suffix)));
}

// A lock of ours is written right after it is made; one still without its process long after
// was cut short by a crash and will never be judged stale on its own.
constexpr qint64 kUnwrittenLockAgeMs = 10000;

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), folder_(folder),
      serverName_(meeting::serverName(fileName(folder, "socket"))),
      lock_(fileName(folder, "lock")) {
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    // A copy may run for days; only a lock whose process is gone is stale.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

QString SingleInstance::userFolder() {
    return meetingFolder(meeting::sessionFolder(), meeting::fallbackFolders());
}

QString SingleInstance::meetingFolder(const QString& runtime, const QStringList& fallbacks) {
    if (meeting::isPrivateFolder(runtime))
        return runtime;
    for (const QString& folder : fallbacks) {
        if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && meeting::madePrivate(folder))
            return folder;
    }
    return {};
}

bool SingleInstance::claim() {
    if (folder_.isEmpty())
        return true;
    const QString lockPath = fileName(folder_, "lock");
    meeting::removeUnlessOwn(lockPath);
    meeting::removeUnlessOwn(fileName(folder_, "socket"));
    if (!lock_.tryLock(0) && lock_.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        const qint64 age = QFileInfo(lockPath).lastModified().msecsTo(QDateTime::currentDateTime());
        const bool written = lock_.getLockInfo(&pid, &host, &application);
        // A lock that names this very process, which has not taken it, was left by a copy
        // whose process number has come round to this one (Wine gives the same numbers in the
        // same order after a restart): nobody holds it.
        const bool leftForUs = written && pid == QCoreApplication::applicationPid() &&
                               host == QSysInfo::machineHostName();
        if ((written && !leftForUs) || (!written && age < kUnwrittenLockAgeMs) ||
            !lock_.removeStaleLockFile() || !lock_.tryLock(0))
            return false;
    }
    // Without a usable lock (a read-only folder) this copy still runs rather than refuse to
    // start. A socket left behind by a copy that crashed would make listen fail; whoever holds
    // the lock owns the name.
    QLocalServer::removeServer(serverName_);
    server_.listen(serverName_);
    return true;
}

bool SingleInstance::handOver(const FilePaths& files, int timeoutMs, const QString& preset) const {
    if (serverName_.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running copy may have taken the lock a moment ago and not be listening yet.
    for (;;) {
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            if (!meeting::peerIsThisUser(socket))
                return false;
            break;
        }
        if (deadline.hasExpired())
            return false;
        socket.abort();
        QThread::msleep(50);
    }
    QByteArray payload;
    if (!preset.isEmpty())
        payload += kPresetMark + preset.toUtf8().replace('\0', ' ') + '\0';
    for (const FilePath& file : files)
        payload += file.native() + '\0';
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    socket.write(frame + payload);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kReceived;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!meeting::peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readHandOver(socket); });
        // A later copy sends its whole frame at once and gives up after kHandOverTimeoutMs; a
        // connection still short of a frame by then is cut, so none lingers for days.
        QTimer::singleShot(kHandOverTimeoutMs, socket, &QLocalSocket::abort);
        readHandOver(socket);
    }
}

void SingleInstance::readHandOver(QLocalSocket* socket) {
    if (socket->bytesAvailable() < 4)
        return;
    const quint32 size = qFromBigEndian<quint32>(socket->peek(4).constData());
    if (size > kMaxHandOver) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + qint64(size))
        return;
    socket->skip(4);
    QString preset;
    const FilePaths files = handedOverFiles(socket->read(size), preset);
    // Whatever else comes on this connection is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    if (files.isEmpty()) {
        socket->abort();
        return;
    }
    // Answered before anything is shown: a receiver may open a box that waits for the user,
    // and the later copy gives up after kHandOverTimeoutMs. Once the answer is out, this
    // connection is done with; a client gone meanwhile costs nothing.
    socket->putChar(kReceived);
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT filesReceived(files, preset);
}

} // namespace quillmorph
