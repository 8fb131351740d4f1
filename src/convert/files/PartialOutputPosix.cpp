#include "files/PartialOutput.h"

#include "files/SystemError.h"
#include "files/SystemHandlePosix.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmorph {

PartialOutput::Attempt PartialOutput::createAnonymous(const Folder& folder) {
    const int fd = ::openat(fdOf(folder.handle()), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0)
        return {SystemHandle(fd)};
    const int error = errno;
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
        return {{}, status::kWriteFailed, true};
    return {{}, statusFromErrno(error, FileRole::NewOutput, status::kWriteFailed)};
}

PartialOutput::Attempt PartialOutput::createNamed(const Folder& folder, const QByteArray& name) {
    const int fd = ::openat(fdOf(folder.handle()), name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0)
        return {SystemHandle(fd)};
    const int error = errno;
    return {{}, statusFromErrno(error, FileRole::NewOutput, status::kWriteFailed), error == EEXIST};
}

FilePath PartialOutput::nameOf(const SystemHandle& file) {
    return FilePath::fromNative("/proc/self/fd/" + QByteArray::number(fdOf(file)));
}

bool PartialOutput::takeTimesOf(const FilePath& source) {
    struct stat info {};
    if (!file_.isOpen() || ::stat(source.c_str(), &info) != 0)
        return false;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    // Linking the file into place later leaves its times as they are.
    return ::futimens(fdOf(file_), times) == 0;
}

EngineStatus PartialOutput::placeAs(const Folder& folder, const QByteArray& name) const {
    // linkat never replaces an existing name; for the named fallback, neither does
    // renameat2's RENAME_NOREPLACE.
    const bool stored =
        temporary_.isEmpty()
            ? ::linkat(AT_FDCWD, path_.c_str(), fdOf(folder.handle()), name.constData(),
                       AT_SYMLINK_FOLLOW) == 0
            : ::renameat2(fdOf(folder_.handle()), temporary_.constData(), fdOf(folder.handle()),
                          name.constData(), RENAME_NOREPLACE) == 0;
    return stored ? status::kOk : statusFromErrno(errno, FileRole::NewOutput, status::kWriteFailed);
}

void PartialOutput::removeTemporary() const {
    ::unlinkat(fdOf(folder_.handle()), temporary_.constData(), 0);
}

} // namespace quillmorph
