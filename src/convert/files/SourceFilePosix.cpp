#include "files/SourceFile.h"

#include "files/SystemError.h"
#include "files/SystemHandlePosix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmorph {

namespace {

EngineStatus statusOf(const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        return status::kNotAFile;
    return info.st_size == 0 ? status::kEmptyFile : status::kOk;
}

} // namespace

std::shared_ptr<const SourceFile> SourceFile::open(const FilePath& path, EngineStatus& status) {
    // Looked at first so that a device is never opened at all.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        status = statusFromErrno(errno, FileRole::Named, status::kFileNotFound);
        return nullptr;
    }
    if (status = statusOf(info); status != status::kOk)
        return nullptr;
    // Non-blocking: a pipe put in the file's place by now would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        status = statusFromErrno(errno, FileRole::Named, status::kAccessDenied);
        return nullptr;
    }
    std::shared_ptr<const SourceFile> file(new SourceFile(SystemHandle(fd)));
    // What was opened is what counts.
    status = ::fstat(fd, &info) == 0
                 ? statusOf(info)
                 : statusFromErrno(errno, FileRole::Named, status::kAccessDenied);
    return status == status::kOk ? file : nullptr;
}

SourceFile::SourceFile(SystemHandle file)
    : file_(std::move(file)), name_("/proc/self/fd/" + std::to_string(fdOf(file_))) {}

qint64 SourceFile::readAt(qint64 offset, void* into, qint64 count) const {
    for (;;) {
        const ssize_t got = ::pread(fdOf(file_), into, size_t(count), off_t(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

qint64 SourceFile::size() const {
    struct stat info {};
    return ::fstat(fdOf(file_), &info) == 0 ? qint64(info.st_size) : -1;
}

QByteArray SourceFile::contents(qint64 maxBytes) const {
    struct stat info {};
    if (::fstat(fdOf(file_), &info) != 0 || info.st_size > maxBytes)
        return {};
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(fdOf(file_), bytes.data() + done, size_t(bytes.size() - done), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

ReadStream openRegularForReading(const char* name) {
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ReadStream file(::fdopen(fd, "rb"));
    if (!file)
        ::close(fd);
    return file;
}

} // namespace quillmorph
