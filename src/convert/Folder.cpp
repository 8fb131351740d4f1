#include "Folder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmorph {

struct Folder::Descriptor {
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() { ::close(fd); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    const int fd;
};

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

Folder::Folder(std::shared_ptr<const Descriptor> descriptor, FilePath path)
    : descriptor_(std::move(descriptor)), path_(std::move(path)) {}

Folder Folder::open(const FilePath& path) {
    const int fd = ::open(path.c_str(), kFolderFlags);
    if (fd < 0)
        return {};
    return Folder(std::make_shared<const Descriptor>(fd), path);
}

int Folder::fd() const {
    return descriptor_ ? descriptor_->fd : -1;
}

Folder Folder::child(const QByteArray& name) const {
    if (!isOpen() || name.isEmpty() || name.contains('/') || name == "." || name == "..")
        return {};
    if (::mkdirat(fd(), name.constData(), 0777) != 0 && errno != EEXIST)
        return {};
    const int child = ::openat(fd(), name.constData(), kFolderFlags);
    if (child < 0)
        return {};
    return Folder(std::make_shared<const Descriptor>(child), path_.child(name));
}

Folder Folder::descendant(const QByteArray& relative) const {
    Folder folder = *this;
    for (const QByteArray& name : relative.split('/')) {
        if (!name.isEmpty())
            folder = folder.child(name);
    }
    return folder;
}

bool Folder::holds(const QByteArray& name) const {
    struct stat info {};
    return isOpen() && ::fstatat(fd(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool Folder::isGone() const {
    struct stat info {};
    return !isOpen() || ::fstat(fd(), &info) != 0 || info.st_nlink == 0;
}

} // namespace quillmorph
