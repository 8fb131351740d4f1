#pragma once

#include <QSet>
#include <QString>

namespace quillmorph {

// The file name part of a path, extension kept ("/a/IMG_0001.JPG" → "IMG_0001.JPG").
QString GetBaseName(const QString& path);

// A name without its last extension; a dot in first or last place is not an extension
// ("archive.tar.gz" → "archive.tar", ".profile" → ".profile", "a." → "a.").
QString ufnGetFileTitle(const QString& name);

// folder/title + extension, or folder/title (2) + extension, (3) … when that path exists or is
// already taken by this batch. The chosen path is added to taken.
QString freeOutputPath(const QString& folder, const QString& title, const QString& extension,
                       QSet<QString>& taken);

} // namespace quillmorph
