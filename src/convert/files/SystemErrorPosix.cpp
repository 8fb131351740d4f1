#include "files/SystemError.h"

#include "files/SystemErrorWordings.h"

#include <cerrno>
#include <cstring>

namespace quillmorph {

namespace {

struct ErrnoStatus {
    int error;
    EngineStatus named;     // status::kOk: the fallback
    EngineStatus newOutput; // status::kOk: the fallback
};

// In the order a message is searched: where a text names two errors, the first row wins.
constexpr ErrnoStatus kErrnoStatuses[] = {
    {ENOSPC, status::kDiskFull, status::kDiskFull},
    {EDQUOT, status::kDiskFull, status::kDiskFull},
    {EACCES, status::kAccessDenied, status::kAccessDenied},
    {EPERM, status::kAccessDenied, status::kAccessDenied},
    {EROFS, status::kAccessDenied, status::kAccessDenied},
    {ENOENT, status::kFileNotFound, status::kFolderMissing},
    {ENOTDIR, status::kOk, status::kFolderMissing},
    {EISDIR, status::kNotAFile, status::kOk},
    {ENOMEM, status::kOutOfMemory, status::kOutOfMemory},
    {ENAMETOOLONG, status::kNameTooLong, status::kNameTooLong},
    // A limit of the process or the system, whichever file meets it: not the file's fault.
    {ENFILE, status::kTooManyOpenFiles, status::kTooManyOpenFiles},
    {EMFILE, status::kTooManyOpenFiles, status::kTooManyOpenFiles},
};

EngineStatus orFallback(EngineStatus status, EngineStatus fallback) {
    return status != status::kOk ? status : fallback;
}

} // namespace

EngineStatus statusFromErrno(int error, FileRole role, EngineStatus fallback) {
    for (const ErrnoStatus& row : kErrnoStatuses) {
        if (row.error == error)
            return orFallback(role == FileRole::Named ? row.named : row.newOutput, fallback);
    }
    return fallback;
}

EngineStatus statusFromSystemMessage(const QString& text, EngineStatus fallback) {
    for (const ErrnoStatus& row : kErrnoStatuses) {
        if (row.named != status::kOk &&
            text.contains(QString::fromLocal8Bit(std::strerror(row.error)), Qt::CaseInsensitive))
            return row.named;
    }
    return fallback;
}

QStringList temporaryFolderFullWordings() {
    QStringList wordings;
    for (const int error : {ENOSPC, EDQUOT, EFBIG})
        wordings << QString::fromLocal8Bit(std::strerror(error));
    return wordings;
}

} // namespace quillmorph
