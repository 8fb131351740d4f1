#include "PartialOutput.h"

#include "FileNames.h"
#include "SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
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

EngineStatus PartialOutput::create(const FilePath& folder) {
    discard();
    if (!isFolder(folder))
        return status::kFolderMissing;
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        anonymousFd_ = fd;
        // Writers reopen the anonymous file through its descriptor's name.
        path_ = FilePath::fromNative("/proc/self/fd/" + QByteArray::number(fd));
        return status::kOk;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return statusFromErrno(errno, FileRole::NewOutput, status::kWriteFailed);
    // Hidden, and with an extension no viewer claims, so nobody opens a half-written file.
    QByteArray name = folder.child(QByteArray(".quillmorph-XXXXXX.part")).native();
    const int named = ::mkstemps(name.data(), 5);
    if (named < 0)
        return statusFromErrno(errno, FileRole::NewOutput, status::kWriteFailed);
    ::close(named);
    path_ = FilePath::fromNative(name);
    return status::kOk;
}

bool PartialOutput::takeTimesOf(const FilePath& source) {
    struct stat info {};
    if (path_.isEmpty() || ::stat(source.c_str(), &info) != 0)
        return false;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    // Linking the anonymous file into place later leaves its times as they are.
    return anonymousFd_ >= 0 ? ::futimens(anonymousFd_, times) == 0
                             : ::utimensat(AT_FDCWD, path_.c_str(), times, 0) == 0;
}

EngineStatus PartialOutput::commit(const FilePath& finalPath) {
    if (path_.isEmpty())
        return status::kNoImage;
    if (!isFolder(finalPath.parent()))
        return status::kFolderMissing;
    if (nameIsTaken(finalPath))
        return status::kOutputExists;
    // linkat never replaces an existing name; for the named fallback, neither does
    // renameat2's RENAME_NOREPLACE.
    const bool stored =
        anonymousFd_ >= 0
            ? ::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, finalPath.c_str(), AT_SYMLINK_FOLLOW) == 0
            : ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, finalPath.c_str(), RENAME_NOREPLACE) == 0;
    if (!stored) {
        const int error = errno;
        if (!isFolder(finalPath.parent()))
            return status::kFolderMissing;
        if (nameIsTaken(finalPath))
            return status::kOutputExists;
        return statusFromErrno(error, FileRole::NewOutput, status::kWriteFailed);
    }
    if (anonymousFd_ >= 0)
        ::close(std::exchange(anonymousFd_, -1));
    path_ = {};
    return status::kOk;
}

void PartialOutput::discard() {
    if (anonymousFd_ >= 0)
        ::close(std::exchange(anonymousFd_, -1)); // the file was never linked: it is gone now
    else if (!path_.isEmpty())
        ::unlink(path_.c_str());
    path_ = {};
}

} // namespace quillmorph
