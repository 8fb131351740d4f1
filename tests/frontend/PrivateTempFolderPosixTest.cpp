#include "frontend/PrivateTempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace quillmorph {
namespace {

// A process that has ended and been waited for: its id names nobody now.
qint64 endedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// Only a folder of ours whose process is gone is taken; one of a live process, another user's,
// or a name that is not ours stays.
TEST(PrivateTempFolderPosixTest, TakesAwayOnlyTheFoldersOfOursWhoseProcessIsGone) {
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    const QDir dir(parent.path());
    const QString gone = QStringLiteral("quillmorph-%1-aaaaaa").arg(endedProcess());
    const QString live =
        QStringLiteral("quillmorph-%1-bbbbbb").arg(QCoreApplication::applicationPid());
    const QString theirs = QStringLiteral("quillmorph-%1-cccccc").arg(endedProcess());
    const QString other = QStringLiteral("quillmorph-x-dddddd");
    for (const QString& name : {gone, live, theirs, other})
        ASSERT_TRUE(dir.mkpath(name + QStringLiteral("/left")));
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(dir.filePath(theirs)).constData(), 65534, 65534), 0);
    }
    PrivateTempFolder::removeLeftovers(parent.path());
    EXPECT_FALSE(dir.exists(gone));
    EXPECT_TRUE(dir.exists(live + QStringLiteral("/left")));
    EXPECT_EQ(dir.exists(theirs), asRoot) << "another user's folder is theirs to take";
    EXPECT_TRUE(dir.exists(other));
}

} // namespace
} // namespace quillmorph
