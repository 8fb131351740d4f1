#pragma once

#include "files/FilePath.h"
#include "files/FileSystem.h"
#include "files/Folder.h"

#include <QByteArray>
#include <QSet>

namespace quillmorph {

// The file name part of a path, extension kept ("/a/IMG_0001.JPG" → "IMG_0001.JPG").
QByteArray GetBaseName(const FilePath& path);

// A name without its last extension; a dot in first or last place is not an extension
// ("archive.tar.gz" → "archive.tar", ".profile" → ".profile", "a." → "a.").
QByteArray ufnGetFileTitle(const QByteArray& name);

// title + extension, or title (2) + extension, (3) … when folder holds that name or this batch
// has taken it already (names compared as the system does). The chosen path is added to taken.
QByteArray freeOutputName(const Folder& folder, const QByteArray& title,
                          const QByteArray& extension, QSet<FilePath>& taken);

} // namespace quillmorph
