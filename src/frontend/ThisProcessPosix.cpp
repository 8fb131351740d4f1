#include "frontend/ThisProcess.h"

#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace quillmorph::thisProcess {

bool processIsGone(qint64 pid) {
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

bool ownedByThisUser(const QFileInfo& file) {
    return file.ownerId() == ::getuid();
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

QByteArrayList temporaryFolderVariables() {
    return {QByteArrayLiteral("TMPDIR")};
}

} // namespace quillmorph::thisProcess
