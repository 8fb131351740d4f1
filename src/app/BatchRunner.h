#pragma once

#include "batch/BatchInterfaces.h"
#include "batch/ConvertFiles.h"
#include "batch/Messages.h"

#include <QFutureWatcher>
#include <QObject>
#include <atomic>

namespace quillmorph {

// Runs one ConvertFiles at a time on a pool thread and carries what the batch tells to the GUI
// thread as signals. Lives on the GUI thread; its BatchSink side is called by the batch's
// thread only. The batch waits for the GUI thread only while a report is shown. Holds a
// reference to the options, which must outlive it.
class BatchRunner : public QObject, public BatchSink {
    Q_OBJECT

public:
    explicit BatchRunner(const OptionsSource& options, QObject* parent = nullptr);
    ~BatchRunner() override;

    // GUI thread. Starts a batch of files, with fixed options when given (otherwise the
    // options it was made with, read as each file starts); false (and nothing started) while
    // one runs.
    bool start(const FilePaths& files, const BatchPlace& place,
               const std::optional<ConversionOptions>& fixed = {});
    // GUI thread. True from start() until finished() has been emitted.
    bool isRunning() const { return running_; }
    // GUI thread, once finished() has been emitted: how far the batch got.
    message::BatchReach reach() const { return reach_; }
    // Any thread. The batch stops before its next file.
    void requestCancel() { cancel_ = true; }
    // GUI thread. Cancels and blocks until the batch has finished the file in hand, without
    // raising any further signal on the GUI thread: for a window that is going away.
    void stopAndWait();

    // Batch thread: the batch waits until every receiver of reportRaised has returned.
    void report(const Failure& failure) override;
    // Batch thread: emits fileStarting there and goes on.
    void fileStarted(int index, int count, const FilePath& source) override;
    // Batch thread: emits fileDone there and goes on.
    void fileConverted(const FilePath& source, const FilePath& output) override;
    // Batch thread.
    bool cancelRequested() const override { return cancel_; }

Q_SIGNALS:
    // GUI thread; the batch waits until it has been handled (the user has seen the report).
    void reportRaised(const quillmorph::Failure& failure);
    // Emitted on the batch's thread as file index (1-based) of count, name (as shown), is about
    // to start, and once it is stored. A receiver on the GUI thread gets them queued: the batch
    // never waits for it. A receiver connected directly runs on the batch's thread before the
    // file starts.
    void fileStarting(int index, int count, const QString& name);
    void fileDone(int index, int count);
    // GUI thread.
    void finished(const quillmorph::BatchResult& result);

private:
    void onWorkerFinished();

    const OptionsSource& options_;
    QFutureWatcher<BatchResult> watcher_;
    bool running_ = false;               // GUI thread only
    std::atomic_bool abandoned_ = false; // set by stopAndWait: nothing more reaches the GUI
    std::atomic_bool cancel_ = false;
    int index_ = 0;             // batch thread only
    int count_ = 0;             // batch thread only
    message::BatchReach reach_; // GUI thread: index_ and count_ once the batch is over
};

} // namespace quillmorph
