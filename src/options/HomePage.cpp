#include "options/HomePage.h"

#include <QDir>
#include <QFileInfo>

namespace quillmorph {

QUrl homePageUrl(const QString& applicationDir) {
    const QDir dir(applicationDir);
    for (const QString& relative :
         {QStringLiteral("docs/index.html"), QStringLiteral("../share/quillmorph/index.html")}) {
        const QFileInfo page(dir.filePath(relative));
        if (page.isFile())
            return QUrl::fromLocalFile(page.canonicalFilePath());
    }
    return {};
}

} // namespace quillmorph
