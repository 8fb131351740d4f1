#include "SystemError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillmorph {

EngineStatus statusFromSystemMessage(const QString& text, EngineStatus fallback) {
    const auto mentions = [&](int error) {
        return text.contains(QString::fromLocal8Bit(std::strerror(error)), Qt::CaseInsensitive);
    };
    if (mentions(ENOSPC) || mentions(EDQUOT))
        return status::kDiskFull;
    if (mentions(EACCES) || mentions(EPERM) || mentions(EROFS))
        return status::kAccessDenied;
    if (mentions(ENOENT))
        return status::kFileNotFound;
    if (mentions(EISDIR))
        return status::kNotAFile;
    if (mentions(ENOMEM))
        return status::kOutOfMemory;
    return fallback;
}

void openForWriting(QFile& file, const FilePath& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FileWriteError(std::strerror(errno));
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileWriteError(file.errorString().toStdString());
    }
}

} // namespace quillmorph
