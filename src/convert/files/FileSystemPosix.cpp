#include "files/FileSystem.h"

#include "files/SystemError.h"

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillmorph {

bool nameIsTaken(const FilePath& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool isFolder(const FilePath& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

qint64 fileSizeOf(const FilePath& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? qint64(info.st_size) : 0;
}

QDateTime modificationTimeOf(const FilePath& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
}

MadeFolder makeFolder(const FilePath& path) {
    if (::mkdir(path.c_str(), 0777) == 0)
        return MadeFolder::Made;
    return errno == EEXIST ? MadeFolder::Exists : MadeFolder::Refused;
}

namespace {

using Kind = FolderEntries::Kind;

Kind kindOf(const FilePath& path, unsigned char type) {
    if (type == DT_REG)
        return Kind::File;
    if (type == DT_DIR)
        return Kind::Folder;
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (::lstat(path.c_str(), &info) != 0)
            return Kind::Other;
        if (S_ISREG(info.st_mode))
            return Kind::File;
        if (S_ISDIR(info.st_mode))
            return Kind::Folder;
        if (!S_ISLNK(info.st_mode))
            return Kind::Other;
    } else if (type != DT_LNK) {
        return Kind::Other;
    }
    // A link counts when it leads to a file; one to a folder might lead back up the tree.
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? Kind::File : Kind::Other;
}

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

FolderEntries listFolder(const FilePath& folder) {
    FolderEntries entries;
    const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir) {
        entries.status = statusFromErrno(errno, FileRole::Named, status::kNotAFile);
        return entries;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        const Kind kind = kindOf(folder.child(name), entry->d_type);
        entries.add(kind, std::move(name));
    }
    return entries;
}

QByteArray currentFolder() {
    std::vector<char> cwd(4096);
    while (!::getcwd(cwd.data(), cwd.size()) && errno == ERANGE)
        cwd.resize(cwd.size() * 2);
    return QByteArray(cwd.data());
}

bool isThisHostName(const QByteArray& host) {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 && host == name;
}

} // namespace quillmorph
