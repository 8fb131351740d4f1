#include "files/PathSyntax.h"

namespace quillmorph {

bool isPathSeparator(char c) {
    return c == '/';
}

char separatorFor(const QByteArray&) {
    return '/';
}

qsizetype pathRootLength(const QByteArray& path) {
    return path.startsWith('/') ? 1 : 0;
}

QByteArray sameFileKey(const QByteArray& path) {
    return path;
}

QByteArray pathOfFileUri(const QByteArray& uriPath) {
    return uriPath;
}

} // namespace quillmorph
