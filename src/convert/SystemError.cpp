#include "SystemError.h"

#include <cerrno>
#include <cstring>

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

} // namespace quillmorph
