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

// Bytes converting file with options may hold at once.
double weightOf(const StartedFile& file, const ConversionOptions& options) {
    return workingBytes(file.images.LEAD1.header(), options);
}

} // namespace

Pipeline::Pipeline(const QList<BatchItem>& items, const OptionsSource& options, Folder folder,
                   int filesInFlight, double memoryLeft)
    : items_(items), options_(options), folder_(std::move(folder)),
      workers_(workersFor(filesInFlight)), lookAhead_(std::max(32, 16 * workers_)),
      memoryLeft_(memoryLeft > 0 ? memoryLeft : memoryLeftForThisProcess()),
      bytesInFlight_(bytesInFlightBudget(memoryLeft_)),
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
    for (; opened_ < end; ++opened_)
        waiting_.emplace(opened_, openFile(items_[opened_], colourTransforms_));
}

void Pipeline::forgetFinished() {
    for (auto it = running_.begin(); it != running_.end();) {
        if (shared_->done.count(it->first) != 0) {
            weightRunning_ -= it->second;
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
}

bool Pipeline::startOne() {
    const auto needsWorker = [](const auto& entry) { return !entry.second.needsNoWorker(); };
    if (int(running_.size()) >= workers_ ||
        std::none_of(waiting_.begin(), waiting_.end(), needsWorker))
        return false;
    const ConversionOptions options = options_.current();
    auto chosen = waiting_.end();
    double chosenWeight = 0;
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        if (!needsWorker(*it))
            continue;
        const double weight = weightOf(it->second, options);
        // Refused before any of it is decoded; its failure is told when its turn comes.
        if (tooDearForMemory(weight, memoryLeft_)) {
            it->second.failure =
                Failure::engine(status::kImageTooLarge, Stage::Load, it->second.path);
            it->second.images = ImagePair();
            continue;
        }
        const bool fits = running_.empty() || weightRunning_ + weight <= bytesInFlight_;
        if (fits && (chosen == waiting_.end() || it->second.cost > chosen->second.cost)) {
            chosen = it;
            chosenWeight = weight;
        }
    }
    if (chosen == waiting_.end())
        return false;
    const int chosenIndex = chosen->first;
    auto file = std::make_shared<StartedFile>(std::move(chosen->second));
    waiting_.erase(chosen);
    file->options = options;
    running_.emplace(chosenIndex, chosenWeight);
    weightRunning_ += chosenWeight;
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
