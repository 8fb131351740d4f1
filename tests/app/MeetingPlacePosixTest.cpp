#include "RealCopies.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// The meeting place on POSIX: names by user id, folders by owner and mode, peers by their
// credentials, a runtime folder of the session's.
namespace quillmorph::test {
namespace {

using MeetingPlacePosixTest = SingleInstanceTest;
using RealCopiesPosix = RealCopies;

TEST_F(MeetingPlacePosixTest, TheNamesCarryTheUserId) {
    const SingleInstance instance(folder());
    EXPECT_EQ(instance.serverName(),
              QDir(folder()).filePath(QStringLiteral("quillmorph-%1.socket").arg(::getuid())));
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

TEST_F(MeetingPlacePosixTest, CopiesMeetOnlyInAFolderNobodyElseCanEnter) {
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
TEST_F(MeetingPlacePosixTest, HandOversPassOnlyBetweenCopiesOfOneUser) {
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
TEST_F(MeetingPlacePosixTest, AnUnwrittenLockOfOursIsTakenOverOnlyOnceOld) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QString lock = QDir(folder()).filePath(QStringLiteral("quillmorph-%1.lock").arg(::getuid()));
    writeBytes(lock, QByteArray());
    EXPECT_FALSE(SingleInstance(folder()).claim());
    const struct timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(lock).constData(), old, 0), 0);
    EXPECT_TRUE(SingleInstance(folder()).claim());
}

// A su shell has no runtime folder, and another user has laid a lock of this user's name in
// the shared temporary folder (and taken the folder Qt would fall back to there).
TEST_F(RealCopiesPosix, WithoutARuntimeFolderCopiesMeetInAFolderOfTheUsersOwn) {
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

TEST_F(RealCopiesPosix, TheLockAndSocketOfACrashedCopyAreTakenOver) {
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
