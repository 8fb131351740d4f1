#include "HandOffGathering.h"
#include "LaterCopy.h"
#include "RunningCopy.h"
#include "ScopedVariable.h"
#include "SingleInstance.h"
#include "TestImages.h"
#include "WindowTest.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QTest>
#include <cstdio>
#include <memory>

namespace quillmorph::test {
namespace {

class StartUp : public WindowTest {
protected:
    bool createsWindowInSetUp() const override { return false; }
    void atFile(int index, std::function<void()> fn) {
        QObject::connect(window_.get(), &frmMain::batchFileStarting, window_.get(),
                         [index, fn](int i, int) {
                             if (i == index)
                                 fn();
                         });
    }
    // The runtime folder a later copy shares with this window, made as a session makes it.
    QString runtime() const { return CopyHome(root_.filePath(QStringLiteral("session"))).runtime; }
    // Opens the window as the first copy, holding instance_'s claim.
    void openFirstCopy() {
        instance_ = std::make_unique<SingleInstance>(runtime());
        ASSERT_TRUE(instance_->claim());
        WindowStart start;
        start.instance = instance_.get();
        openWindow(start);
    }
    void TearDown() override {
        WindowTest::TearDown();
        instance_.reset();
    }
    std::unique_ptr<SingleInstance> instance_;
};

TEST_F(StartUp, LoadingCreatesAMissingDesktopFolder) {
    ASSERT_FALSE(QFileInfo::exists(desktop_));
    openWindow();
    EXPECT_TRUE(QFileInfo(desktop_).isDir());
    EXPECT_EQ(window_->desktopPath(), desktop_);
}

TEST_F(StartUp, WithoutAGivenFolderTheAccountsDesktopIsUsed) {
    const QString home = root_.filePath(QStringLiteral("home"));
    const ScopedVariable homeVariable("HOME", home);
    const ScopedVariable config("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    {
        frmMain window(WindowStart{}, recordingDialogs());
        EXPECT_EQ(window.desktopPath(), home + QStringLiteral("/Desktop"));
        EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Desktop")).isDir());
    }
    // The folder the desktop names as its Desktop, in the account's own language.
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config")));
    writeBytes(home + QStringLiteral("/.config/user-dirs.dirs"),
               "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    frmMain window(WindowStart{}, recordingDialogs());
    EXPECT_EQ(window.desktopPath(), home + QStringLiteral("/Schreibtisch"));
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Schreibtisch")).isDir());
    EXPECT_TRUE(log_.isEmpty());
}

TEST_F(StartUp, FilesGivenAtStartAreConvertedAsOneDrop) {
    WindowStart start;
    start.files = paths(makeSources({"a.png", "b.png"}));
    openWindow(start);
    EXPECT_TRUE(window_->isBatchRunning());
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({"<beep>", " 2ファイルを変換終了しました。"}));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "b.jpg"}));
}

TEST_F(StartUp, ALaterCopyWithoutFilesWarnsAndEndsWithoutAWindow) {
    SingleInstance first(runtime());
    ASSERT_TRUE(first.claim());
    SingleInstance later(runtime());
    ASSERT_FALSE(later.claim());
    EXPECT_EQ(endAsLaterCopy(later, {}, {}, recordingDialogs()), 0);
    EXPECT_EQ(log_,
              QStringList({QStringLiteral("<warning>すでに「quillmorph」は起動されています。")}));
    EXPECT_FALSE(QFileInfo::exists(settingsPath()));
}

// A preset the settings file does not hold is refused by the later copy itself, where the user
// is: on its terminal when it has one, else in a box; nothing reaches the running window.
TEST_F(StartUp, ALaterCopyWithAnUnknownPresetSaysSoAndHandsNothingOver) {
    SingleInstance first(runtime());
    ASSERT_TRUE(first.claim());
    int received = 0;
    QObject::connect(&first, &SingleInstance::filesReceived, [&] { ++received; });
    SingleInstance later(runtime());
    ASSERT_FALSE(later.claim());
    const FilePaths files = paths(makeSources({"a.png"}));
    EXPECT_EQ(endAsLaterCopy(later, files, QStringLiteral("bogus"), recordingDialogs()), 1);
    EXPECT_EQ(log_,
              QStringList({QStringLiteral("<warning>プリセット「bogus」が見つかりません。")}));

    log_.clear();
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> terminal(std::tmpfile(), &std::fclose);
    ASSERT_TRUE(terminal);
    EXPECT_EQ(endAsLaterCopy(later, files, QStringLiteral("bo\x1bgus"), recordingDialogs(),
                             terminal.get()),
              1);
    EXPECT_TRUE(log_.isEmpty());
    std::rewind(terminal.get());
    char said[256] = {};
    std::fread(said, 1, sizeof said - 1, terminal.get());
    EXPECT_EQ(QString::fromLocal8Bit(said),
              QStringLiteral("quillmorph: プリセット「bo\\x1Bgus」が見つかりません。\n"));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0);
}

// The window answers a hand-over before it shows anything about it: the later copy is never
// left waiting on a box nobody has answered, and one gone by the time it is answered costs
// nothing.
TEST_F(StartUp, AHandOverIsAnsweredBeforeTheWindowShowsABoxAboutIt) {
    openFirstCopy();
    const FilePaths files = paths(makeSources({"a.png"}));
    QLocalSocket client;
    client.connectToServer(instance_->serverName());
    ASSERT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::ConnectedState; }));
    bool answeredFirst = false;
    whileWarningShown_ = [&] {
        answeredFirst = waitUntil([&] { return client.bytesAvailable() > 0; }, 5000);
        client.abort();
        waitUntil([] { return false; }, 200);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    client.write(handOverFrame(files, "bogus"));
    ASSERT_TRUE(waitUntil([&] { return !log_.isEmpty(); }));
    EXPECT_TRUE(answeredFirst);
    EXPECT_EQ(log_,
              QStringList({QStringLiteral("<warning>プリセット「bogus」が見つかりません。")}));
    whileWarningShown_ = nullptr;
    EXPECT_EQ(sendToCopy(instance_->serverName(), handOverFrame(files)), 6);
    ASSERT_TRUE(waitUntil([&] { return log_.size() == 3 && !window_->isBatchRunning(); }));
    EXPECT_EQ(log_.last(), QStringLiteral(" 1ファイルを変換終了しました。"));
}

TEST_F(StartUp, TheFirstCopyLoadsAsUsual) {
    openFirstCopy();
    EXPECT_EQ(control<QComboBox>("cobFormat")->count(), 12);
    EXPECT_TRUE(log_.isEmpty());
    SingleInstance later(runtime());
    EXPECT_FALSE(later.claim()) << "the window holds its claim";
}

TEST_F(StartUp, FilesFromALaterCopyAreConvertedAsADropAndItLeavesTheSettingsAlone) {
#ifdef _WIN32
    GTEST_SKIP() << "a started copy finds its Desktop and meeting place through the account, not the test's HOME; MeetingPlaceWindowsTest hands over through the pipe";
#endif
    openFirstCopy();
    const QByteArray stored = "[V1.00202]\niSizeConv=1\niWidth=20\niHeight=20\n";
    writeBytes(settingsPath(), stored);
    makeSources({"a.png", "b b.png"});

    CopyHome home(root_.filePath(QStringLiteral("later")));
    home.runtime = runtime();
    home.windir = windir_;
    // Relative names, as a shell in the sources folder passes them.
    RunningCopy later(home, {QStringLiteral("a.png"), QStringLiteral("b b.png")}, sources_);
    ASSERT_TRUE(waitUntil([&] { return !later.isRunning(); }, 60000))
        << later.process().readAllStandardError().toStdString();
    EXPECT_EQ(later.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.process().exitCode(), 0);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(log_, QStringList({"<beep>", " 2ファイルを変換終了しました。"}));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg", "b b.jpg"}));
    // Converted by this window with its own options, not with the stored ones (20 × 20).
    EXPECT_EQ(readImage(outputPath(QStringLiteral("a.jpg"))).width(), 40);
    EXPECT_EQ(readBytes(settingsPath()), stored);
    EXPECT_FALSE(QFileInfo::exists(home.desktop()));
}

TEST_F(StartUp, FilesHandedOverDuringABatchAreConvertedAfterIt) {
    openFirstCopy();
    const QStringList first = makeSources({"a.png", "b.png"});
    const QStringList handed = makeSources({"c.png"});
    int answer = -1;
    bool queuedWhileBusy = false;
    atFile(1, [&] {
        if (answer != -1)
            return; // the handed-over batch starts at file 1 too
        answer = sendToCopy(instance_->serverName(), handOverFrame(paths(handed)));
        queuedWhileBusy = window_->isBatchRunning();
    });
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), first).moveAccepted);
    ASSERT_TRUE(waitForBatch());
    EXPECT_EQ(answer, 6);
    EXPECT_TRUE(queuedWhileBusy);
    EXPECT_EQ(log_, QStringList({"<beep>", " 2ファイルを変換終了しました。", "<beep>",
                                 " 1ファイルを変換終了しました。"}));
    const QStringList folders = outputFolders();
    ASSERT_EQ(folders.size(), 2);
    QStringList entries;
    for (const QString& folder : folders)
        entries << QDir(QDir(desktop_).filePath(folder)).entryList(QDir::Files, QDir::Name);
    entries.sort();
    EXPECT_EQ(entries, QStringList({"a.jpg", "b.jpg", "c.jpg"}));
}

// Explorer starts one copy per selected file: hand-overs close together are one drop, one
// dated folder and one box; one sent while that box is shown is a batch of its own, after it.
TEST_F(StartUp, HandOversInARowJoinIntoOneBatchAndOneSentWhileItsMessageIsShownWaits) {
    openFirstCopy();
    constexpr int kSelected = 200;
    QStringList names;
    for (int i = 0; i < kSelected; ++i)
        names << QStringLiteral("p%1.png").arg(i, 3, 10, QLatin1Char('0'));
    const QStringList selected = makeSources(names, 4, 3);
    const QStringList late = makeSources({"late.png"}, 4, 3);
    bool startedUnderTheMessage = false;
    whileCompletionShown_ = [&] {
        if (log_.count(QStringLiteral("<beep>")) != 1)
            return;
        EXPECT_EQ(sendToCopy(instance_->serverName(), handOverFrame(paths(late))), 6);
        // Long enough for the hand-over to have joined nothing more and been taken.
        QTest::qWait(HandOffGathering::kQuietMs + 300);
        startedUnderTheMessage = window_->isBatchRunning();
    };
    for (const QString& file : selected)
        ASSERT_EQ(sendToCopy(instance_->serverName(), handOverFrame(paths({file}))), 6);
    ASSERT_TRUE(waitUntil([&] { return log_.size() == 4 && !window_->isBatchRunning(); }, 60000));
    EXPECT_FALSE(startedUnderTheMessage);
    EXPECT_EQ(log_, QStringList({"<beep>", " 200ファイルを変換終了しました。", "<beep>",
                                 " 1ファイルを変換終了しました。"}));
    const QStringList folders = outputFolders();
    ASSERT_EQ(folders.size(), 2);
    QStringList outputs = QDir(QDir(desktop_).filePath(folders[0])).entryList(QDir::Files, QDir::Name);
    QStringList expected;
    for (const QString& name : names)
        expected << QString(name).replace(QStringLiteral(".png"), QStringLiteral(".jpg"));
    if (outputs.contains(QStringLiteral("late.jpg")))
        outputs = QDir(QDir(desktop_).filePath(folders[1])).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(outputs, expected);
}

TEST_F(StartUp, ClosingDuringABatchSavesOnceWithTheFinalValues) {
    openWindow();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    bool closedAtOnce = true;
    bool savedAtRequest = true;
    atFile(1, [&] {
        closedAtOnce = window_->close();
        savedAtRequest = QFileInfo::exists(settingsPath());
        control<QComboBox>("cobWidth")->setEditText(QStringLiteral("321"));
    });
    ASSERT_TRUE(dropFiles(window_.get(), QPoint(200, 10), makeSources({"a.png", "b.png", "c.png"}))
                    .moveAccepted);
    ASSERT_TRUE(waitForBatch());
    QGuiApplication::setQuitOnLastWindowClosed(true);
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(savedAtRequest);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(readBytes(settingsPath()).contains("\niWidth=321\n"));
    EXPECT_EQ(outputEntries(), QStringList({"a.jpg"}));
}

} // namespace
} // namespace quillmorph::test
