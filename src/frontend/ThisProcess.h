#pragma once

#include <QByteArrayList>
#include <QtGlobal>

class QFileInfo;

// What the window and the command-line tool ask the operating system about themselves and
// other processes. Each system has its own implementation file. Any thread.
namespace quillmorph::thisProcess {

// True when no process pid runs any more; one that runs as another user still runs.
bool processIsGone(qint64 pid);

// True when file belongs to the user this process runs as.
bool ownedByThisUser(const QFileInfo& file);

// True when the standard error stream is a terminal (a person reads it as it comes).
bool standardErrorIsTerminal();

// The environment variables this process and its libraries take the temporary folder from.
QByteArrayList temporaryFolderVariables();

} // namespace quillmorph::thisProcess
