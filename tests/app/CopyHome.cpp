#include "CopyHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillmorph::test {

CopyHome::CopyHome(const QString& root)
    : home(QDir(root).filePath(QStringLiteral("home"))),
      windir(QDir(root).filePath(QStringLiteral("windir"))),
      runtime(QDir(root).filePath(QStringLiteral("run"))) {
    for (const QString& folder : {home, windir, runtime})
        QDir().mkpath(folder);
    QDir().mkpath(QFileInfo(settingsPath()).path());
    // Qt insists on a runtime folder only its owner can enter.
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString CopyHome::desktop() const {
    return QDir(home).filePath(QStringLiteral("Desktop"));
}

QString CopyHome::settingsPath() const {
#ifdef _WIN32
    return QDir(windir).filePath(QStringLiteral("quillmorph/quillmorph.ini"));
#else
    return QDir(windir).filePath(QStringLiteral("quillmorph.ini"));
#endif
}

QProcessEnvironment CopyHome::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QDir(home).filePath(QStringLiteral(".cache")));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty())
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    if (!tmpdir.isEmpty())
        env.insert(QStringLiteral("TMPDIR"), tmpdir);
    env.insert(QStringLiteral("windir"), windir);
    // Windows keeps the settings under %APPDATA%: the same folder stands in for both.
    env.insert(QStringLiteral("APPDATA"), windir);
    env.insert(QStringLiteral("LOCALAPPDATA"), QDir(home).filePath(QStringLiteral("local")));
    return env;
}

} // namespace quillmorph::test
