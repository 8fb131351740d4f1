#include "frontend/Places.h"

#include "ScopedVariable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(PlacesPosixTest, WindirDecidesWhereTheFileLives) {
    const QByteArray saved = qgetenv("windir");
    qputenv("windir", "/tmp/somewhere");
    EXPECT_EQ(places::settingsFilePath(), QStringLiteral("/tmp/somewhere/quillmorph.ini"));
    qunsetenv("windir");
    EXPECT_TRUE(places::settingsFilePath().endsWith(QLatin1String("/quillmorph/quillmorph.ini")));
    if (!saved.isEmpty())
        qputenv("windir", saved);
}

// The Desktop is the one the account names (a German desktop's Schreibtisch), else ~/Desktop.
TEST(PlacesPosixTest, TheDesktopIsTheOneTheAccountNames) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const test::ScopedVariable homeVariable("HOME", home.path());
    const test::ScopedVariable config("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")));
    EXPECT_EQ(places::desktopFolder(), home.filePath(QStringLiteral("Desktop")));
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral(".config"))));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    dirs.close();
    EXPECT_EQ(places::desktopFolder(), home.filePath(QStringLiteral("Schreibtisch")));
}

} // namespace
} // namespace quillmorph
