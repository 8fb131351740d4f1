#include "WindowBatches.h"

#include "BatchEndText.h"
#include "BatchRunner.h"
#include "DesktopOpener.h"
#include "SurfaceNote.h"
#include "batch/Messages.h"
#include "batch/StatusSentences.h"
#include "engine/ImagingEngine.h"
#include "files/FileNames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QUrl>
#include <QWidget>
#include <algorithm>

namespace quillmorph {

namespace {

bool anyFolder(const FilePaths& paths) {
    return std::any_of(paths.begin(), paths.end(), isFolder);
}

} // namespace

WindowBatches::WindowBatches(QWidget* window, QProgressBar* progress, SurfaceNote* note,
                             const UserDialogs& dialogs, const OptionsSource& options)
    : QObject(window), window_(window), progress_(progress), note_(note), dialogs_(dialogs),
      launcher_(QGuiApplication::desktopFileName(), window) {
    runner_ = new BatchRunner(options, this);
    runner_->setObjectName(QStringLiteral("batchRunner"));
    cancelKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    cancelKey_->setEnabled(false);
    connect(cancelKey_, &QShortcut::activated, runner_, &BatchRunner::requestCancel);

    connect(runner_, &BatchRunner::reportRaised, this, [this](const Failure& failure) {
        dialogs_.showBox(window_,
                         BoxText{message::text(failure), message::sentence(failure), false});
    });
    // Emitted on the batch's thread, which goes on at once.
    connect(runner_, &BatchRunner::fileStarting, this, &WindowBatches::onFileStarting,
            Qt::QueuedConnection);
    connect(runner_, &BatchRunner::fileDone, this, &WindowBatches::onFileDone,
            Qt::QueuedConnection);
    connect(runner_, &BatchRunner::finished, this, &WindowBatches::onFinished);
}

bool WindowBatches::isRunning() const {
    return runner_->isRunning();
}

void WindowBatches::start(const FilePaths& files, const std::optional<ConversionOptions>& fixed) {
    BatchPlace place;
    place.parentFolder = outputParent_;
    place.makeParent = makeOutputParent_;
    place.startedAt = QDateTime::currentDateTime();
    place.locale = QLocale();
    if (!runner_->start(files, place, fixed))
        return;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    // A folder is counted only once the batch has listed it off this thread: busy till then.
    progress_->setRange(0, anyFolder(files) ? 0 : int(files.size()));
    progress_->setValue(0);
    progress_->show();
    note_->showProgress(0, anyFolder(files) ? 0 : int(files.size()), QString());
    note_->setWaiting(int(waiting_.size()));
    cancelKey_->setEnabled(true);
}

void WindowBatches::take(const FilePaths& files, const std::optional<ConversionOptions>& fixed) {
    if (!takesFiles())
        return;
    // Nothing dropped or handed over is lost: it waits for its turn and ends with its own
    // message.
    if (runner_->isRunning() || answering_ || !waiting_.isEmpty()) {
        waiting_ << Waiting{files, fixed};
        note_->setWaiting(int(waiting_.size()));
    } else {
        start(files, fixed);
    }
}

void WindowBatches::closeWindowAfterBatch() {
    // Let the file in hand finish; onFinished closes the window.
    closeAfterBatch_ = true;
    runner_->requestCancel();
}

void WindowBatches::stopAndWait() {
    if (!runner_->isRunning())
        return;
    runner_->stopAndWait();
    QGuiApplication::restoreOverrideCursor();
}

void WindowBatches::onFileStarting(int index, int count, const QString& name) {
    progress_->setRange(0, count);
    progress_->setValue(index - 1);
    note_->showProgress(index, count, name);
    launcher_.show(index - 1, count);
    Q_EMIT fileStarting(index, count);
}

void WindowBatches::onFileDone(int index, int count) {
    progress_->setRange(0, count);
    progress_->setValue(index);
    launcher_.show(index, count);
}

void WindowBatches::onFinished(const BatchResult& result) {
    releaseFreedMemory();
    QGuiApplication::restoreOverrideCursor();
    progress_->hide();
    note_->showHint();
    launcher_.hide();
    launcher_.batchEnded(window_->isActiveWindow());
    cancelKey_->setEnabled(false);
    if (ending_ || closeAfterBatch_) {
        closeAfterBatch_ = false;
        // The user asked to leave; only failures are still worth telling, and nothing at all
        // when the session is ending and nobody may be there to answer.
        if (!ending_)
            tellEnd(result, true);
        waiting_.clear();
        window_->close();
        Q_EMIT finished();
        return;
    }
    tellEnd(result, false);
    Q_EMIT finished();
    if (!ending_ && !waiting_.isEmpty() && !runner_->isRunning()) {
        const Waiting next = waiting_.takeFirst();
        start(next.files, next.fixed);
    }
}

void WindowBatches::tellEnd(const BatchResult& result, bool leaving) {
    // Files handed over while the user reads the end of a batch wait until it is answered;
    // a batch started under the open box would end in a second box on top of it.
    const QScopedValueRollback answering(answering_, true);
    const bool completed = result.outcome == BatchResult::Outcome::Completed;
    if (completed && !leaving)
        dialogs_.beep();
    // The waiting drops go with a user who is leaving: nothing is said of them.
    const BatchAfterwards afterwards{runner_->reach(), leaving ? 0 : int(waiting_.size())};
    if (!result.failures.isEmpty()) {
        showFailures(result, afterwards);
    } else if (result.outcome == BatchResult::Outcome::Failed || !leaving) {
        if (dialogs_.showBox(window_, batchEndText(result, afterwards)))
            openFolder(result);
    }
}

void WindowBatches::showFailures(const BatchResult& result, const BatchAfterwards& afterwards) {
    if (dialogs_.showFailures(window_, failuresSummaryText(result, afterwards),
                              message::failureTexts(result)))
        openFolder(result);
}

void WindowBatches::openFolder(const BatchResult& result) {
    dialogs_.showInFolder(window_, result.outputFolder, result.firstOutput,
                          QCoreApplication::translate(
                              "WindowBatches", "フォルダを開けませんでした。ファイルマネージャーで"
                                               "次のフォルダを開いてください。"));
}

} // namespace quillmorph
