#include "ExplorerActions.h"
#include "FileManagerActions.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    // The first picture type's and the folders' keys: the others are made by the same loop.
    const QStringList roots = explorerActionRoots();
    for (const RegistryKey& key : explorerActionKeys(kMenu, program)) {
        if (!key.path.startsWith(roots.constFirst()) && !key.path.startsWith(roots.constLast()))
            continue;
        const QString listed = QString::fromLocal8Bit(
            reg({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\Classes\\") + key.path}));
        for (const RegistryValue& value : key.values)
            EXPECT_TRUE(listed.contains(value.name.isEmpty() ? QStringLiteral("(Default)") : value.name))
                << key.path.toStdString() << ": " << listed.toStdString();
    }

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

} // namespace
} // namespace quillmorph::test
