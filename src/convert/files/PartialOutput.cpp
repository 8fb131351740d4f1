#include "files/PartialOutput.h"

#include "files/SystemError.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quillmorph {

namespace {

// Hidden, and with an extension no viewer claims, so nobody opens a half-written file.
QByteArray temporaryName() {
    return ".quillmorph-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) +
           ".part";
}

} // namespace

PartialOutput::PartialOutput(PartialOutput&& other) noexcept
    : path_(std::exchange(other.path_, {})), fd_(std::exchange(other.fd_, -1)),
      folder_(std::exchange(other.folder_, {})), temporary_(std::exchange(other.temporary_, {})) {}

PartialOutput& PartialOutput::operator=(PartialOutput&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
        fd_ = std::exchange(other.fd_, -1);
        folder_ = std::exchange(other.folder_, {});
        temporary_ = std::exchange(other.temporary_, {});
    }
    return *this;
}

PartialOutput::~PartialOutput() {
    discard();
}

EngineStatus PartialOutput::create(const Folder& folder) {
    discard();
    if (folder.isGone())
        return status::kFolderMissing;
    int fd = ::openat(folder.fd(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return statusFromErrno(errno, FileRole::NewOutput, status::kWriteFailed);
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            temporary_ = temporaryName();
            fd = ::openat(folder.fd(), temporary_.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (fd < 0 && errno != EEXIST) {
                temporary_.clear();
                return statusFromErrno(errno, FileRole::NewOutput, status::kWriteFailed);
            }
        }
        if (fd < 0) {
            temporary_.clear();
            return status::kWriteFailed;
        }
        folder_ = folder;
    }
    fd_ = fd;
    // Writers reopen the file through its descriptor's name.
    path_ = FilePath::fromNative("/proc/self/fd/" + QByteArray::number(fd));
    return status::kOk;
}

bool PartialOutput::takeTimesOf(const FilePath& source) {
    struct stat info {};
    if (fd_ < 0 || ::stat(source.c_str(), &info) != 0)
        return false;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    // Linking the file into place later leaves its times as they are.
    return ::futimens(fd_, times) == 0;
}

EngineStatus PartialOutput::commit(const Folder& folder, const QByteArray& name) {
    if (fd_ < 0)
        return status::kNoImage;
    if (folder.isGone())
        return status::kFolderMissing;
    if (folder.holds(name))
        return status::kOutputExists;
    // linkat never replaces an existing name; for the named fallback, neither does
    // renameat2's RENAME_NOREPLACE.
    const bool stored = temporary_.isEmpty()
                            ? ::linkat(AT_FDCWD, path_.c_str(), folder.fd(), name.constData(),
                                       AT_SYMLINK_FOLLOW) == 0
                            : ::renameat2(folder_.fd(), temporary_.constData(), folder.fd(),
                                          name.constData(), RENAME_NOREPLACE) == 0;
    if (!stored) {
        const int error = errno;
        if (folder.isGone())
            return status::kFolderMissing;
        if (folder.holds(name))
            return status::kOutputExists;
        return statusFromErrno(error, FileRole::NewOutput, status::kWriteFailed);
    }
    ::close(std::exchange(fd_, -1));
    path_ = {};
    temporary_.clear();
    folder_ = {};
    return status::kOk;
}

void PartialOutput::discard() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1)); // an anonymous file that was never linked is gone now
    if (!temporary_.isEmpty())
        ::unlinkat(folder_.fd(), temporary_.constData(), 0);
    path_ = {};
    temporary_.clear();
    folder_ = {};
}

} // namespace quillmorph
