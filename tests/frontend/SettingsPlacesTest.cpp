#include "frontend/SettingsPlaces.h"
#include "options/Language.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using places::SettingsFacts;
using places::SettingsFiles;

struct PlaceRow {
    const char*
        found; // B beside the program (b: read-only), U user's folder, V VirtualStore, W Windows
    const char* read;
    const char* write;
    bool notice;
};

class SettingsPlacesTest : public ::testing::TestWithParam<PlaceRow> {};

SettingsFacts factsFrom(const QString& found) {
    SettingsFacts facts;
    facts.besideProgram = {QStringLiteral("B"),
                           found.contains(QLatin1Char('B')) || found.contains(QLatin1Char('b')),
                           found.contains(QLatin1Char('B'))};
    facts.userFolder = {QStringLiteral("U"), found.contains(QLatin1Char('U')), true};
    facts.virtualStore = {QStringLiteral("V"), found.contains(QLatin1Char('V')), true};
    facts.windowsFolder = {QStringLiteral("W"), found.contains(QLatin1Char('W')), true};
    return facts;
}

TEST_P(SettingsPlacesTest, FollowsTheOrderOfPlaces) {
    const PlaceRow row = GetParam();
    const SettingsFiles files =
        places::chooseSettingsFiles(factsFrom(QString::fromUtf8(row.found)));
    EXPECT_EQ(files.readPath, QString::fromUtf8(row.read)) << row.found;
    EXPECT_EQ(files.writePath, QString::fromUtf8(row.write)) << row.found;
    EXPECT_EQ(!files.notice.isEmpty(), row.notice) << row.found;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsPlacesTest,
    ::testing::Values(PlaceRow{"BUVW", "B", "B", false}, PlaceRow{"B", "B", "B", false},
                      PlaceRow{"b", "B", "U", true}, PlaceRow{"bW", "B", "U", true},
                      PlaceRow{"bU", "U", "U", false}, PlaceRow{"UVW", "U", "U", false},
                      PlaceRow{"VW", "V", "U", false}, PlaceRow{"W", "W", "U", false},
                      PlaceRow{"V", "V", "U", false}, PlaceRow{"", "U", "U", false}));

TEST(SettingsPlacesNoticeTest, NamesBothFilesInEitherLanguage) {
    EXPECT_EQ(places::chooseSettingsFiles(factsFrom(QStringLiteral("b"))).notice,
              QStringLiteral(
                  "設定ファイル B のあるフォルダーには書き込めないため、設定は U に保存します。"));
    QObject owner; // takes the translation away again
    installTranslations(owner, {QStringLiteral("en-GB")});
    EXPECT_EQ(
        places::chooseSettingsFiles(factsFrom(QStringLiteral("b"))).notice,
        QStringLiteral("The folder of the settings file B cannot be written; your choices are "
                       "saved in U."));
}

class TakeOverTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    static void put(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir dir_;
};

// Another program's section, its line breaks and a byte in no encoding of ours all come along.
TEST_F(TakeOverTest, CopiesEveryByteIntoANewFolderAndLeavesTheOldFile) {
    const QByteArray old = "; \xe9t\xe9\r\n[Other]\r\nx=1\r\n[V1.00202]\r\niWidth=640\r\n";
    put(path("old.ini"), old);
    const SettingsFiles files{path("old.ini"), path("new/quillmorph/quillmorph.ini"), {}};
    EXPECT_EQ(places::takeOverSettingsFile(files), files.writePath);
    EXPECT_EQ(bytesOf(files.writePath), old);
    EXPECT_EQ(bytesOf(files.readPath), old);
}

TEST_F(TakeOverTest, KeepsAFileAlreadyThere) {
    put(path("old.ini"), "[V1.00202]\niWidth=1\n");
    put(path("mine.ini"), "[V1.00202]\niWidth=2\n");
    EXPECT_EQ(places::takeOverSettingsFile({path("old.ini"), path("mine.ini"), {}}),
              path("mine.ini"));
    EXPECT_EQ(bytesOf(path("mine.ini")), QByteArray("[V1.00202]\niWidth=2\n"));
}

TEST_F(TakeOverTest, TakesNothingFromAFolderOrAMissingFile) {
    ASSERT_TRUE(QDir().mkpath(path("folder.ini")));
    EXPECT_EQ(places::takeOverSettingsFile({path("folder.ini"), path("a/new.ini"), {}}),
              path("a/new.ini"));
    EXPECT_EQ(places::takeOverSettingsFile({path("gone.ini"), path("b/new.ini"), {}}),
              path("b/new.ini"));
    EXPECT_FALSE(QFile::exists(path("a/new.ini")));
    EXPECT_FALSE(QFile::exists(path("b/new.ini")));
}

} // namespace
} // namespace quillmorph
