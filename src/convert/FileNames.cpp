#include "FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace quillmorph {

QString GetBaseName(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

QString ufnGetFileTitle(const QString& name) {
    // Neither the first character (".profile") nor the last ("a.") starts an extension.
    for (qsizetype i = name.size() - 2; i >= 1; --i) {
        if (name.at(i) == QLatin1Char('.'))
            return name.left(i);
    }
    return name;
}

QString freeOutputPath(const QString& folder, const QString& title, const QString& extension,
                       QSet<QString>& taken) {
    const QDir dir(folder);
    QString candidate = dir.filePath(title + extension);
    for (int n = 2; taken.contains(candidate) || QFileInfo(candidate).exists() ||
                    QFileInfo(candidate).isSymLink();
         ++n) {
        candidate = dir.filePath(title + QStringLiteral(" (%1)").arg(n) + extension);
    }
    taken.insert(candidate);
    return candidate;
}

} // namespace quillmorph
