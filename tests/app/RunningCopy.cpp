#include "RunningCopy.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <QtEndian>

namespace quillmorph::test {

RunningCopy::RunningCopy(const CopyHome& home, const QStringList& arguments,
                         const QString& workingDirectory) {
    process_.setProcessEnvironment(home.environment());
    if (!workingDirectory.isEmpty())
        process_.setWorkingDirectory(workingDirectory);
    process_.start(QStringLiteral(QUILLMORPH_APP), arguments);
    process_.waitForStarted();
}

RunningCopy::~RunningCopy() {
    kill();
}

void RunningCopy::kill() {
    if (!isRunning())
        return;
    process_.kill();
    process_.waitForFinished();
}

QByteArray handOverFrame(const FilePaths& files, const QByteArray& preset) {
    QByteArray payload;
    if (!preset.isEmpty())
        payload += "preset=" + preset + '\0';
    for (const FilePath& file : files)
        payload += file.native() + '\0';
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

int sendToCopy(const QString& serverName, const QByteArray& bytes, int timeoutMs) {
    QLocalSocket socket;
    QElapsedTimer timer;
    timer.start();
    socket.connectToServer(serverName);
    while (socket.state() != QLocalSocket::ConnectedState) {
        if (socket.state() == QLocalSocket::UnconnectedState || timer.elapsed() > timeoutMs)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    socket.write(bytes);
    while (socket.bytesAvailable() < 1) {
        if (socket.state() == QLocalSocket::UnconnectedState || timer.elapsed() > timeoutMs)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    char answer = 0;
    socket.getChar(&answer);
    return static_cast<unsigned char>(answer);
}

} // namespace quillmorph::test
