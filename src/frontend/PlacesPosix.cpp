#include "frontend/Places.h"

#include <QDir>
#include <QStandardPaths>

namespace quillmorph::places {

SettingsFiles settingsFiles() {
    const QString path = settingsFilePath();
    return {path, path, {}};
}

QString settingsFilePath() {
    const QString windir = qEnvironmentVariable("windir");
    if (!windir.isEmpty())
        return QDir(windir).filePath(QStringLiteral("quillmorph.ini"));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quillmorph/quillmorph.ini"));
}

QString desktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

} // namespace quillmorph::places
