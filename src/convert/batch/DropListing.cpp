#include "batch/DropListing.h"

#include "files/FileNames.h"
#include "files/SystemError.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace quillmorph {

namespace {

enum class Kind { File, Folder, Other };

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

// The C locale's collation is byte order, with no numeric mode; file managers there still
// put "b2" before "b10".
QLocale collationLocale() {
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class FolderLister {
public:
    FolderLister() : collator_(collationLocale()) {
        collator_.setNumericMode(true);
        collator_.setCaseSensitivity(Qt::CaseInsensitive);
    }

    void list(const FilePath& folder, const QByteArray& relative, QList<BatchItem>& out) {
        const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
        if (!dir) {
            out << BatchItem{folder, relative, true,
                             statusFromErrno(errno, FileRole::Named, status::kNotAFile)};
            return;
        }
        std::vector<Named> files;
        std::vector<Named> folders;
        while (const dirent* entry = ::readdir(dir.get())) {
            const QByteArray name(entry->d_name);
            if (name.startsWith('.'))
                continue;
            switch (kindOf(folder.child(name), entry->d_type)) {
            case Kind::File:
                files.push_back(named(name));
                break;
            case Kind::Folder:
                folders.push_back(named(name));
                break;
            case Kind::Other:
                break;
            }
        }
        for (const Named& file : sorted(std::move(files)))
            out << BatchItem{folder.child(file.name), relative, true, status::kOk};
        for (const Named& sub : sorted(std::move(folders)))
            list(folder.child(sub.name), relative + '/' + sub.name, out);
    }

private:
    struct Named {
        QByteArray name;
        QCollatorSortKey key;
    };

    Named named(const QByteArray& name) const {
        return {name, collator_.sortKey(FilePath::fromNative(name).display())};
    }

    static std::vector<Named> sorted(std::vector<Named> names) {
        std::sort(names.begin(), names.end(), [](const Named& a, const Named& b) {
            const int order = a.key.compare(b.key);
            return order != 0 ? order < 0 : a.name < b.name;
        });
        return names;
    }

    QCollator collator_;
};

} // namespace

QList<BatchItem> listDrop(const FilePaths& dropped) {
    QList<BatchItem> items;
    FolderLister lister;
    for (const FilePath& path : dropped) {
        if (isFolder(path))
            lister.list(path, path.absolute().fileName(), items);
        else
            items << BatchItem{path, {}, false, status::kOk};
    }
    return items;
}

} // namespace quillmorph
