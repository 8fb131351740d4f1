#include "files/OutputFolder.h"

#include "files/FileSystem.h"

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

bool makeFolders(const FilePath& path) {
    if (isFolder(path))
        return true;
    const FilePath above = path.parent();
    if (above != path && !above.isEmpty() && !makeFolders(above))
        return false;
    const MadeFolder made = makeFolder(path);
    return made == MadeFolder::Made || (made == MadeFolder::Exists && isFolder(path));
}

FilePath createOutputFolder(const FilePath& parent, const QString& name, bool makeParent) {
    if (makeParent ? !makeFolders(parent) : !isFolder(parent))
        return {};
    for (int n = 1; n < 1000; ++n) {
        FilePath candidate = parent.child(n == 1 ? name : name + QStringLiteral(" (%1)").arg(n));
        if (nameIsTaken(candidate))
            continue;
        const MadeFolder made = makeFolder(candidate);
        if (made == MadeFolder::Made)
            return candidate;
        if (made == MadeFolder::Refused)
            return {}; // not a name clash: the parent refuses new folders
    }
    return {};
}

} // namespace quillmorph
