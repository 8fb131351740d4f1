#include "ExplorerActions.h"
#include "FileManagerActions.h"
#include "StartArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

namespace quillmorph::test {
namespace {

// `reg` as a user would run it: its output is the registry as Windows shows it.
// Empty when reg fails (a key that is not there).
QByteArray reg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("reg"), arguments);
    process.waitForFinished(60000);
    const QByteArray output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? output : QByteArray();
}

QByteArray exported(const QString& file) {
    // Classes itself may be missing before: the whole of the user's software is compared.
    reg({QStringLiteral("export"), QStringLiteral("HKCU\\Software"), QDir::toNativeSeparators(file),
         QStringLiteral("/y")});
    QFile read(file);
    return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
}

const FileManagerMenu kMenu{QStringLiteral("quillmorph で変換"),
                            QStringLiteral("ウィンドウの現在の設定で"),
                            {{QStringLiteral("mail"), QStringLiteral("メール用")},
                             {QStringLiteral("50% \"x\" \\ &"), QStringLiteral("50% \"x\" \\ &")}}};

// Added, the keys read back as they were meant; taken away, the user's classes are byte for
// byte what they were before (keys above ours that adding made go too).
TEST(ExplorerActionsWindows, TheKeysAreWrittenExactlyAndRemovedWithoutATrace) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    changeFileManagerActions(false, kMenu);
    const QByteArray before = exported(dir.filePath(QStringLiteral("before.reg")));
    ASSERT_FALSE(before.isEmpty());
    ASSERT_FALSE(fileManagerActionsInstalled());

    const FileManagerChange added = changeFileManagerActions(true, kMenu);
    EXPECT_EQ(added.fault, QString());
    EXPECT_EQ(added.done, QStringLiteral("エクスプローラーの右クリックメニューに「quillmorph で変換」を加えました。\n"
                                         "Windows 11 では「その他のオプションを確認」の中にあります。"));
    EXPECT_TRUE(fileManagerActionsInstalled());
    const QString program = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    const QString shown = QString::fromLocal8Bit(reg(
        {QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Classes\\Directory\\shell\\quillmorph\\shell\\02\\command")}));
    EXPECT_TRUE(shown.contains(u'"' + program + QStringLiteral("\" --preset-id ") +
                               presetId(kMenu.presets[1].first) + QStringLiteral(" -- \"%1\"")))
        << shown.toStdString();
    EXPECT_TRUE(reg({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Classes\\") + explorerActionRoots()[0]})
                    .contains("MultiSelectModel"));

    // Again with one preset fewer: the stale item goes.
    FileManagerMenu fewer = kMenu;
    fewer.presets.pop_back();
    EXPECT_EQ(refreshFileManagerActions(fewer), QString());
    EXPECT_TRUE(reg({QStringLiteral("query"),
                     QStringLiteral("HKCU\\Software\\Classes\\Directory\\shell\\quillmorph\\shell\\02")})
                    .isEmpty());

    const FileManagerChange removed = changeFileManagerActions(false, kMenu);
    EXPECT_EQ(removed.done, QStringLiteral("エクスプローラーの右クリックメニューから「quillmorph で変換」を除きました。"));
    EXPECT_FALSE(fileManagerActionsInstalled());
    EXPECT_EQ(exported(dir.filePath(QStringLiteral("after.reg"))), before);
    EXPECT_EQ(refreshFileManagerActions(kMenu), QString());
    EXPECT_FALSE(fileManagerActionsInstalled());
}

// Explorer puts the file's name where %1 stands and starts the command; Windows splits it as
// CommandLineToArgvW does (as Qt reads a program's arguments there). Every name Windows
// allows comes through whole as the one file, with the preset named by the command.
TEST(ExplorerActionsWindows, NamesWithShellCharactersReachTheProgramWhole) {
    const QString program = QStringLiteral("C:\\Program Files\\q m\\quillmorph.exe");
    const QString command = explorerActionKeys(kMenu, program)[6].values[0].data;
    ASSERT_TRUE(command.contains(QStringLiteral("--preset-id"))) << command.toStdString();
    for (const char* name : {"a b.png", "-a.png", "--preset x.png", "&^%PATH%'!x.png", "50% off!.jpg",
                             "写真①.jpg", "a\\ b\\.png"}) {
        const QString file = QStringLiteral("C:\\pics\\") + QString::fromUtf8(name);
        const std::wstring line = QString(command).replace(QStringLiteral("%1"), file).toStdWString();
        int count = 0;
        LPWSTR* split = CommandLineToArgvW(line.c_str(), &count);
        ASSERT_NE(split, nullptr);
        QByteArrayList arguments;
        for (int i = 1; i < count; ++i)
            arguments << QString::fromWCharArray(split[i]).toUtf8();
        LocalFree(split);
        const StartArguments start = parseStartArguments(arguments);
        EXPECT_EQ(start.preset, kMenu.presets[1].first) << name;
        ASSERT_EQ(start.files.size(), 1) << name;
        EXPECT_EQ(QDir::toNativeSeparators(start.files[0].display()), file) << name;
    }
}

} // namespace
} // namespace quillmorph::test
