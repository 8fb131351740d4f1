#include "frontend/ThisProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(ThisProcessWindowsTest, AProcessThatEndedIsGone) {
    EXPECT_FALSE(thisProcess::processIsGone(QCoreApplication::applicationPid()));
    QProcess child;
    child.start(QStringLiteral("cmd.exe"), {QStringLiteral("/c"), QStringLiteral("exit 3")});
    ASSERT_TRUE(child.waitForStarted());
    const qint64 pid = child.processId();
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(child.exitCode(), 3);
    EXPECT_TRUE(thisProcess::processIsGone(pid));
    EXPECT_TRUE(thisProcess::processIsGone(0x7FFFFFF0));
}

TEST(ThisProcessWindowsTest, AFileMadeHereIsOurs) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("写真①.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(thisProcess::ownedByThisUser(QFileInfo(file.fileName())));
    EXPECT_FALSE(thisProcess::ownedByThisUser(QFileInfo(dir.filePath(QStringLiteral("gone")))));
}

} // namespace
} // namespace quillmorph
