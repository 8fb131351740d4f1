#include "EventLoop.h"
#include "RunningCopy.h"
#include "SingleInstance.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace quillmorph::test {
namespace {

bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000) {
    return runEventsUntil(done, timeoutMs);
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }
    QString folder() const { return root_.filePath(QStringLiteral("run")); }
    QTemporaryDir root_;
};

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

TEST_F(SingleInstanceTest, TheNamesCarryTheUserId) {
    const SingleInstance instance(folder());
    EXPECT_EQ(instance.serverName(),
              QDir(folder()).filePath(QStringLiteral("quillmorph-%1.socket").arg(::getuid())));
}

TEST_F(SingleInstanceTest, AHandOverReachesTheFirstCopyAndIsConfirmed) {
    SingleInstance first(folder());
    ASSERT_TRUE(first.claim());
    QList<FilePaths> received;
    QObject::connect(&first, &SingleInstance::filesReceived,
                     [&](const FilePaths& files) { received << files; });
    // Names from old archives are not UTF-8 (Latin-1, Shift_JIS): their bytes must arrive.
    const FilePaths files{FilePath(QStringLiteral("/p/a b.png")),
                          FilePath(QStringLiteral("/p/行\nbreak.jpg")), FilePath(QStringLiteral("/p/ü.gif")),
                          FilePath::fromNative("/p/caf\xe9.png"),
                          FilePath::fromNative("/p/\x8e\xca\x90\x5e.jpg")};
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
    const FilePaths a = paths({QStringLiteral("/p/a.png")});
    const struct {
        const char* what;
        QByteArray bytes;
        int answer;
        QList<FilePaths> received;
    } cases[] = {
        {"oversized", QByteArray("\x7f\xff\xff\xff/p/a.png", 12), -1, {}},
        {"a length past the cap by one", QByteArray("\x01\x00\x00\x01/p/a.png\0", 13), -1, {}},
        {"no payload", QByteArray(4, '\0'), -1, {}},
        {"last path without its NUL", QByteArray("\0\0\0\x08/p/a.png", 12), -1, {}},
        {"a relative path", QByteArray("\0\0\0\x06" "a.png\0", 10), -1, {}},
        {"an empty path", QByteArray("\0\0\0\x0a/p/a.png\0\0", 14), -1, {}},
        {"a second frame on one connection",
         handOverFrame(a) + handOverFrame(paths({QStringLiteral("/p/b.png")})), 6, {a}},
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
    const QByteArray frame = handOverFrame(paths({QStringLiteral("/p/stalled.png")}));
    stalled.write(frame.left(frame.size() / 2));
    ASSERT_TRUE(stalled.waitForBytesWritten(5000));
    QElapsedTimer clock;
    clock.start();

    const FilePaths a = paths({QStringLiteral("/p/a.png")});
    EXPECT_EQ(sendToCopy(first.serverName(), handOverFrame(a)), 6);
    EXPECT_EQ(received, QList<FilePaths>({a}));
    EXPECT_LT(clock.elapsed(), SingleInstance::kHandOverTimeoutMs / 2) << "served while one stalls";
    EXPECT_TRUE(waitFor([&] { return stalled.state() == QLocalSocket::UnconnectedState; },
                        SingleInstance::kHandOverTimeoutMs * 2));
    EXPECT_GE(clock.elapsed(), SingleInstance::kHandOverTimeoutMs - 1000);
    EXPECT_EQ(received, QList<FilePaths>({a}));
}

constexpr uid_t kNobody = 65534;

// Starts body as user nobody in a child process (which calls only system functions).
pid_t startAsNobody(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? body() : 99);
    }
    return child;
}

// The child's exit status, serving this thread's events meanwhile; -1 when it died.
int exitStatusOf(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0)
        runEventsUntil([] { return false; }, 20);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un socketAddress(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::copy_n(name.constData(), std::min<size_t>(name.size(), sizeof address.sun_path - 1),
                address.sun_path);
    return address;
}

TEST_F(SingleInstanceTest, CopiesMeetOnlyInAFolderNobodyElseCanEnter) {
    const auto made = [&](const char* name, mode_t mode) {
        const QString path = root_.filePath(QLatin1String(name));
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    };
    const QString fallback = root_.filePath(QStringLiteral("cache/quillmorph"));
    const QString open = made("open", 0755);
    const QString link = root_.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(made("private", 0700), link));
    EXPECT_EQ(SingleInstance::meetingFolder(made("private", 0700), {fallback}),
              root_.filePath(QStringLiteral("private")));
    for (const QString& runtime : {QString(), open, link}) {
        SCOPED_TRACE(runtime.toStdString());
        EXPECT_EQ(SingleInstance::meetingFolder(runtime, {fallback}), fallback);
        EXPECT_EQ(QFileInfo(fallback).permissions() & 0x0077, 0) << "closed to others";
    }
    EXPECT_EQ(SingleInstance::meetingFolder({}, {open, fallback}), open) << "ours, closed now";
    EXPECT_EQ(QFileInfo(open).permissions() & 0x0077, 0);
    EXPECT_EQ(SingleInstance::meetingFolder({}, {link, QStringLiteral("relative")}), QString());
    if (::geteuid() != 0)
        GTEST_SKIP() << "a folder of another user's needs root to make";
    const QString theirs = made("theirs", 0700);
    ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), kNobody, kNobody), 0);
    EXPECT_EQ(SingleInstance::meetingFolder(theirs, {theirs, fallback}), fallback);
}

// Another user who listens in our place, or knocks at our door, gets nothing; what they left
// behind does not keep this user's copy from starting.
TEST_F(SingleInstanceTest, HandOversPassOnlyBetweenCopiesOfOneUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs root to act as";
    const QString shared = root_.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    ::chmod(QFile::encodeName(root_.path()).constData(), 0755);
    ::chmod(QFile::encodeName(shared).constData(), 0777);
    const FilePaths files = paths({QStringLiteral("/p/a.png")});
    const QByteArray frame = handOverFrame(files);

    const SingleInstance later(shared);
    const pid_t listener = startAsNobody([&] {
        const sockaddr_un address = socketAddress(later.serverName());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 1) != 0)
            return 98;
        char bytes[64];
        return ::read(::accept(fd, nullptr, nullptr), bytes, sizeof bytes) > 0 ? 1 : 0;
    });
    EXPECT_FALSE(later.handOver(files, 5000));
    EXPECT_EQ(exitStatusOf(listener), 0) << "the paths went to another user";

    // Their socket (and a lock, made here) stay where a copy of ours meets.
    const QString lock = QDir(shared).filePath(QStringLiteral("quillmorph-0.lock"));
    writeBytes(lock, QByteArray());
    ASSERT_EQ(::chown(QFile::encodeName(lock).constData(), kNobody, kNobody), 0);
    SingleInstance first(shared);
    ASSERT_TRUE(first.claim());
    QList<FilePaths> received;
    QObject::connect(&first, &SingleInstance::filesReceived,
                     [&](const FilePaths& got) { received << got; });
    ::chmod(QFile::encodeName(first.serverName()).constData(), 0777);
    const pid_t knocking = startAsNobody([&] {
        const sockaddr_un address = socketAddress(first.serverName());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return 98;
        char answer = 0;
        return ::write(fd, frame.constData(), size_t(frame.size())) == frame.size() &&
                       ::read(fd, &answer, 1) == 1 && answer == 6
                   ? 1
                   : 0;
    });
    EXPECT_EQ(exitStatusOf(knocking), 0) << "another user's hand-over was taken";
    EXPECT_TRUE(received.isEmpty());
}

// A lock of ours that names no process is a crash's, long after: taken over; a fresh one may
// be a copy starting this very moment.
TEST_F(SingleInstanceTest, AnUnwrittenLockOfOursIsTakenOverOnlyOnceOld) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QString lock = QDir(folder()).filePath(QStringLiteral("quillmorph-%1.lock").arg(::getuid()));
    writeBytes(lock, QByteArray());
    EXPECT_FALSE(SingleInstance(folder()).claim());
    const struct timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(lock).constData(), old, 0), 0);
    EXPECT_TRUE(SingleInstance(folder()).claim());
}

// Copies of the real program, each in its own temporary home.
class RealCopies : public SingleInstanceTest {
protected:
    void SetUp() override {
        SingleInstanceTest::SetUp();
        home_ = std::make_unique<CopyHome>(root_.filePath(QStringLiteral("first")));
        sources_ = root_.filePath(QStringLiteral("sources"));
        ASSERT_TRUE(QDir().mkpath(sources_));
    }
    QString serverName() const {
        const QString cache = QDir(home_->home).filePath(QStringLiteral(".cache/quillmorph"));
        return SingleInstance(home_->runtime.isEmpty() ? cache : home_->runtime).serverName();
    }
    // Starts the first copy and waits until it takes hand-overs.
    std::unique_ptr<RunningCopy> startFirst(const QStringList& arguments = {}) {
        auto copy = std::make_unique<RunningCopy>(*home_, arguments);
        const QString socket = serverName();
        EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(socket) || !copy->isRunning(); }));
        EXPECT_TRUE(copy->isRunning()) << copy->process().readAllStandardError().toStdString();
        return copy;
    }
    QStringList makeSources(const QStringList& names) {
        QStringList paths;
        for (const QString& name : names)
            paths << writeImage(solid(40, 30, {200, 40, 40}), QDir(sources_).filePath(name));
        return paths;
    }
    // The files of the only dated folder on the first copy's Desktop, once there are count.
    QStringList waitForOutputs(int count) {
        QStringList files;
        waitFor([&] {
            const QStringList folders =
                QDir(home_->desktop()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            if (folders.size() != 1)
                return false;
            const QDir folder(QDir(home_->desktop()).filePath(folders.first()));
            files = folder.entryList(QDir::Files, QDir::Name);
            return files.size() >= count;
        });
        return files;
    }

    std::unique_ptr<CopyHome> home_;
    QString sources_;
};

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

// A su shell has no runtime folder, and another user has laid a lock of this user's name in
// the shared temporary folder (and taken the folder Qt would fall back to there).
TEST_F(RealCopies, WithoutARuntimeFolderCopiesMeetInAFolderOfTheUsersOwn) {
    home_->runtime.clear();
    home_->tmpdir = root_.filePath(QStringLiteral("tmp"));
    const QString planted =
        QDir(home_->tmpdir).filePath(QStringLiteral("quillmorph-%1.lock").arg(::getuid()));
    ASSERT_TRUE(QDir().mkpath(QDir(home_->tmpdir).filePath(QStringLiteral("runtime-root"))));
    writeBytes(planted, QByteArray());
    if (::geteuid() == 0) {
        for (const QString& theirs : {planted, QDir(home_->tmpdir).filePath(QStringLiteral("runtime-root"))})
            ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    }
    auto first = startFirst();
    makeSources({"a.png", "b.png"});
    RunningCopy later(*home_, {QStringLiteral("a.png"), QStringLiteral("b.png")}, sources_);
    ASSERT_TRUE(later.process().waitForFinished(60000));
    EXPECT_EQ(later.process().exitCode(), 0);
    EXPECT_EQ(waitForOutputs(2), QStringList({"a.jpg", "b.jpg"}));
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

// A logout or `kill` ends the window as closing it does: the file in hand finished, the
// settings written (here from a file holding one key), exit status 0.
TEST_F(RealCopies, ATerminationSignalClosesTheWindowAsTheUserWould) {
    const QString big = writeImage(noise(1200, 900), QDir(sources_).filePath(QStringLiteral("n.png")));
    QStringList many;
    for (int i = 0; i < 30; ++i) {
        many << QDir(sources_).filePath(QStringLiteral("n%1.png").arg(i));
        ASSERT_TRUE(QFile::copy(big, many.back()));
    }
    const struct {
        int signalNumber;
        const char* when;
        QStringList files;
        int outputsBefore;
    } cases[] = {{SIGTERM, "idle", {}, 0},
                 {SIGINT, "with the completion message open", makeSources({"a.png"}), 1},
                 {SIGHUP, "mid-batch", many, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        home_ = std::make_unique<CopyHome>(root_.filePath(QLatin1String(c.when)));
        // PNG of noise at its own size: a batch slow enough to be caught in the middle.
        const QByteArray stored = "[V1.00202]\niRez=50\nImageFormat=PNG\n";
        writeBytes(home_->settingsPath(), stored);
        auto copy = startFirst(c.files);
        if (c.outputsBefore > 0)
            waitForOutputs(c.outputsBefore);
        if (c.files.size() == 1)
            QThread::msleep(500); // its completion message is up by now
        ::kill(pid_t(copy->process().processId()), c.signalNumber);
        ASSERT_TRUE(copy->process().waitForFinished(60000));
        EXPECT_EQ(copy->process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->process().exitCode(), 0);
        const QByteArray saved = readBytes(home_->settingsPath());
        EXPECT_TRUE(saved.startsWith(stored) && saved.contains("\niSizeConv=0\n"))
            << saved.toStdString();
        int outputs = 0;
        for (QDirIterator it(home_->desktop(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++outputs;
        if (c.files.size() > 1)
            EXPECT_LT(outputs, c.files.size()) << "the batch was not stopped";
        else
            EXPECT_EQ(outputs, c.files.size());
    }
}

TEST_F(RealCopies, TheLockAndSocketOfACrashedCopyAreTakenOver) {
    auto crashed = startFirst();
    crashed->kill();
    ASSERT_TRUE(QFileInfo::exists(serverName())) << "a crash leaves its socket behind";
    ASSERT_TRUE(QDir(home_->runtime)
                    .entryList()
                    .contains(QStringLiteral("quillmorph-%1.lock").arg(::getuid())))
        << "and its lock";
    SingleInstance next(home_->runtime);
    ASSERT_TRUE(next.claim());
    FilePaths received;
    QObject::connect(&next, &SingleInstance::filesReceived,
                     [&](const FilePaths& files) { received = files; });
    EXPECT_EQ(sendToCopy(next.serverName(), handOverFrame(paths({QStringLiteral("/p/a.png")}))), 6);
    EXPECT_EQ(received, paths({QStringLiteral("/p/a.png")}));
}

} // namespace
} // namespace quillmorph::test
