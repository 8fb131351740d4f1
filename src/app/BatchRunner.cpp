#include "BatchRunner.h"

#include <QSemaphore>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>

namespace quillmorph {

BatchRunner::BatchRunner(const OptionsSource& options, QObject* parent)
    : QObject(parent), options_(options) {
    connect(&watcher_, &QFutureWatcherBase::finished, this, &BatchRunner::onWorkerFinished);
}

BatchRunner::~BatchRunner() {
    stopAndWait();
}

bool BatchRunner::start(const FilePaths& files, const BatchPlace& place,
                        const std::optional<ConversionOptions>& fixed) {
    if (running_)
        return false;
    running_ = true;
    abandoned_ = false;
    cancel_ = false;
    // Set before the batch's thread starts, which then owns them.
    index_ = count_ = 0;
    watcher_.setFuture(QtConcurrent::run([this, files, place, fixed] {
        if (!fixed)
            return ConvertFiles(files, place, options_, *this);
        const FixedOptions options(*fixed);
        return ConvertFiles(files, place, options, *this);
    }));
    return true;
}

void BatchRunner::stopAndWait() {
    if (!running_)
        return;
    abandoned_ = true;
    requestCancel();
    // Once abandoned the batch never waits for this thread, so a plain wait cannot deadlock.
    watcher_.waitForFinished();
    running_ = false;
}

void BatchRunner::report(const Failure& failure) {
    if (abandoned_)
        return;
    const auto answered = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        this,
        [this, failure, answered] {
            if (!abandoned_)
                Q_EMIT reportRaised(failure);
            answered->release();
        },
        Qt::QueuedConnection);
    // Not a blocking queued call: a window that goes away stops the batch from the GUI
    // thread, which then cannot answer, and must not be waited for.
    while (!answered->tryAcquire(1, 50)) {
        if (abandoned_)
            return;
    }
}

void BatchRunner::fileStarted(int index, int count, const FilePath& source) {
    index_ = index;
    count_ = count;
    if (!abandoned_)
        Q_EMIT fileStarting(index, count, FilePath::fromNative(source.fileName()).display());
}

void BatchRunner::fileConverted(const FilePath&, const FilePath&) {
    if (!abandoned_)
        Q_EMIT fileDone(index_, count_);
}

void BatchRunner::onWorkerFinished() {
    if (abandoned_)
        return;
    running_ = false;
    // The batch's thread is done with them.
    reach_ = {index_, count_};
    Q_EMIT finished(watcher_.result());
}

} // namespace quillmorph
