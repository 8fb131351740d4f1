#include "DesktopOpener.h"

#include "files/FilePath.h"
#include "files/FilePathWindows.h"

#include <QDesktopServices>
#include <QDir>
#include <QObject>
#include <utility>

#include <windows.h>
#include <shlobj.h>

namespace quillmorph {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "/C:/…", as a URL's path spells a drive's file.
bool startsWithSlashedDrive(const QByteArray& path) {
    return path.size() >= 3 && path[0] == '/' && isDriveLetter(path[1]) && path[2] == ':';
}

} // namespace

void openOnDesktop(QObject* owner, const QUrl& url, std::function<void()> failed) {
    // Here openUrl is the shell's own opener (ShellExecute): a folder goes to Explorer, a page
    // to the browser the user chose, and unlike xdg-open's it says when it could not. Told
    // after this returns, as an opener program's failure is.
    if (QDesktopServices::openUrl(url) || !failed)
        return;
    if (!owner)
        return failed();
    QMetaObject::invokeMethod(owner, std::move(failed), Qt::QueuedConnection);
}

namespace {

// The entry of folder that holds item, or item itself when folder is its parent; empty when
// item is not inside folder.
FilePath entryOf(const FilePath& folder, FilePath item) {
    const QByteArray top = QDir::cleanPath(folder.display()).toUtf8();
    for (FilePath parent = item.parent(); !item.native().isEmpty() && parent.native() != item.native();
         item = parent, parent = item.parent()) {
        if (QDir::cleanPath(parent.display()).toUtf8() == top)
            return item;
    }
    return {};
}

// Explorer on folder with entry selected, as its own "show in folder" does.
bool selectInExplorer(const FilePath& folder, const FilePath& entry) {
    PIDLIST_ABSOLUTE folderList = nullptr;
    PIDLIST_ABSOLUTE entryList = nullptr;
    bool shown = false;
    if (SUCCEEDED(SHParseDisplayName(toWide(folder).c_str(), nullptr, &folderList, 0, nullptr)) &&
        SUCCEEDED(SHParseDisplayName(toWide(entry).c_str(), nullptr, &entryList, 0, nullptr))) {
        PCUITEMID_CHILD items[] = {ILFindLastID(entryList)};
        shown = SUCCEEDED(SHOpenFolderAndSelectItems(folderList, 1, items, 0));
    }
    CoTaskMemFree(entryList);
    CoTaskMemFree(folderList);
    return shown;
}

} // namespace

void showInFolder(QObject* owner, const FilePath& folder, const FilePath& item,
                  std::function<void()> failed) {
    const FilePath entry = entryOf(folder, item);
    if (entry.native().isEmpty() || !selectInExplorer(folder, entry))
        openOnDesktop(owner, urlOfFolder(folder), std::move(failed));
}

// A drive's path goes after a third '/' ("file:///C:/…"); a server's ("//server/share/…") keeps
// its two slashes in the path, which Qt and the shell read back as the same server. The bytes
// are WTF-8: encoded, none is lost before the shell decodes them.
QUrl urlOfLocalFile(const FilePath& path) {
    QByteArray bytes = path.native();
    bytes.replace('\\', '/');
    const QByteArray lead = bytes.startsWith('/') ? "file://" : "file:///";
    return QUrl::fromEncoded(lead + bytes.toPercentEncoding("/:"));
}

FilePath localFileOfUrl(const QUrl& url) {
    QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!url.host().isEmpty())
        return FilePath::fromNative("//" + url.host().toUtf8() + bytes);
    if (startsWithSlashedDrive(bytes))
        bytes.remove(0, 1);
    return FilePath::fromNative(bytes);
}

} // namespace quillmorph
