#include "batch/Pipeline.h"

#include "batch/ConversionCost.h"
#include "batch/MachineMemory.h"
#include "engine/ColourTransforms.h"

#include <QThread>
#include <algorithm>

namespace quillmorph {

namespace {

// Files converted at once: one per core.
int workersFor(int requested) {
    if (requested > 0)
        return requested;
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

} // namespace

Pipeline::Pipeline(const QList<BatchItem>& items, const OptionsSource& options, Folder folder,
                   int filesInFlight, double memoryLeft)
    : items_(items), options_(options), folder_(std::move(folder)),
      workers_(workersFor(filesInFlight)), lookAhead_(std::max(32, 16 * workers_)),
      scheduler_(workers_, memoryLeft > 0 ? memoryLeft : memoryLeftForThisProcess()),
      colourTransforms_(std::make_shared<ColourTransforms>()), pool_(workers_) {}

Pipeline::~Pipeline() {
    *abandoned_ = true;
}

PreparedFile Pipeline::take(int index) {
    openAhead(index);
    for (;;) {
        // Skipped and failed files, those refused as too dear among them, need no worker.
        if (const auto it = waiting_.find(index);
            it != waiting_.end() && it->second.needsNoWorker()) {
            StartedFile file = std::move(it->second);
            waiting_.erase(it);
            file.options = options_.current();
            return prepareFile(file, folder_);
        }
        std::unique_lock lock(shared_->mutex);
        forgetFinished();
        if (const auto it = shared_->done.find(index); it != shared_->done.end()) {
            PreparedFile prepared = std::move(it->second);
            shared_->done.erase(it);
            return prepared;
        }
        const auto seen = shared_->completions;
        lock.unlock();
        while (startOne()) {
        }
        if (const auto it = waiting_.find(index);
            it != waiting_.end() && it->second.needsNoWorker())
            continue; // refused: its turn has come
        lock.lock();
        shared_->finished.wait(lock, [&] { return shared_->completions != seen; });
    }
}

void Pipeline::openAhead(int index) {
    const int end = std::min(int(items_.size()), index + lookAhead_);
    for (; opened_ < end; ++opened_) {
        StartedFile file = openFile(items_[opened_], colourTransforms_);
        if (!file.needsNoWorker())
            scheduler_.add(opened_, file.cost);
        waiting_.emplace(opened_, std::move(file));
    }
}

void Pipeline::forgetFinished() {
    for (const auto& [index, prepared] : shared_->done)
        scheduler_.finish(index);
}

bool Pipeline::startOne() {
    const ConversionOptions options = options_.current();
    const Scheduler::Step step = scheduler_.next(
        [&](int index) { return workingBytes(waiting_.at(index).images.LEAD1.header(), options); });
    // Its failure is told when its turn comes.
    for (const int index : step.refused) {
        StartedFile& file = waiting_.at(index);
        file.failure = Failure::engine(status::kImageTooLarge, Stage::Load, file.path);
        file.images = ImagePair();
    }
    if (!step.start)
        return false;
    const int chosenIndex = *step.start;
    auto file = std::make_shared<StartedFile>(std::move(waiting_.extract(chosenIndex).mapped()));
    file->options = options;
    pool_.post([file, chosenIndex, folder = folder_, results = shared_, abandoned = abandoned_] {
        PreparedFile prepared = prepareOnWorker(*file, folder, *abandoned);
        {
            const std::lock_guard lock(results->mutex);
            results->done.emplace(chosenIndex, std::move(prepared));
            ++results->completions;
        }
        results->finished.notify_one();
    });
    return true;
}

} // namespace quillmorph
