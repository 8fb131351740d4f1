#pragma once

#include <QByteArray>

namespace quillmorph {

// How this system spells a path, for FilePath: its separators, its roots and the paths of file:
// URIs. Any thread.

// True when c separates a path's names ('/'; on Windows '\' as well).
bool isPathSeparator(char c);

// The separator a name joined to path gets: '/', or on Windows the one path already uses.
char separatorFor(const QByteArray& path);

// How many bytes of path make its root, separator included ("/"; on Windows "C:\" or
// "\\server\share\"); 0 for a relative path.
qsizetype pathRootLength(const QByteArray& path);

// What path is compared by for naming one file: its bytes; on Windows, whose names ignore case,
// upper-cased.
QByteArray sameFileKey(const QByteArray& path);

// The path a local file: URI's percent-decoded path names ("/C:/x.jpg" is "C:/x.jpg" on Windows).
QByteArray pathOfFileUri(const QByteArray& uriPath);

} // namespace quillmorph
