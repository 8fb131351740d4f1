#include "DesktopOpener.h"
#include "EventLoop.h"
#include "TestImages.h"
#include "frontend/PrivateTempFolder.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace quillmorph::test {
namespace {

// True once every opener owner started has ended (and told how).
bool openersEnded(const QObject& owner) {
    const QList<QProcess*> openers = owner.findChildren<QProcess*>();
    return std::all_of(openers.begin(), openers.end(),
                       [](const QProcess* p) { return p->state() == QProcess::NotRunning; });
}

// The opener's exit status, not its start, says whether the folder or page was opened.
TEST(DesktopOpener, AFailureIsToldByTheOpenersExitStatus) {
    QTemporaryDir dir;
    const QString seen = dir.filePath(QStringLiteral("argument"));
    const QString script =
        writeBytes(dir.filePath(QStringLiteral("opener")),
                   "#!/bin/sh\nprintf %s \"$1\" > \"$(dirname \"$0\")/argument\"\n"
                   "printf %s \"$TMPDIR\" > \"$(dirname \"$0\")/tmpdir\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    const struct {
        QString program;
        bool fails;
    } rows[] = {{QStringLiteral("true"), false},
                {QStringLiteral("false"), true},
                {dir.filePath(QStringLiteral("missing")), true},
                {QStringLiteral("/bin/sh"), true}}; // sh reading a URL as its script: status 127
    for (const auto& row : rows) {
        QObject owner;
        bool failed = false;
        openWithProgram(
            &owner, QUrl::fromEncoded("file:///tmp/pic%FF"), [&] { failed = true; }, row.program);
        ASSERT_TRUE(runEventsUntil([&] { return openersEnded(owner); }, 20000));
        EXPECT_EQ(failed, row.fails) << row.program.toStdString();
    }
    QObject owner;
    const QByteArray outside = qgetenv("TMPDIR");
    {
        // The opener may outlive this process's own temporary folder: it gets the one outside.
        const PrivateTempFolder folder;
        ASSERT_TRUE(folder.isValid());
        openWithProgram(&owner, QUrl::fromEncoded("file:///tmp/pic%FF"), {}, script);
        ASSERT_TRUE(runEventsUntil([&] { return openersEnded(owner); }, 20000));
    }
    EXPECT_EQ(readBytes(seen), "file:///tmp/pic%FF") << "the bytes of the name, encoded";
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("tmpdir"))),
              outside.isEmpty() ? QFile::encodeName(QDir::tempPath()) : outside);
    EXPECT_EQ(placeOf(QUrl::fromEncoded("file:///tmp/pic%E5%86%99")), QStringLiteral("/tmp/pic写"));
}

// The desktop's opener is the freedesktop one, found on the PATH as a user's shell finds it.
TEST(DesktopOpener, OpensWithTheFreedesktopOpener) {
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("xdg-open")),
               "#!/bin/sh\nprintf %s \"$1\" > \"$(dirname \"$0\")/argument\"\n");
    QFile::setPermissions(dir.filePath(QStringLiteral("xdg-open")),
                          QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + path);
    QObject owner;
    bool failed = false;
    openOnDesktop(&owner, QUrl::fromEncoded("file:///tmp/pic%E5%86%99"), [&] { failed = true; });
    const bool ended = runEventsUntil([&] { return openersEnded(owner); }, 20000);
    qputenv("PATH", path);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(failed);
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("argument"))), "file:///tmp/pic%E5%86%99");
}

} // namespace
} // namespace quillmorph::test
