#include "batch/DropListing.h"

#include "files/FileSystem.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <vector>

namespace quillmorph {

namespace {

// The C locale's collation is byte order, with no numeric mode; file managers there still
// put "b2" before "b10".
QLocale collationLocale() {
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

class FolderLister {
public:
    FolderLister() : collator_(collationLocale()) {
        collator_.setNumericMode(true);
        collator_.setCaseSensitivity(Qt::CaseInsensitive);
    }

    void list(const FilePath& folder, const QByteArray& relative, QList<BatchItem>& out) {
        const FolderEntries entries = listFolder(folder);
        if (entries.status != status::kOk) {
            out << BatchItem{folder, relative, true, entries.status};
            return;
        }
        std::vector<Named> files;
        std::vector<Named> folders;
        for (const QByteArray& name : entries.files)
            files.push_back(named(name));
        for (const QByteArray& name : entries.folders)
            folders.push_back(named(name));
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
