#include "BatchRunner.h"
#include "SurfaceNote.h"
#include "TestImages.h"
#include "WindowTest.h"
#include "batch/StatusSentences.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QProgressBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

namespace quillmorph::test {
namespace {

class WindowBatch : public WindowTest {
protected:
    // Calls fn on the GUI thread as file index of the batch is about to start, holding the
    // batch until fn has returned (the window itself never makes it wait).
    void atFile(int index, std::function<void()> fn) {
        auto* runner = window_->findChild<BatchRunner*>();
        ASSERT_NE(runner, nullptr);
        QWidget* window = window_.get();
        QObject::connect(
            runner, &BatchRunner::fileStarting, runner,
            [index, fn, window](int i) {
                if (i == index)
                    QMetaObject::invokeMethod(window, fn, Qt::BlockingQueuedConnection);
            },
            Qt::DirectConnection);
    }
    void dropSources(const QStringList& sources) {
        ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), sources).moveAccepted);
        ASSERT_TRUE(window_->isBatchRunning());
    }
    // The output decodes completely and has the source's red.
    void expectComplete(const QString& name, int width, int height) {
        const QString path = outputPath(name);
        ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        const vips::VImage image = readImage(path);
        EXPECT_EQ(image.width(), width) << name.toStdString();
        EXPECT_EQ(image.height(), height) << name.toStdString();
        EXPECT_TRUE(near(pixelAt(image, width / 2, height / 2), {200, 40, 40}, 12))
            << name.toStdString();
        EXPECT_GE(image.avg(), 0.0); // decodes every pixel
    }
};

TEST_F(WindowBatch, ShowsProgressAndABusyCursorThenBeepsAndReports) {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    auto* progress = control<QProgressBar>("batchProgress");
    const QStringList sources = makeSources({"a.png", "b.png", "c.png"});
    QList<int> values;
    QStringList counts;
    bool shown = true;
    bool busy = true;
    const auto* note = window_->findChild<SurfaceNote*>();
    ASSERT_NE(note, nullptr);
    QObject::connect(window_.get(), &frmMain::batchFileStarting, window_.get(),
                     [&](int, int count) {
                         values << progress->value();
                         counts << note->lines().join(QLatin1Char(' '));
                         shown = shown && progress->isVisible() && progress->maximum() == count;
                         busy = busy && QApplication::overrideCursor() &&
                                QApplication::overrideCursor()->shape() == Qt::BusyCursor;
                     });
    dropSources(sources);
    EXPECT_EQ(progress->maximum(), 3) << "plain files are counted at once";
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(values, QList<int>({0, 1, 2}));
    EXPECT_EQ(counts, QStringList({"1 / 3 a.png", "2 / 3 b.png", "3 / 3 c.png"}));
    EXPECT_EQ(note->lines().first(), QStringLiteral("画像をここにドロップ")) << "the hint is back";
    EXPECT_TRUE(shown);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log_, QStringList({"<beep>", " 3ファイルを変換終了しました。"}));
    EXPECT_TRUE(openedUrls_.isEmpty()) << "OK opens nothing";
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(outputFolders().size(), 1);
    EXPECT_TRUE(outputFolders().first().startsWith(QStringLiteral("pic")));
    ASSERT_EQ(notes_.size(), 1);
    EXPECT_TRUE(notes_[0].startsWith(QStringLiteral("保存先: ") + QDir(desktop_).filePath(outputFolders().first()) +
                                     QStringLiteral("\n合計 ")))
        << notes_[0].toStdString();
}

TEST_F(WindowBatch, AFolderInTheDropKeepsTheBarBusyUntilTheCountIsKnown) {
    ASSERT_TRUE(QDir(sources_).mkdir(QStringLiteral("album")));
    makeSources({"album/a.png", "album/b.png"});
    auto* progress = control<QProgressBar>("batchProgress");
    QList<int> maximums;
    atFile(1, [&] { maximums << progress->maximum(); });
    dropSources({makeSources({"loose.png"}).first(), QDir(sources_).filePath("album")});
    EXPECT_TRUE(progress->isVisibleTo(window_.get()));
    EXPECT_EQ(progress->maximum(), 0) << "busy, not 2 of a count nobody knows yet";
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(maximums, QList<int>({3}));
    EXPECT_EQ(log_, QStringList({"<beep>", " 3ファイルを変換終了しました。"}));
}

TEST_F(WindowBatch, OpenFolderOnTheCompletionMessageOpensTheDatedFolder) {
    openFolder_ = true;
    dropSources(makeSources({"a.png"}));
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({"<beep>", " 1ファイルを変換終了しました。"}));
    ASSERT_EQ(outputFolders().size(), 1);
    const QString folder = QDir(desktop_).filePath(outputFolders().first());
    EXPECT_EQ(openedUrls_, QList<QUrl>({QUrl::fromLocalFile(folder)}));
    EXPECT_EQ(selectedItems_, FilePaths({FilePath(QDir(folder).filePath(QStringLiteral("a.jpg")))}));
}

TEST_F(WindowBatch, ACancelledBatchWithFailuresSaysSoAboveTheCounts) {
    BatchResult result;
    result.outcome = BatchResult::Outcome::Cancelled;
    result.converted = 3;
    result.skipped = 1;
    result.failures = {Failure::of(Failure::Kind::NotAnImage, FilePath(QStringLiteral("/in/a.png"))),
                       Failure::engine(status::kCorruptData, Stage::Load, QStringLiteral("/in/b.png"))};
    Q_EMIT window_->findChild<BatchRunner*>()->finished(result);
    EXPECT_EQ(log_, QStringList({"<failures> 3ファイルを変換した時点で中止しました。\n"
                                 " 3ファイルを変換し、 2ファイルが失敗しました。\n"
                                 " 1ファイルは画像ではないため変換しませんでした。",
                                 "画像形式が不正です。\n/in/a.png",
                                 "エラー:  7 In Load\n/in/b.png\nファイルが壊れているか、途中で切れています。"}));
}

TEST_F(WindowBatch, TheFolderOpenedKeepsTheBytesOfANameThatIsNotUtf8) {
    BatchResult result;
    result.converted = 1;
    result.outputFolder = FilePath::fromNative(QFile::encodeName(desktop_) + "/pic\xff");
    openFolder_ = true;
    Q_EMIT window_->findChild<BatchRunner*>()->finished(result);
    EXPECT_EQ(openedUrls_, QList<QUrl>({QUrl::fromEncoded("file://" + QFile::encodeName(desktop_) +
                                                          "/pic%FF")}));
}

TEST_F(WindowBatch, OptionsChangedDuringTheBatchReachTheFilesAfterThem) {
    const QStringList names{"a", "b", "c", "d", "e", "f"};
    QStringList pngNames;
    for (const QString& name : names)
        pngNames << name + QStringLiteral(".png");
    const QStringList sources = makeSources(pngNames);
    atFile(2, [this] {
        control<QComboBox>("cobFormat")->setEditText(QStringLiteral("PNG"));
        control<QCheckBox>("chkMode")->setChecked(true);
        control<QComboBox>("cobWidth")->setEditText(QStringLiteral("80"));
        control<QComboBox>("cobHeight")->setEditText(QStringLiteral("60"));
    });
    dropSources(sources);
    ASSERT_TRUE(waitForBatch());
    ASSERT_EQ(outputEntries().size(), names.size());
    // Files already under way when the user changed the options keep the old ones (one file
    // per core is prepared ahead); every file after them has all the new ones.
    bool changed = false;
    for (const QString& name : names) {
        const bool old = QFileInfo::exists(outputPath(name + QStringLiteral(".jpg")));
        if (!old)
            changed = true;
        EXPECT_NE(old, changed) << name.toStdString() << ": old options after new ones";
        if (old)
            expectComplete(name + QStringLiteral(".jpg"), 40, 30);
        else
            expectComplete(name + QStringLiteral(".png"), 80, 60);
    }
    EXPECT_TRUE(QFileInfo::exists(outputPath(QStringLiteral("a.jpg"))))
        << "a started before the change";
    EXPECT_TRUE(QFileInfo::exists(outputPath(QStringLiteral("e.png"))));
    EXPECT_TRUE(QFileInfo::exists(outputPath(QStringLiteral("f.png"))));
}

TEST_F(WindowBatch, EscapeStopsAfterTheCurrentFile) {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    const QStringList sources = makeSources({"a.png", "b.png", "c.png", "d.png"});
    atFile(2, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); });
    dropSources(sources);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({" 2ファイルを変換した時点で中止しました。"}));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "b.jpg"}));
    expectComplete(QStringLiteral("a.jpg"), 40, 30);
    expectComplete(QStringLiteral("b.jpg"), 40, 30);
    EXPECT_EQ(notes_, QStringList({QStringLiteral("残りのファイルは変換していません。\n保存先: ") +
                                   QDir(desktop_).filePath(outputFolders().value(0))}));
}

// Esc stops the batch in hand only: its box says so, and that the drop waiting its turn still
// runs, which it then does.
TEST_F(WindowBatch, EscapeSaysTheRestWasLeftAndThatAWaitingDropStillRuns) {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    const QStringList first = makeSources({"a.png", "b.png", "c.png"});
    const QStringList waiting = makeSources({"w.png"});
    atFile(1, [&] {
        if (!log_.isEmpty())
            return; // the waiting drop's own batch
        ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), waiting).moveAccepted);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    dropSources(first);
    ASSERT_TRUE(waitUntil([&] { return log_.size() == 3 && !window_->isBatchRunning(); }));
    EXPECT_EQ(log_, QStringList({" 1ファイルを変換した時点で中止しました。", "<beep>",
                                 " 1ファイルを変換終了しました。"}));
    ASSERT_EQ(notes_.size(), 2);
    EXPECT_TRUE(notes_[0].startsWith(
        QStringLiteral("残りのファイルは変換していません。\n"
                       "順番を待っているドロップ（1 件）は、このあと続けて変換します。\n保存先: ")))
        << notes_[0].toStdString();
    EXPECT_FALSE(notes_[1].contains(QStringLiteral("残り"))) << notes_[1].toStdString();
}

TEST_F(WindowBatch, EscapeWithoutABatchDoesNothingToTheNextOne) {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    dropSources(makeSources({"a.png", "b.png"}));
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({"<beep>", " 2ファイルを変換終了しました。"}));
}

TEST_F(WindowBatch, ClosingStopsAfterTheCurrentFileThenCloses) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const QStringList sources = makeSources({"a.png", "b.png", "c.png", "d.png"});
    bool closedAtOnce = true;
    atFile(2, [&] {
        closedAtOnce = window_->close();
        EXPECT_TRUE(window_->isVisible());
    });
    dropSources(sources);
    ASSERT_TRUE(waitForBatch());
    QGuiApplication::setQuitOnLastWindowClosed(true);
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(log_.isEmpty()) << log_.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "b.jpg"}));
    expectComplete(QStringLiteral("a.jpg"), 40, 30);
    expectComplete(QStringLiteral("b.jpg"), 40, 30);
}

TEST_F(WindowBatch, DestroyingTheWindowMidBatchWaitsForTheCurrentFile) {
    const QStringList sources = makeSources({"a.png", "b.png", "c.png", "d.png", "e.png"});
    // Destroyed just after file 2 has begun; the batch may by then have begun file 3 too,
    // which it then finishes, but not file 4: file 3 waits for the window to go.
    auto* runner = window_->findChild<BatchRunner*>();
    QObject::connect(
        runner, &BatchRunner::fileStarting, runner,
        [runner](int index, int) {
            while (index == 3 && !runner->cancelRequested())
                QThread::msleep(1);
        },
        Qt::DirectConnection);
    atFile(2, [this] { QTimer::singleShot(0, [this] { window_.reset(); }); });
    dropSources(sources);
    ASSERT_TRUE(waitUntil([this] { return !window_; }));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(log_.isEmpty());
    const QStringList entries = outputEntries();
    EXPECT_TRUE(entries == QStringList({"a.jpg", "b.jpg"}) ||
                entries == QStringList({"a.jpg", "b.jpg", "c.jpg"}))
        << entries.join(QLatin1Char(' ')).toStdString();
    for (const QString& name : entries)
        expectComplete(name, 40, 30);
}

TEST_F(WindowBatch, AFailureEndsTheBatchWithItsMessageAndNoBeep) {
    QStringList sources = makeSources({"a.png"});
    sources << writeBytes(QDir(sources_).filePath(QStringLiteral("notes.png")), "plain words");
    sources << makeSources({"c.png"});
    dropSources(sources);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({QStringLiteral("画像形式が不正です。\n") + sources[1]}));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg"}));
    // c.png was left; a file was written: the box names its folder (and offers to open it).
    EXPECT_EQ(notes_, QStringList({QStringLiteral("残りのファイルは変換していません。\n保存先: ") +
                                   QDir(desktop_).filePath(outputFolders().value(0))}));
}

TEST_F(WindowBatch, WithKeepGoingOnAFailureIsListedAtTheEndAndTheRestConverted) {
    QStringList sources = makeSources({"a.png"});
    sources << writeBytes(QDir(sources_).filePath(QStringLiteral("notes.png")), "plain words");
    sources << makeSources({"c.png"});
    control<QAction>("keepGoing")->trigger();
    dropSources(sources);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_,
              QStringList({"<beep>", "<failures> 2ファイルを変換し、 1ファイルが失敗しました。",
                           QStringLiteral("画像形式が不正です。\n") + sources[1]}));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "c.jpg"}));
}

TEST_F(WindowBatch, AnUnknownFormatTextEndsTheBatch) {
    control<QComboBox>("cobFormat")->setEditText(QStringLiteral("jpeg"));
    const QStringList sources = makeSources({"a.png"});
    dropSources(sources);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({QStringLiteral("画像形式の選択エラーです [jpeg]")}));
    EXPECT_EQ(notes_, QStringList({QString()})) << "nothing written, no folder to offer";
}

TEST_F(WindowBatch, AReportHoldsTheBatchUntilTheUserHasSeenIt) {
    auto* runner = window_->findChild<BatchRunner*>();
    ASSERT_NE(runner, nullptr);
    std::atomic_bool returned = false;
    bool heldWhileShown = false;
    std::thread batchThread;
    // The window's own message hook sees the report; the caller must still be waiting.
    QObject::connect(runner, &BatchRunner::reportRaised, window_.get(),
                     [&](const Failure&) { heldWhileShown = !returned; });
    batchThread = std::thread([&] {
        runner->report(Failure::of(Failure::Kind::FillFailed, {}));
        returned = true;
    });
    const bool done = waitUntil([&] { return bool(returned); }, 10000);
    if (!done) {
        batchThread.detach();
        FAIL() << "the report never came back";
    }
    batchThread.join();
    EXPECT_TRUE(heldWhileShown);
    EXPECT_EQ(log_, QStringList({QStringLiteral("ERR: LEAD1 Fill")}));
    EXPECT_EQ(notes_, QStringList({message::sentence(Failure::of(Failure::Kind::FillFailed, {}))}));
}

} // namespace
} // namespace quillmorph::test
