#include "PartialOutput.h"

#include "SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace quillmorph {

PartialOutput::PartialOutput(PartialOutput&& other) noexcept
    : path_(std::exchange(other.path_, {})), anonymousFd_(std::exchange(other.anonymousFd_, -1)) {}

PartialOutput& PartialOutput::operator=(PartialOutput&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
        anonymousFd_ = std::exchange(other.anonymousFd_, -1);
    }
    return *this;
}

PartialOutput::~PartialOutput() {
    discard();
}

EngineStatus PartialOutput::create(const QString& folder) {
    discard();
    if (!QFileInfo(folder).isDir())
        return status::kFolderMissing;
    const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        anonymousFd_ = fd;
        // Writers reopen the anonymous file through its descriptor's name.
        path_ = QStringLiteral("/proc/self/fd/%1").arg(fd);
        return status::kOk;
    }
    if (errno == ENOSPC || errno == EDQUOT)
        return status::kDiskFull;
    if (errno == EACCES || errno == EPERM || errno == EROFS)
        return status::kAccessDenied;
    // Hidden, and with an extension no viewer claims, so nobody opens a half-written file.
    QTemporaryFile file(folder + QLatin1String("/.quillmorph-XXXXXX.part"));
    if (!file.open())
        return statusFromSystemMessage(file.errorString(), status::kWriteFailed);
    file.setAutoRemove(false);
    path_ = file.fileName();
    return status::kOk;
}

EngineStatus PartialOutput::commit(const QString& finalPath) {
    if (path_.isEmpty())
        return status::kNoImage;
    const QFileInfo target(finalPath);
    if (!QFileInfo(target.absolutePath()).isDir())
        return status::kFolderMissing;
    if (target.exists() || target.isSymLink())
        return status::kOutputExists;
    const bool stored =
        anonymousFd_ >= 0
            // linkat never replaces an existing name
            ? ::linkat(AT_FDCWD, QFile::encodeName(path_).constData(), AT_FDCWD,
                       QFile::encodeName(finalPath).constData(), AT_SYMLINK_FOLLOW) == 0
            : QFile::rename(path_, finalPath);
    if (!stored) {
        if (!QFileInfo(target.absolutePath()).isDir())
            return status::kFolderMissing;
        return QFileInfo::exists(finalPath) ? status::kOutputExists : status::kWriteFailed;
    }
    if (anonymousFd_ >= 0)
        ::close(std::exchange(anonymousFd_, -1));
    path_.clear();
    return status::kOk;
}

void PartialOutput::discard() {
    if (anonymousFd_ >= 0)
        ::close(std::exchange(anonymousFd_, -1)); // the file was never linked: it is gone now
    else if (!path_.isEmpty())
        QFile::remove(path_);
    path_.clear();
}

} // namespace quillmorph
