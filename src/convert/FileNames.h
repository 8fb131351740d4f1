#pragma once

#include "FilePath.h"
#include "Folder.h"

#include <QByteArray>
#include <QSet>

namespace quillmorph {

// The file name part of a path, extension kept ("/a/IMG_0001.JPG" → "IMG_0001.JPG").
QByteArray GetBaseName(const FilePath& path);

// A name without its last extension; a dot in first or last place is not an extension
// ("archive.tar.gz" → "archive.tar", ".profile" → ".profile", "a." → "a.").
QByteArray ufnGetFileTitle(const QByteArray& name);

// title + extension, or title (2) + extension, (3) … when folder holds that name or this batch
// has taken it already. The chosen path is added to taken.
QByteArray freeOutputName(const Folder& folder, const QByteArray& title,
                          const QByteArray& extension, QSet<FilePath>& taken);

// True when something, even a dangling link, has this name.
bool nameIsTaken(const FilePath& path);

// True when path is a folder or a link to one.
bool isFolder(const FilePath& path);

} // namespace quillmorph
