#pragma once

#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QByteArrayList>
#include <QDateTime>
#include <utility>

namespace quillmorph {

// The small questions and requests the files room and the rooms above put to the file system,
// each by a path's bytes. Any thread.

// True when something, even a dangling link, has this name.
bool nameIsTaken(const FilePath& path);

// True when path is a folder or a link to one.
bool isFolder(const FilePath& path);

// The size of the file at path (a link followed); 0 when there is none.
qint64 fileSizeOf(const FilePath& path);

// When the file at path (a link followed) was last changed, to the second; invalid when there
// is none.
QDateTime modificationTimeOf(const FilePath& path);

enum class MadeFolder { Made, Exists, Refused };
// Makes the one folder path, open to everyone the user's umask lets in.
MadeFolder makeFolder(const FilePath& path);

// What a folder holds, as a drop reads it: its files (links to a file included) and its folders
// (never a link to one, which might lead back up the tree), each by name in the system's order.
// Hidden entries, sockets, devices and other links are left out. status says why a folder could
// not be read (status::kOk when it could).
struct FolderEntries {
    enum class Kind { File, Folder, Other };
    EngineStatus status = status::kOk;
    QByteArrayList files;
    QByteArrayList folders;
    // An entry by what it is to a drop: a file, a folder, or left out.
    void add(Kind kind, QByteArray name) {
        if (kind == Kind::File)
            files << std::move(name);
        else if (kind == Kind::Folder)
            folders << std::move(name);
    }
};
FolderEntries listFolder(const FilePath& folder);

// The current folder, absolute, as the system spells it.
QByteArray currentFolder();

// True when host is the name this machine goes by.
bool isThisHostName(const QByteArray& host);

} // namespace quillmorph
