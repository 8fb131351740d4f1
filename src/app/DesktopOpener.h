#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QObject;

namespace quillmorph {

// Opens url with the desktop's opener, program (xdg-open), run as a child of owner, and calls
// failed when it could not start, crashed or ended with a status other than 0: an opener that
// finds nothing for a folder or a page says so only through its exit status (which
// QDesktopServices::openUrl never reads). GUI thread; failed runs there too.
void openOnDesktop(QObject* owner, const QUrl& url, std::function<void()> failed,
                   const QString& program = QStringLiteral("xdg-open"));

// Where url points, for the user to copy: a local file's path (its bytes decoded only to be
// shown), or the address.
QString placeOf(const QUrl& url);

} // namespace quillmorph
