#pragma once

#include "BatchInterfaces.h"
#include "ConvertFiles.h"

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <atomic>

namespace quillmorph {

// Runs one ConvertFiles at a time on a pool thread and carries what the batch tells back to
// the GUI thread as signals. Lives on the GUI thread; its BatchSink side is called by the
// batch's thread only. Holds a reference to the options, which must outlive it.
class BatchRunner : public QObject, public BatchSink {
    Q_OBJECT

public:
    explicit BatchRunner(const OptionsSource& options, QObject* parent = nullptr);
    ~BatchRunner() override;

    // GUI thread. Starts a batch of files; false (and nothing started) while one runs.
    bool start(const FilePaths& files, const BatchPlace& place);
    // GUI thread. True from start() until finished() has been emitted.
    bool isRunning() const { return running_; }
    // Any thread. The batch stops before its next file.
    void requestCancel() { cancel_ = true; }
    // GUI thread. Cancels and blocks until the batch has finished the file in hand, without
    // raising any further signal: for a window that is going away.
    void stopAndWait();

    // Batch thread: the batch waits until every receiver of reportRaised has returned.
    void report(const QString& text) override;
    // Batch thread: the batch waits until every receiver of fileStarting has returned.
    void fileStarted(int index, int count, const FilePath& source) override;
    // Batch thread.
    void fileConverted(const FilePath& source, const FilePath& output) override;
    // Batch thread.
    bool cancelRequested() const override { return cancel_; }

Q_SIGNALS:
    // All on the GUI thread.
    void reportRaised(const QString& text);
    void fileStarting(int index, int count);
    void fileDone(int index, int count);
    void finished(const quillmorph::BatchResult& result);

private:
    void onWorkerFinished();
    // Runs fn on the GUI thread and returns when it has, or at once when the runner has been
    // stopped meanwhile (fn is then skipped).
    template <typename Fn> void onGuiThreadAndWait(Fn fn);

    const OptionsSource& options_;
    QFutureWatcher<BatchResult> watcher_;
    bool running_ = false;               // GUI thread only
    std::atomic_bool abandoned_ = false; // set by stopAndWait: nothing more reaches the GUI
    std::atomic_bool cancel_ = false;
    int index_ = 0; // batch thread only
    int count_ = 0; // batch thread only
};

} // namespace quillmorph
