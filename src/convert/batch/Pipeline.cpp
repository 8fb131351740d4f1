#include "batch/Pipeline.h"

#include "batch/ConversionCost.h"
#include "engine/Animation.h"
#include "engine/ColourTransforms.h"
#include "system/MachineMemory.h"

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
                   int filesInFlight, double memoryLeft, double temporarySpaceLeft)
    : items_(items), options_(options), folder_(std::move(folder)),
      workers_(workersFor(filesInFlight)), lookAhead_(std::max(32, 16 * workers_)),
      scheduler_(workers_, memoryLeft > 0 ? memoryLeft : memoryLeftForThisProcess()),
      temporarySpaceLeft_(temporarySpaceLeft > 0 ? temporarySpaceLeft : temporaryFolderSpaceLeft()),
      colourTransforms_(std::make_shared<ColourTransforms>()), pool_(workers_) {}

Pipeline::~Pipeline() {
    *abandoned_ = true;
}

PreparedFile Pipeline::take(int index) {
    openAhead(index);
    for (;;) {
        std::unique_lock lock(shared_->mutex);
        forgetFinished();
        const auto seen = shared_->completions;
        lock.unlock();
        if (std::optional<PreparedFile> prepared = takeIfReady(index))
            return std::move(*prepared);
        while (startOne()) {
        }
        if (const FileJob& job = *jobs_.at(index);
            job.state == FileJob::State::Opened && job.started.needsNoWorker())
            continue; // refused: its turn has come
        lock.lock();
        shared_->finished.wait(lock, [&] { return shared_->completions != seen; });
    }
}

std::optional<PreparedFile> Pipeline::takeIfReady(int index) {
    const auto it = jobs_.find(index);
    FileJob& job = *it->second;
    PreparedFile prepared;
    switch (job.state) {
    case FileJob::State::Running:
        return std::nullopt;
    case FileJob::State::Opened:
        // Skipped and failed files, those refused as too dear among them, need no worker.
        if (!job.started.needsNoWorker())
            return std::nullopt;
        job.started.options = options_.current();
        prepared = prepareFile(job.started, folder_);
        break;
    case FileJob::State::Prepared:
        scheduler_.finish(index);
        prepared = std::move(job.prepared);
        break;
    }
    jobs_.erase(it);
    return prepared;
}

void Pipeline::openAhead(int index) {
    const int end = std::min(int(items_.size()), index + lookAhead_);
    for (; opened_ < end; ++opened_) {
        auto job = std::make_shared<FileJob>();
        job->started = openFile(items_[opened_], colourTransforms_);
        if (!job->started.needsNoWorker())
            scheduler_.add(opened_, job->started.cost);
        jobs_.emplace(opened_, std::move(job));
    }
}

void Pipeline::forgetFinished() {
    for (const auto& [index, job] : jobs_) {
        if (job->state == FileJob::State::Prepared)
            scheduler_.finish(index);
    }
}

bool Pipeline::startOne() {
    const ConversionOptions options = options_.current();
    const double discThreshold = discThresholdBytes();
    // Each waiting file's plan under the options as they are now, made once per step.
    std::map<int, ConversionPlan> plans;
    const auto planOf = [&](int index) -> const ConversionPlan& {
        auto it = plans.find(index);
        if (it == plans.end()) {
            const SourceHeader& header = jobs_.at(index)->started.images.LEAD1.header();
            it = plans.emplace(index, planFor(header, options, discThreshold)).first;
        }
        return it->second;
    };
    // Quality by eye's metric is the one part a file can do without: it then has the fixed
    // quality rather than be refused.
    const Scheduler::Step step = scheduler_.next(
        [&](int index) {
            const PlannedCost& cost = planOf(index).cost;
            return Scheduler::Weight{cost.workingBytes, cost.judgingBytes};
        },
        [&](int index) {
            return tooDearForTemporarySpace(planOf(index).cost.temporaryFolderBytes,
                                            temporarySpaceLeft_);
        });
    // Its failure is told when its turn comes.
    for (const int index : step.refused) {
        StartedFile& file = jobs_.at(index)->started;
        file.failure = Failure::engine(status::kImageTooLarge, Stage::Load, file.path);
        file.images = ImagePair();
    }
    if (!step.start)
        return false;
    const std::shared_ptr<FileJob> job = jobs_.at(*step.start);
    job->started.options = options;
    job->started.plan = planOf(*step.start);
    if (step.withoutSpare)
        job->started.plan.judgedByEye = false;
    job->state = FileJob::State::Running;
    pool_.post([job, folder = folder_, results = shared_, abandoned = abandoned_] {
        PreparedFile prepared = prepareOnWorker(job->started, folder, *abandoned);
        {
            const std::lock_guard lock(results->mutex);
            job->prepared = std::move(prepared);
            job->state = FileJob::State::Prepared;
            ++results->completions;
        }
        results->finished.notify_one();
    });
    return true;
}

} // namespace quillmorph
