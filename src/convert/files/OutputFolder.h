#pragma once

#include "files/FilePath.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace quillmorph {

// "pic" + the date in the locale's short format without "/" + the time with seconds without
// ":" (Japanese locale, 2026-12-07 09:06:32 → "pic2026120790632").
QString outputFolderName(const QDateTime& when, const QLocale& locale);

// Makes folder and any missing folders above it; true when it exists as a folder.
bool makeFolders(const FilePath& folder);

// Creates parent/name, or parent/name (2), (3) … when that exists; the parent is created when
// missing if makeParent. Returns the new folder's path, or an empty path when nothing could be
// created.
FilePath createOutputFolder(const FilePath& parent, const QString& name, bool makeParent = true);

} // namespace quillmorph
