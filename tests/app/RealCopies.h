#pragma once

#include "CopyHome.h"
#include "EventLoop.h"
#include "RunningCopy.h"
#include "SingleInstance.h"
#include "TestImages.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// The fixtures of the single-instance tests, shared by the tests of the meeting place and of
// the termination hooks, which start real copies too.
namespace quillmorph::test {

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000) {
    return runEventsUntil(done, timeoutMs);
}

// True once a copy listens on serverName: its socket file is there, or, for a pipe's name (not
// a path), a connection to it is taken.
inline bool isListening(const QString& serverName) {
    if (QDir::isAbsolutePath(serverName))
        return QFileInfo::exists(serverName);
    QLocalSocket probe;
    probe.connectToServer(serverName);
    return probe.waitForConnected(100);
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }
    QString folder() const { return root_.filePath(QStringLiteral("run")); }
    QTemporaryDir root_;
};

// Copies of the real program, each in its own temporary home.
class RealCopies : public SingleInstanceTest {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "a started copy finds its Desktop and meeting place through the account, not the test's HOME; MeetingPlaceWindowsTest hands over through the pipe";
#endif
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
        EXPECT_TRUE(waitFor([&] { return isListening(socket) || !copy->isRunning(); }));
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

} // namespace quillmorph::test
