#include "files/PathSyntax.h"

#include <QString>
#include <algorithm>

namespace quillmorph {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Where the name starting at from ends: at the next separator or the end.
qsizetype endOfName(const QByteArray& path, qsizetype from) {
    while (from < path.size() && !isPathSeparator(path[from]))
        ++from;
    return from;
}

} // namespace

bool isPathSeparator(char c) {
    return c == '/' || c == '\\';
}

char separatorFor(const QByteArray& path) {
    // Qt spells paths with '/', the system with '\': a path keeps the one it was given in.
    return path.contains('\\') && !path.contains('/') ? '\\' : '/';
}

qsizetype pathRootLength(const QByteArray& path) {
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':')
        return path.size() > 2 && isPathSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && isPathSeparator(path[0]) && isPathSeparator(path[1])) {
        // \\server\share\, or \\?\C:\ and \\.\device\ spelt the system's way.
        qsizetype end = endOfName(path, 2);
        if (end - 2 == 1 && (path[2] == '?' || path[2] == '.') && end + 2 < path.size() &&
            isDriveLetter(path[end + 1]) && path[end + 2] == ':')
            end += 3;
        else
            end = endOfName(path, end + 1);
        return std::min(end + 1, path.size());
    }
    // "\x": the root of the current drive.
    return !path.isEmpty() && isPathSeparator(path[0]) ? 1 : 0;
}

QByteArray sameFileKey(const QByteArray& path) {
    // Only a key: a name that is not valid UTF-8 at worst shares one and is numbered needlessly.
    return QString::fromUtf8(path).toUpper().toUtf8();
}

QByteArray pathOfFileUri(const QByteArray& uriPath) {
    if (uriPath.size() >= 3 && uriPath[0] == '/' && isDriveLetter(uriPath[1]) && uriPath[2] == ':')
        return uriPath.mid(1);
    return uriPath;
}

} // namespace quillmorph
