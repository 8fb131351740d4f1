#include "DesktopOpener.h"

#include "files/FilePath.h"

#include <utility>

namespace quillmorph {

void openOnDesktop(QObject* owner, const QUrl& url, std::function<void()> failed) {
    // The freedesktop opener hands a folder to the file manager and a page to the browser the
    // user chose; it decodes the encoded URL, so a name's bytes arrive as they are.
    openWithProgram(owner, url, std::move(failed), QStringLiteral("xdg-open"));
}

// The file managers' common D-Bus call for selecting an item is not everywhere: the folder.
void showInFolder(QObject* owner, const FilePath& folder, const FilePath&,
                  std::function<void()> failed) {
    openOnDesktop(owner, urlOfFolder(folder), std::move(failed));
}

QUrl urlOfLocalFile(const FilePath& path) {
    return QUrl::fromEncoded("file://" + path.native().toPercentEncoding("/"));
}

FilePath localFileOfUrl(const QUrl& url) {
    return FilePath::fromNative(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

} // namespace quillmorph
