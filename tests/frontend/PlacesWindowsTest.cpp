#include "frontend/PlacesWindows.h"
#include "frontend/Places.h"

#include "ScopedVariable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void put(const QString& path, const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// %APPDATA%, %LOCALAPPDATA% and %windir% pointed into a folder of the test's own.
class PlacesWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }
    QString in(const char* name) const { return root_.filePath(QString::fromUtf8(name)); }

    QTemporaryDir root_;
    const test::ScopedVariable appData_{"APPDATA", in("Roaming")};
    const test::ScopedVariable localAppData_{"LOCALAPPDATA", in("Local")};
    const test::ScopedVariable windir_{"windir", in("Windows")};
};

TEST_F(PlacesWindowsTest, NamesTheFourPlaces) {
    const places::SettingsFacts facts = places::settingsFacts(in("Program"));
    EXPECT_EQ(facts.besideProgram.path, in("Program/quillmorph.ini"));
    EXPECT_EQ(facts.userFolder.path, in("Roaming/quillmorph/quillmorph.ini"));
    QString windowsTail = in("Windows");
    windowsTail.remove(0, 2); // the drive
    EXPECT_EQ(facts.virtualStore.path, in("Local") + QStringLiteral("/VirtualStore") + windowsTail +
                                           QStringLiteral("/quillmorph.ini"));
    EXPECT_EQ(facts.windowsFolder.path, in("Windows/quillmorph.ini"));
    EXPECT_FALSE(facts.besideProgram.exists || facts.userFolder.exists ||
                 facts.virtualStore.exists || facts.windowsFolder.exists);
}

TEST_F(PlacesWindowsTest, SeesFilesAndAReadOnlyOneBesideTheProgram) {
    put(in("Program/quillmorph.ini"), "[V1.00202]\n");
    put(in("Windows/quillmorph.ini"), "[V1.00202]\n");
    ASSERT_TRUE(QDir().mkpath(in("Roaming/quillmorph/quillmorph.ini"))); // a folder is no file
    places::SettingsFacts facts = places::settingsFacts(in("Program"));
    EXPECT_TRUE(facts.besideProgram.exists);
    EXPECT_TRUE(facts.besideProgram.writable);
    EXPECT_FALSE(facts.userFolder.exists);
    EXPECT_TRUE(facts.windowsFolder.exists);
    // Qt sets the file's read-only attribute.
    ASSERT_TRUE(QFile::setPermissions(in("Program/quillmorph.ini"), QFile::ReadOwner));
    facts = places::settingsFacts(in("Program"));
    EXPECT_TRUE(facts.besideProgram.exists);
    EXPECT_FALSE(facts.besideProgram.writable);
    QFile::setPermissions(in("Program/quillmorph.ini"), QFile::ReadOwner | QFile::WriteOwner);
}

// The old file in the Windows folder gives its bytes to the user's own, and stays as it was.
TEST_F(PlacesWindowsTest, TakesTheWindowsFoldersFileOverOnce) {
    ASSERT_FALSE(QFile::exists(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillmorph.ini"))));
    const QByteArray old = "[V1.00202]\r\niWidth=640\r\n[Other]\r\nx=\x93\xfa\r\n";
    put(in("Windows/quillmorph.ini"), old);
    const places::SettingsFiles files = places::settingsFiles();
    EXPECT_EQ(files.readPath, in("Windows/quillmorph.ini"));
    EXPECT_EQ(files.writePath, in("Roaming/quillmorph/quillmorph.ini"));
    EXPECT_EQ(places::settingsFilePath(), in("Roaming/quillmorph/quillmorph.ini"));
    EXPECT_EQ(bytesOf(in("Roaming/quillmorph/quillmorph.ini")), old);
    put(in("Windows/quillmorph.ini"), "[V1.00202]\niWidth=1\n");
    EXPECT_EQ(places::settingsFilePath(), in("Roaming/quillmorph/quillmorph.ini"));
    EXPECT_EQ(bytesOf(in("Roaming/quillmorph/quillmorph.ini")), old);
}

TEST(PlacesWindowsDesktopTest, IsTheShellsDesktop) {
    const QString desktop = places::desktopFolder();
    EXPECT_FALSE(desktop.isEmpty());
    EXPECT_FALSE(desktop.contains(QLatin1Char('\\'))) << desktop.toStdString();
    EXPECT_EQ(desktop, QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

} // namespace
} // namespace quillmorph
