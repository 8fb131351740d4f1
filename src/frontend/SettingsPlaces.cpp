#include "frontend/SettingsPlaces.h"

#include "files/FilePath.h"
#include "settings/Profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quillmorph::places {

namespace {

QString shown(const QString& path) {
    return QString::fromUtf8(
        FilePath::fromNative(QDir::toNativeSeparators(path).toUtf8()).printable());
}

// The file whose values a first start takes, when the user's folder has none yet.
const SettingsCandidate* firstSource(const SettingsFacts& facts) {
    for (const SettingsCandidate* old :
         {&facts.besideProgram, &facts.virtualStore, &facts.windowsFolder}) {
        if (old->exists)
            return old;
    }
    return nullptr;
}

} // namespace

SettingsFiles chooseSettingsFiles(const SettingsFacts& facts) {
    const QString user = facts.userFolder.path;
    if (facts.besideProgram.exists && facts.besideProgram.writable)
        return {facts.besideProgram.path, facts.besideProgram.path, {}};
    if (facts.userFolder.exists)
        return {user, user, {}};
    const SettingsCandidate* source = firstSource(facts);
    if (source == nullptr)
        return {user, user, {}};
    if (source != &facts.besideProgram)
        return {source->path, user, {}};
    return {source->path, user,
            QCoreApplication::translate("Places",
                                        "設定ファイル %1 のあるフォルダーには書き込めないため、"
                                        "設定は %2 に保存します。")
                .arg(shown(source->path), shown(user))};
}

QString takeOverSettingsFile(const SettingsFiles& files) {
    if (files.readPath == files.writePath || QFileInfo::exists(files.writePath))
        return files.writePath;
    // A folder, a file too large or not text gives nothing to take, and is left where it is.
    if (const std::optional<Profile> old = Profile::read(files.readPath);
        old && QFileInfo::exists(files.readPath) &&
        QDir().mkpath(QFileInfo(files.writePath).absolutePath()))
        old->saveTo(files.writePath);
    return files.writePath;
}

} // namespace quillmorph::places
