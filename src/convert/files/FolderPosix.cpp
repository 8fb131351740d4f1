#include "files/Folder.h"

#include "files/SystemHandlePosix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace quillmorph {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

Folder Folder::open(const FilePath& path) {
    const int fd = ::open(path.c_str(), kFolderFlags);
    if (fd < 0)
        return {};
    return Folder(std::make_shared<const SystemHandle>(fd), path);
}

Folder Folder::child(const QByteArray& name) const {
    if (!isOpen() || name.isEmpty() || name.contains('/') || name == "." || name == "..")
        return {};
    if (::mkdirat(fdOf(handle()), name.constData(), 0777) != 0 && errno != EEXIST)
        return {};
    const int child = ::openat(fdOf(handle()), name.constData(), kFolderFlags);
    if (child < 0)
        return {};
    return Folder(std::make_shared<const SystemHandle>(child), path_.child(name));
}

bool Folder::holds(const QByteArray& name) const {
    struct stat info {};
    return isOpen() && ::fstatat(fdOf(handle()), name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool Folder::isGone() const {
    struct stat info {};
    return !isOpen() || ::fstat(fdOf(handle()), &info) != 0 || info.st_nlink == 0;
}

} // namespace quillmorph
