#include "BatchRunner.h"
#include "EventLoop.h"
#include "ScriptedOptions.h"
#include "TestImages.h"
#include "batch/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace quillmorph::test {
namespace {

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* name : {"a.png", "b.png", "c.png"})
            files_ << writeImage(solid(16, 12, {0, 0, 255}), dir_.filePath(QLatin1String(name)));
        place_.parentFolder = dir_.filePath(QStringLiteral("out"));
    }

    QTemporaryDir dir_;
    QStringList files_;
    BatchPlace place_;
    ScriptedOptions options_;
};

TEST_F(Runner, RunsOneBatchAtATimeOffTheGuiThread) {
    BatchRunner runner(options_);
    std::optional<BatchResult> result;
    QList<int> started;
    QList<int> done;
    bool onGuiThread = true;
    QObject::connect(&runner, &BatchRunner::fileStarting, &runner, [&](int index, int) {
        started << index;
        onGuiThread =
            onGuiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    });
    QObject::connect(&runner, &BatchRunner::fileDone, &runner,
                     [&](int index, int) { done << index; });
    QObject::connect(&runner, &BatchRunner::finished, &runner,
                     [&](const BatchResult& r) { result = r; });
    ASSERT_TRUE(runner.start(test::paths(files_), place_));
    EXPECT_TRUE(runner.isRunning());
    EXPECT_FALSE(runner.start(test::paths(files_), place_));
    ASSERT_TRUE(runEventsUntil([&] { return result.has_value(); }));
    EXPECT_FALSE(runner.isRunning());
    EXPECT_EQ(result->outcome, BatchResult::Outcome::Completed);
    EXPECT_EQ(result->converted, 3);
    EXPECT_EQ(started, QList<int>({1, 2, 3}));
    EXPECT_EQ(done, QList<int>({1, 2, 3}));
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(QDir(result->outputFolder.display()).entryList(QDir::Files).size(), 3);
}

TEST_F(Runner, CancelStopsBeforeTheNextFileAndANewBatchStartsClean) {
    BatchRunner runner(options_);
    std::optional<BatchResult> result;
    // On the batch's thread, before file 1 starts.
    QObject::connect(
        &runner, &BatchRunner::fileStarting, &runner,
        [&](int index, int) {
            if (index == 1)
                runner.requestCancel();
        },
        Qt::DirectConnection);
    QObject::connect(&runner, &BatchRunner::finished, &runner,
                     [&](const BatchResult& r) { result = r; });
    ASSERT_TRUE(runner.start(test::paths(files_), place_));
    ASSERT_TRUE(runEventsUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->outcome, BatchResult::Outcome::Cancelled);
    EXPECT_EQ(result->converted, 1);
    EXPECT_EQ(message::finalMessage(*result), QStringLiteral(" 1ファイルを変換した時点で中止しました。"));

    result.reset();
    QObject::disconnect(&runner, &BatchRunner::fileStarting, nullptr, nullptr);
    ASSERT_TRUE(runner.start(test::paths(files_), place_));
    ASSERT_TRUE(runEventsUntil([&] { return result.has_value(); }));
    EXPECT_EQ(result->outcome, BatchResult::Outcome::Completed);
}

TEST_F(Runner, StopAndWaitReleasesABatchWaitingForTheGuiAndRaisesNothingMore) {
    bool signalled = false;
    {
        BatchRunner runner(options_);
        QObject::connect(&runner, &BatchRunner::finished, &runner,
                         [&](const BatchResult&) { signalled = true; });
        QObject::connect(&runner, &BatchRunner::fileStarting, &runner,
                         [&](int, int) { signalled = true; });
        QObject::connect(&runner, &BatchRunner::reportRaised, &runner,
                         [&](const Failure&) { signalled = true; });
        // A report is what a batch waits for the GUI for: file 1 raises one as it starts.
        QObject::connect(
            &runner, &BatchRunner::fileStarting, &runner,
            [&](int index, int) {
                if (index == 1)
                    runner.report(Failure::of(Failure::Kind::FillFailed, {}));
            },
            Qt::DirectConnection);
        ASSERT_TRUE(runner.start(test::paths(files_), place_));
        // The pool thread is now held in that report until this thread answers.
        QThread::msleep(100);
        runner.stopAndWait();
        EXPECT_FALSE(runner.isRunning());
    }
    EXPECT_FALSE(signalled);
    const QStringList folders =
        QDir(place_.parentFolder.display()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(QDir(QDir(place_.parentFolder.display()).filePath(folders.first())).entryList(QDir::Files),
              QStringList({QStringLiteral("a.jpg")}));
}

} // namespace
} // namespace quillmorph::test
