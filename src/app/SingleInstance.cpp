#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <unistd.h>

namespace quillmorph {

namespace {

// A hand-over is a 32-bit big-endian length, then each absolute path in the file system's
// encoding followed by a NUL (the one byte no path holds); the first copy answers with
// kReceived. One frame per connection.
constexpr char kReceived = '\x06';
constexpr quint32 kMaxHandOver = 16 * 1024 * 1024;

// The paths of a well-formed payload; empty for anything else, which is refused whole.
FilePaths handedOverFiles(const QByteArray& payload) {
    if (!payload.endsWith('\0'))
        return {};
    FilePaths files;
    for (const QByteArray& path : payload.chopped(1).split('\0')) {
        if (!path.startsWith('/'))
            return {};
        files << FilePath::fromNative(path);
    }
    return files;
}

// The user id keeps two users apart even where they share a folder (the temporary folder).
QString fileName(const QString& folder, const char* suffix) {
    return QDir(folder).filePath(
        QStringLiteral("quillmorph-%1.%2").arg(quint64(::getuid())).arg(QLatin1String(suffix)));
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), serverName_(fileName(folder, "socket")), lock_(fileName(folder, "lock")) {
    QDir().mkpath(folder);
    // A copy may run for days; only a lock whose process is gone is stale.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

QString SingleInstance::userFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool SingleInstance::claim() {
    if (!lock_.tryLock(0) && lock_.error() == QLockFile::LockFailedError)
        return false;
    // Without a usable lock (a read-only folder) this copy still runs rather than refuse to
    // start. A socket left behind by a copy that crashed would make listen fail; whoever holds
    // the lock owns the name.
    QLocalServer::removeServer(serverName_);
    server_.listen(serverName_);
    return true;
}

bool SingleInstance::handOver(const FilePaths& files, int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running copy may have taken the lock a moment ago and not be listening yet.
    for (;;) {
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        socket.abort();
        QThread::msleep(50);
    }
    QByteArray payload;
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
    if (socket->bytesAvailable() < qint64(4 + size))
        return;
    socket->skip(4);
    const FilePaths files = handedOverFiles(socket->read(size));
    // Whatever else comes on this connection is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    if (files.isEmpty()) {
        socket->abort();
        return;
    }
    Q_EMIT filesReceived(files);
    socket->putChar(kReceived);
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace quillmorph
