#include "WindowTest.h"

#include "DesktopOpener.h"
#include "EventLoop.h"
#include "TestImages.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

namespace quillmorph::test {

void WindowTest::SetUp() {
    ASSERT_TRUE(root_.isValid());
    desktop_ = root_.filePath(QStringLiteral("Desktop"));
    sources_ = root_.filePath(QStringLiteral("sources"));
    windir_ = root_.filePath(QStringLiteral("windir"));
    ASSERT_TRUE(QDir().mkpath(sources_));
    ASSERT_TRUE(QDir().mkpath(windir_));
    savedWindir_ = qgetenv("windir");
    hadWindir_ = qEnvironmentVariableIsSet("windir");
    // Never the settings of the account running the tests (on Windows they live in %APPDATA%).
    qputenv("windir", QFile::encodeName(windir_));
#ifdef _WIN32
    savedAppData_ = qgetenv("APPDATA");
    qputenv("APPDATA", QFile::encodeName(windir_));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsPath()).path()));
#endif
    if (createsWindowInSetUp())
        openWindow();
}

void WindowTest::TearDown() {
    window_.reset();
    if (hadWindir_)
        qputenv("windir", savedWindir_);
    else
        qunsetenv("windir");
#ifdef _WIN32
    qputenv("APPDATA", savedAppData_);
#endif
}

void WindowTest::openWindow(WindowStart start) {
    if (start.desktopPath.isEmpty())
        start.desktopPath = desktop_;
    window_ = std::make_unique<frmMain>(std::move(start), recordingDialogs());
}

QString WindowTest::settingsPath() const {
#ifdef _WIN32
    return QDir(windir_).filePath(QStringLiteral("quillmorph/quillmorph.ini"));
#else
    return QDir(windir_).filePath(QStringLiteral("quillmorph.ini"));
#endif
}

UserDialogs WindowTest::recordingDialogs() {
    UserDialogs dialogs;
    dialogs.showMessage = [this](QWidget*, const QString& text) { log_ << text; };
    dialogs.showWarning = [this](QWidget*, const QString& text) {
        log_ << QStringLiteral("<warning>") + text;
        if (whileWarningShown_)
            whileWarningShown_();
    };
    dialogs.showBox = [this](QWidget*, const BoxText& box) {
        log_ << box.text;
        notes_ << box.notes;
        if (!box.offersFolder)
            return false;
        if (whileCompletionShown_)
            whileCompletionShown_();
        return openFolder_;
    };
    dialogs.showFailures = [this](QWidget*, const BoxText& summary, const QStringList& failures) {
        log_ << QStringLiteral("<failures>") + summary.text << failures;
        notes_ << summary.notes;
        return summary.offersFolder && openFolder_;
    };
    dialogs.beep = [this] { log_ << QStringLiteral("<beep>"); };
    dialogs.chooseColour = [this](QWidget*, const QColor& initial) {
        ++colourRequests_;
        colourOffered_ = initial;
        return nextColour_;
    };
    dialogs.chooseSizeLimit = [this](QWidget*, int, int) { return nextSizeLimit_; };
    dialogs.askText = [this](QWidget*, const QString& prompt, const QString&,
                             const std::function<TextCheck(const QString&)>& check) {
        textPrompt_ = prompt;
        if (nextText_)
            log_ << check(*nextText_).note;
        return nextText_;
    };
    dialogs.confirm = [this](QWidget*, const QString& question) {
        log_ << question;
        return true;
    };
    dialogs.chooseFolder = [this](QWidget*, const FilePath& start) {
        folderOffered_ = start;
        return nextFolder_;
    };
    dialogs.openUrl = [this](QWidget*, const QUrl& url, const QString&) { openedUrls_ << url; };
    dialogs.showInFolder = [this](QWidget*, const FilePath& folder, const FilePath& item,
                                  const QString&) {
        openedUrls_ << urlOfFolder(folder);
        selectedItems_ << item;
    };
    return dialogs;
}

QStringList WindowTest::makeSources(const QStringList& names, int width, int height) {
    QStringList paths;
    for (const QString& name : names)
        paths << writeImage(solid(width, height, {200, 40, 40}), QDir(sources_).filePath(name));
    return paths;
}

DropOutcome WindowTest::dropOn(QWidget* target, const QPoint& pos, const QMimeData& data) {
    DropOutcome outcome;
    // Each event starts out accepted, so a handler that forgets to refuse is caught.
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    enter.setAccepted(true);
    QApplication::sendEvent(target, &enter);
    outcome.enterAccepted = enter.isAccepted();
    if (!outcome.enterAccepted)
        return outcome;
    QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
    move.setAccepted(true);
    QApplication::sendEvent(target, &move);
    outcome.moveAccepted = move.isAccepted();
    // A drop still arrives after a refused move on some platforms; the window must refuse it.
    QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    if (outcome.moveAccepted) {
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "a drop must never move the sources";
    }
    return outcome;
}

DropOutcome WindowTest::dropFiles(QWidget* target, const QPoint& pos, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    return dropOn(target, pos, data);
}

bool WindowTest::focusForTyping(QWidget* box) {
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get()))
        return false;
    box->setFocus(Qt::OtherFocusReason);
    return box->hasFocus();
}

bool WindowTest::waitForBatch(int timeoutMs) {
    return waitUntil([this] { return !window_->isBatchRunning(); }, timeoutMs);
}

bool WindowTest::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (!runEventsUntil(done, timeoutMs))
        return false;
    QCoreApplication::processEvents();
    return true;
}

QStringList WindowTest::outputFolders() const {
    return QDir(desktop_).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

QStringList WindowTest::outputEntries() const {
    const QStringList folders = outputFolders();
    if (folders.size() != 1)
        return {};
    return QDir(QDir(desktop_).filePath(folders.first()))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                   QDir::Name);
}

QString WindowTest::outputPath(const QString& name) const {
    const QStringList folders = outputFolders();
    if (folders.size() != 1)
        return {};
    return QDir(QDir(desktop_).filePath(folders.first())).filePath(name);
}

} // namespace quillmorph::test
