#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QObject;

namespace quillmorph {

class FilePath;

// Opens url (a folder or a page) as the desktop opens it, and calls failed when that could not
// be done. Each system has its own implementation file. GUI thread; failed runs there too.
void openOnDesktop(QObject* owner, const QUrl& url, std::function<void()> failed);

// Opens url with an opener program, run as a child of owner, and calls failed when it could
// not start, crashed or ended with a status other than 0: an opener that finds nothing for a
// folder or a page says so only through its exit status (which QDesktopServices::openUrl never
// reads). GUI thread; failed runs there too.
void openWithProgram(QObject* owner, const QUrl& url, std::function<void()> failed,
                     const QString& program);

// A local file's URL made from its bytes, which need not be valid UTF-8 (or UTF-16), and the
// bytes back from such a URL; each system spells a full path in its own way. Any thread.
QUrl urlOfLocalFile(const FilePath& path);
FilePath localFileOfUrl(const QUrl& url);

// A folder's URL for the file manager: the plain one when the name is UTF-8, else the one made
// from its bytes (decoding would name a folder that is not there). Any thread.
QUrl urlOfFolder(const FilePath& folder);

// Opens folder in the file manager with item (a file or folder inside it, at any depth; may be
// empty) selected where the system can (Explorer), else just the folder; failed as for
// openOnDesktop. Each system has its own implementation. GUI thread.
void showInFolder(QObject* owner, const FilePath& folder, const FilePath& item,
                  std::function<void()> failed);

// Where url points, for the user to copy: a local file's path (its bytes decoded only to be
// shown), or the address.
QString placeOf(const QUrl& url);

} // namespace quillmorph
