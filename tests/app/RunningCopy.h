#pragma once

#include "files/FilePath.h"

#include "CopyHome.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quillmorph::test {

// The built quillmorph program running in a CopyHome; killed, if still running, when destroyed.
class RunningCopy {
public:
    RunningCopy(const CopyHome& home, const QStringList& arguments,
                const QString& workingDirectory = {});
    ~RunningCopy();
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;

    QProcess& process() { return process_; }
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    // Kills the copy at once, as a crash would end it.
    void kill();

private:
    QProcess process_;
};

// What a later copy sends to hand files over: a 32-bit big-endian length, then each path in
// the file system's encoding followed by a NUL; with a preset, "preset=" and its name and a NUL
// before them.
QByteArray handOverFrame(const FilePaths& files, const QByteArray& preset = {});

// Sends bytes to the copy listening on serverName from this thread, serving this thread's
// events meanwhile (the listener may be here too); the first byte answered, or -1 when none
// came before the connection closed or the time ran out.
int sendToCopy(const QString& serverName, const QByteArray& bytes, int timeoutMs = 30000);

} // namespace quillmorph::test
