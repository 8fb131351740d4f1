#include "ExplorerActions.h"
#include "HandOffGathering.h"
#include "StartArguments.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

const FileManagerMenu kMenu{QStringLiteral("quillmorph で変換"),
                            QStringLiteral("ウィンドウの現在の設定で"),
                            {{QStringLiteral("mail"), QStringLiteral("メール用")},
                             {QStringLiteral("50% \"off\" \\ & ^ !x"), QStringLiteral("50% \"off\" \\ & ^ !x")}}};
const QString kProgram = QStringLiteral("C:\\Users\\山田\\AppData\\Local\\Programs\\quillmorph\\quillmorph.exe");

// The whole submenu on JPEG files: what Explorer reads, key by key; a preset's name reaches only
// its item's text, its command carries the name's hex digits.
TEST(ExplorerActionsTest, EachPictureTypeAndFoldersGetTheSubmenuWithAQuotedFileAfterTheDashes) {
    const std::vector<RegistryKey> keys = explorerActionKeys(kMenu, kProgram);
    const QStringList roots = explorerActionRoots();
    ASSERT_EQ(roots.size(), explorerPictureTypes().size() + 1);
    EXPECT_EQ(roots.constLast(), QStringLiteral("Directory\\shell\\quillmorph"));
    ASSERT_EQ(keys.size(), size_t(roots.size()) * 7);

    const QString exe = u'"' + kProgram + u'"';
    const QString jpeg = QStringLiteral("SystemFileAssociations\\.jpg\\shell\\quillmorph");
    const RegistryValue any{QStringLiteral("MultiSelectModel"), QStringLiteral("Player")};
    const std::vector<RegistryKey> expected{
        {jpeg,
         {{QStringLiteral("MUIVerb"), QStringLiteral("quillmorph で変換")},
          {QStringLiteral("Icon"), exe + QStringLiteral(",0")},
          {QStringLiteral("SubCommands"), QString()},
          any}},
        {jpeg + QStringLiteral("\\shell\\00"),
         {{QStringLiteral("MUIVerb"), QStringLiteral("ウィンドウの現在の設定で")}, any}},
        {jpeg + QStringLiteral("\\shell\\00\\command"), {{QString(), exe + QStringLiteral(" -- \"%1\"")}}},
        {jpeg + QStringLiteral("\\shell\\01"), {{QStringLiteral("MUIVerb"), QStringLiteral("メール用")}, any}},
        {jpeg + QStringLiteral("\\shell\\01\\command"),
         {{QString(), exe + QStringLiteral(" --preset-id 6d61696c -- \"%1\"")}}},
        {jpeg + QStringLiteral("\\shell\\02"),
         {{QStringLiteral("MUIVerb"), QStringLiteral("50% \"off\" \\ & ^ !x")}, any}},
        {jpeg + QStringLiteral("\\shell\\02\\command"),
         {{QString(), exe + QStringLiteral(" --preset-id 35302520226f666622205c2026205e202178 -- \"%1\"")}}},
    };
    const std::vector<RegistryKey> first(keys.begin(), keys.begin() + 7);
    EXPECT_EQ(first, expected);
    // Folders have the same submenu under their own key.
    EXPECT_EQ(keys[keys.size() - 7].path, roots.constLast());
    EXPECT_EQ(keys.back().values, expected.back().values);
}

TEST(ExplorerActionsTest, APresetsIdGivesBackItsNameAndNothingElseReadsAsOne) {
    for (const QString& name : {QStringLiteral("mail"), QStringLiteral("店舗用 😀"),
                                QStringLiteral("50% \"off\" \\ & ^ !x")})
        EXPECT_EQ(presetNameFromId(presetId(name)), name) << name.toStdString();
    for (const char* id : {"", "6", "6D61", "zz", "6d 61", "ff", "-6d"})
        EXPECT_EQ(presetNameFromId(QString::fromLatin1(id)), std::nullopt) << id;
}

QString absolute(const char* name) {
    return QDir::current().absoluteFilePath(QString::fromUtf8(name));
}

// The window's command line, as Explorer, 送る and a shell give it.
TEST(StartArgumentsTest, APresetComesFirstAndEverythingAfterTheDashesIsAFile) {
    struct Row {
        QByteArrayList arguments;
        QString preset;
        QStringList files;
    };
    const std::vector<Row> rows{
        {{"a.png", "b c.png"}, {}, {absolute("a.png"), absolute("b c.png")}},
        {{"--preset", "mail", "a.png"}, QStringLiteral("mail"), {absolute("a.png")}},
        {{"--preset-id", "6d61696c", "--", "-a&b%c%.png", "--"}, QStringLiteral("mail"),
         {absolute("-a&b%c%.png"), absolute("--")}},
        {{"--", "--preset", "x.png"}, {}, {absolute("--preset"), absolute("x.png")}},
        {{"--preset-id", "zz", "a.png"}, QStringLiteral("--preset-id zz"), {absolute("a.png")}},
        {{"--preset"}, {}, {absolute("--preset")}},
    };
    for (const Row& row : rows) {
        const StartArguments start = parseStartArguments(row.arguments);
        EXPECT_EQ(start.preset, row.preset) << row.arguments.join(' ').toStdString();
        QStringList files;
        for (const FilePath& file : start.files)
            files << QDir::fromNativeSeparators(file.display());
        EXPECT_EQ(files, row.files) << row.arguments.join(' ').toStdString();
    }
}

FilePaths named(std::initializer_list<const char*> names) {
    FilePaths files;
    for (const char* name : names)
        files << FilePath(QString::fromLatin1(name));
    return files;
}

// Files that come close together leave together, one batch per preset in order of arrival;
// a stream that never pauses still leaves once the longest wait is over.
TEST(HandOffGatheringTest, JoinsWhatComesCloseTogetherOneBatchPerPreset) {
    HandOffGathering gathering(nullptr, 100, 400);
    QSignalSpy spy(&gathering, &HandOffGathering::gathered);
    gathering.add(named({"a"}), {});
    gathering.add(named({"b"}), QStringLiteral("mail"));
    gathering.add({}, QStringLiteral("empty"));
    gathering.add(named({"c", "d"}), {});
    ASSERT_TRUE(spy.wait(2000));
    QTest::qWait(50);
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy[0][0].value<FilePaths>(), named({"a", "c", "d"}));
    EXPECT_EQ(spy[0][1].toString(), QString());
    EXPECT_EQ(spy[1][0].value<FilePaths>(), named({"b"}));
    EXPECT_EQ(spy[1][1].toString(), QStringLiteral("mail"));

    spy.clear();
    QElapsedTimer clock;
    clock.start();
    FilePaths sent;
    while (clock.elapsed() < 900) {
        sent << FilePath(QString::number(sent.size()));
        gathering.add({sent.constLast()}, {});
        QTest::qWait(40);
    }
    QTest::qWait(300);
    ASSERT_GE(spy.size(), 2);
    FilePaths received;
    for (const QList<QVariant>& batch : spy)
        received << batch[0].value<FilePaths>();
    EXPECT_EQ(received, sent);
}

} // namespace
} // namespace quillmorph::test
