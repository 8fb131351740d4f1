#include "OutputFolder.h"

#include <QDir>
#include <QFileInfo>

namespace quillmorph {

QString outputFolderName(const QDateTime& when, const QLocale& locale) {
    QString date = locale.toString(when.date(), QLocale::ShortFormat);
    date.remove(QLatin1Char('/'));
    // Desktop locales keep seconds in their time format; Qt's short one drops them, and two
    // drops within a minute must not share a name.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    if (!timeFormat.contains(QLatin1Char('s')))
        timeFormat.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    QString time = locale.toString(when.time(), timeFormat);
    time.remove(QLatin1Char(':'));
    QString name = QStringLiteral("pic") + date + time;
    name.replace(QLatin1Char('\\'), QLatin1Char('-')); // never a path separator on any system
    return name;
}

QString createOutputFolder(const QString& parent, const QString& name) {
    QDir dir(parent);
    if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
        return {};
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? name : name + QStringLiteral(" (%1)").arg(n);
        if (QFileInfo::exists(dir.filePath(candidate)) || QFileInfo(dir.filePath(candidate)).isSymLink())
            continue;
        if (dir.mkdir(candidate))
            return dir.filePath(candidate);
        if (!QFileInfo::exists(dir.filePath(candidate)))
            return {}; // not a name clash: the parent refuses new folders
    }
    return {};
}

} // namespace quillmorph
