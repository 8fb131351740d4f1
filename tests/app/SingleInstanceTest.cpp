#include "RealCopies.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>
#include <QtEndian>

namespace quillmorph::test {
namespace {

// A full path on this system: rest under the root ("/p/a.png" here, "C:/p/a.png" on Windows).
FilePath rooted(const QByteArray& rest) {
    return FilePath::fromNative(QDir::rootPath().toUtf8() + rest);
}

QByteArray frameOf(const QByteArray& payload) {
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(payload.size()), frame.data());
    return frame + payload;
}

TEST_F(SingleInstanceTest, OnlyOneCopyAtATimeHoldsAFolder) {
    auto first = std::make_unique<SingleInstance>(folder());
    ASSERT_TRUE(first->claim());
    SingleInstance second(folder());
    EXPECT_FALSE(second.claim());
    SingleInstance elsewhere(root_.filePath(QStringLiteral("other")));
    EXPECT_TRUE(elsewhere.claim()) << "another user's or session's folder";
    first.reset();
    SingleInstance third(folder());
    EXPECT_TRUE(third.claim()) << "the first copy has ended";
}

// A lock naming this process, which never took it, is one a copy that died left behind when
// its process number came round to this one (as under Wine): taken over.
TEST_F(SingleInstanceTest, ALockLeftUnderThisProcesssNumberIsTakenOver) {
    QString lock;
    {
        SingleInstance probe(folder());
        ASSERT_TRUE(probe.claim());
        const QStringList locks = QDir(folder()).entryList({QStringLiteral("*.lock")});
        ASSERT_EQ(locks.size(), 1);
        lock = QDir(folder()).filePath(locks[0]);
    }
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
               QCoreApplication::applicationName().toUtf8() + '\n' +
               QSysInfo::machineHostName().toUtf8() + '\n');
    file.close();
    EXPECT_TRUE(SingleInstance(folder()).claim());
}

TEST_F(SingleInstanceTest, AHandOverReachesTheFirstCopyAndIsConfirmed) {
    SingleInstance first(folder());
    ASSERT_TRUE(first.claim());
    QList<FilePaths> received;
    QObject::connect(&first, &SingleInstance::filesReceived,
                     [&](const FilePaths& files) { received << files; });
    // Names from old archives are not UTF-8 (Latin-1, Shift_JIS): their bytes must arrive.
    const FilePaths files{rooted("p/a b.png"), rooted("p/行\nbreak.jpg"), rooted("p/ü.gif"),
                          rooted("p/caf\xe9.png"), rooted("p/\x8e\xca\x90\x5e.jpg")};
    EXPECT_EQ(sendToCopy(first.serverName(), handOverFrame(files)), 6);
    EXPECT_EQ(received, QList<FilePaths>({files}));
}

// Anything but one frame of absolute paths is refused whole, without an answer, and starts
// nothing; the copy goes on taking hand-overs.
TEST_F(SingleInstanceTest, ABadHandOverIsCutOffAndTheNextOneStillWorks) {
    SingleInstance first(folder());
    ASSERT_TRUE(first.claim());
    QList<FilePaths> received;
    QObject::connect(&first, &SingleInstance::filesReceived,
                     [&](const FilePaths& files) { received << files; });
    const FilePaths a{rooted("p/a.png")};
    const struct {
        const char* what;
        QByteArray bytes;
        int answer;
        QList<FilePaths> received;
    } cases[] = {
        {"oversized", QByteArray("\x7f\xff\xff\xff/p/a.png", 12), -1, {}},
        {"a length past the cap by one", QByteArray("\x01\x00\x00\x01/p/a.png\0", 13), -1, {}},
        {"no payload", QByteArray(4, '\0'), -1, {}},
        {"last path without its NUL", frameOf(a[0].native()), -1, {}},
        {"a relative path", frameOf(QByteArray("a.png\0", 6)), -1, {}},
        {"an empty path", frameOf(a[0].native() + QByteArray(2, '\0')), -1, {}},
        {"a second frame on one connection",
         handOverFrame(a) + handOverFrame({rooted("p/b.png")}), 6, {a}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        received.clear();
        EXPECT_EQ(sendToCopy(first.serverName(), c.bytes, 5000), c.answer);
        EXPECT_EQ(received, c.received);
        EXPECT_EQ(sendToCopy(first.serverName(), handOverFrame(a)), 6);
        EXPECT_EQ(received, c.received + QList<FilePaths>({a}));
    }
}

TEST_F(SingleInstanceTest, AHalfFrameThatStallsIsCutOffWhileOthersAreServed) {
    SingleInstance first(folder());
    ASSERT_TRUE(first.claim());
    QList<FilePaths> received;
    QObject::connect(&first, &SingleInstance::filesReceived,
                     [&](const FilePaths& files) { received << files; });
    QLocalSocket stalled;
    stalled.connectToServer(first.serverName());
    ASSERT_TRUE(stalled.waitForConnected(5000));
    const QByteArray frame = handOverFrame({rooted("p/stalled.png")});
    stalled.write(frame.left(frame.size() / 2));
    // Written while the first copy, in this thread, reads: a pipe may hold no unread bytes.
    ASSERT_TRUE(waitFor([&] { return stalled.bytesToWrite() == 0; }, 5000));
    QElapsedTimer clock;
    clock.start();

    const FilePaths a{rooted("p/a.png")};
    EXPECT_EQ(sendToCopy(first.serverName(), handOverFrame(a)), 6);
    EXPECT_EQ(received, QList<FilePaths>({a}));
    EXPECT_LT(clock.elapsed(), SingleInstance::kHandOverTimeoutMs / 2) << "served while one stalls";
    EXPECT_TRUE(waitFor([&] { return stalled.state() == QLocalSocket::UnconnectedState; },
                        SingleInstance::kHandOverTimeoutMs * 2));
    EXPECT_GE(clock.elapsed(), SingleInstance::kHandOverTimeoutMs - 1000);
    EXPECT_EQ(received, QList<FilePaths>({a}));
}

TEST_F(RealCopies, AFirstCopyConvertsTheFilesItWasStartedWith) {
    const QStringList sources = makeSources({"a.png", "b.png"});
    auto first = startFirst(sources);
    EXPECT_EQ(waitForOutputs(2), QStringList({"a.jpg", "b.jpg"}));
    EXPECT_TRUE(first->isRunning());
}

TEST_F(RealCopies, ALaterCopyWithFilesHandsThemToTheRunningCopyAndEnds) {
    auto first = startFirst();
    const QByteArray stored = "; mine\n[V1.00202]\niWidth=77\n";
    writeBytes(home_->settingsPath(), stored);
    makeSources({"a.png", "b.png"});
    CopyHome laterHome(root_.filePath(QStringLiteral("later")));
    laterHome.runtime = home_->runtime;
    laterHome.windir = home_->windir;
    RunningCopy later(laterHome, {QStringLiteral("a.png"), QStringLiteral("b.png")}, sources_);
    ASSERT_TRUE(later.process().waitForFinished(60000));
    EXPECT_EQ(later.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.process().exitCode(), 0);
    EXPECT_EQ(waitForOutputs(2), QStringList({"a.jpg", "b.jpg"}));
    EXPECT_FALSE(QFileInfo::exists(laterHome.desktop())) << "the later copy never loaded";
    EXPECT_EQ(readBytes(home_->settingsPath()), stored);
    EXPECT_TRUE(first->isRunning());
}

// The file managers' actions: files handed over with a preset convert with it, that batch
// only; the running window's choices and the settings file stay as they were.
TEST_F(RealCopies, ALaterCopyWithAPresetConvertsWithItAndChangesNothingElse) {
    const QByteArray stored = "[V1.00202]\niSizeConv=0\niWidth=77\niHeight=450\niRez=100\n"
                              "ImageFormat=PNG\niBackColor=16777215\niKeepGoing=0\n";
    writeBytes(home_->settingsPath(), stored);
    auto first = startFirst();
    makeSources({"a.png"});
    CopyHome laterHome(root_.filePath(QStringLiteral("later")));
    laterHome.runtime = home_->runtime;
    laterHome.windir = home_->windir;
    RunningCopy later(laterHome, {QStringLiteral("--preset"), QStringLiteral("thumbnail"), QStringLiteral("a.png")},
                      sources_);
    ASSERT_TRUE(later.process().waitForFinished(60000));
    EXPECT_EQ(later.process().exitCode(), 0);
    ASSERT_EQ(waitForOutputs(1), QStringList({"a.jpg"}));
    const QDir desktop(home_->desktop());
    const vips::VImage out = readImage(desktop.filePath(desktop.entryList(QDir::Dirs | QDir::NoDotAndDotDot).first() +
                                                  QStringLiteral("/a.jpg")));
    EXPECT_EQ(out.width(), 160);
    EXPECT_EQ(out.height(), 120);
    EXPECT_EQ(readBytes(home_->settingsPath()), stored);
    EXPECT_TRUE(first->isRunning());
}

TEST_F(RealCopies, ALaterCopyWithoutFilesStopsBeforeLoadingAndTouchesNothing) {
    auto first = startFirst();
    const QByteArray stored = "[V1.00202]\niRez=50\n";
    writeBytes(home_->settingsPath(), stored);
    CopyHome laterHome(root_.filePath(QStringLiteral("later")));
    laterHome.runtime = home_->runtime;
    laterHome.windir = home_->windir;
    RunningCopy later(laterHome, {});
    // It waits at its warning for someone to press OK; a copy that had gone on loading would
    // by now have made its Desktop folder.
    QThread::msleep(1500);
    EXPECT_TRUE(later.isRunning());
    EXPECT_FALSE(QFileInfo::exists(laterHome.desktop()));
    EXPECT_EQ(readBytes(home_->settingsPath()), stored);
    EXPECT_TRUE(first->isRunning());
    // The first copy still takes hand-overs.
    const QStringList sources = makeSources({"c.png"});
    EXPECT_EQ(sendToCopy(serverName(), handOverFrame(paths(sources))), 6);
    EXPECT_EQ(waitForOutputs(1), QStringList({"c.jpg"}));
}

} // namespace
} // namespace quillmorph::test
