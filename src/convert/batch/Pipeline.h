#pragma once

#include "batch/BatchInterfaces.h"
#include "batch/DropListing.h"
#include "batch/FileConversion.h"
#include "batch/Scheduler.h"
#include "batch/WorkerPool.h"

#include <QList>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace quillmorph {

// Converts the files of a batch on a few worker threads, ahead of the batch's thread, which
// takes the results strictly in file order, so outputs are named and committed in that order.
// Files are opened a look-ahead of several per worker in advance, and the scheduler picks which
// of them starts (Scheduler.h). A file's options are read from options as it starts, so a
// change reaches every file not yet started. Lives on the batch's thread; items and options
// must outlive it.
class Pipeline {
public:
    // filesInFlight: files converted at once; 0 means one per core. memoryLeft: the bytes the
    // process may still be given, temporarySpaceLeft those free in the temporary folder; 0
    // means as the machine says now (MachineMemory.h).
    Pipeline(const QList<BatchItem>& items, const OptionsSource& options, Folder folder,
             int filesInFlight, double memoryLeft, double temporarySpaceLeft);
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    // Files still queued are dropped; the pool then waits for those under way.
    ~Pipeline();

    // File index (0-based) once prepared, starting files of the look-ahead while it waits.
    PreparedFile take(int index);

private:
    // One file's way through the pipeline: opened (its header read, its cost known), running on
    // a worker, prepared (its output written under a temporary name, or its failure known); the
    // batch's thread then commits it. Running → Prepared happens on the worker, every other
    // change on the batch's thread; what is not Opened belongs to the worker until Prepared.
    struct FileJob {
        enum class State { Opened, Running, Prepared };
        std::atomic<State> state = State::Opened;
        StartedFile started;
        PreparedFile prepared;
    };
    struct Results {
        std::mutex mutex;
        std::condition_variable finished;
        quint64 completions = 0;
    };

    void openAhead(int index);
    // Called with the results locked: frees the slots of the files that have finished.
    void forgetFinished();
    // The job's result, once it needs no worker or its worker has finished; the job is gone.
    std::optional<PreparedFile> takeIfReady(int index);
    // Starts the file the scheduler picks, failing those it refuses as too dear for the memory
    // or the temporary folder's space there is; false when it picks none.
    bool startOne();

    const QList<BatchItem>& items_;
    const OptionsSource& options_;
    const Folder folder_;
    const int workers_;
    const int lookAhead_;
    Scheduler scheduler_;
    const double temporarySpaceLeft_;              // 0: not known
    int opened_ = 0;                               // items before this have had their header opened
    std::map<int, std::shared_ptr<FileJob>> jobs_; // opened, not yet taken
    // Built once per profile for the whole batch, not once per file.
    std::shared_ptr<ColourTransforms> colourTransforms_;
    std::shared_ptr<Results> shared_ = std::make_shared<Results>();
    std::shared_ptr<std::atomic<bool>> abandoned_ = std::make_shared<std::atomic<bool>>(false);
    WorkerPool pool_; // last: joined before the rest goes
};

} // namespace quillmorph
