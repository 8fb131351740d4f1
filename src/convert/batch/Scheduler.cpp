#include "batch/Scheduler.h"

#include "batch/ConversionCost.h"

namespace quillmorph {

Scheduler::Scheduler(int workers, double memoryLeft)
    : workers_(workers), memoryLeft_(memoryLeft), budget_(bytesInFlightBudget(memoryLeft)) {}

void Scheduler::add(int index, double cost) {
    waiting_.emplace(index, cost);
}

void Scheduler::finish(int index) {
    if (const auto it = running_.find(index); it != running_.end()) {
        weightRunning_ -= it->second;
        running_.erase(it);
    }
}

Scheduler::Step Scheduler::next(const std::function<Weight(int)>& weightOf,
                                const std::function<bool(int)>& beyondTheMachine) {
    Step step;
    if (runningCount() >= workers_)
        return step;
    auto chosen = waiting_.end();
    double chosenWeight = 0;
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        const Weight full = weightOf(it->first);
        const double needed = full.bytes - full.spare;
        // Refused before any of it is decoded.
        if (tooDearForMemory(needed, memoryLeft_) ||
            (beyondTheMachine && beyondTheMachine(it->first))) {
            step.refused.push_back(it->first);
            it = waiting_.erase(it);
            continue;
        }
        const bool withoutSpare = tooDearForMemory(full.bytes, memoryLeft_);
        const double weight = withoutSpare ? needed : full.bytes;
        const bool fits = running_.empty() || weightRunning_ + weight <= budget_;
        if (fits && (chosen == waiting_.end() || it->second > chosen->second)) {
            chosen = it;
            chosenWeight = weight;
            step.withoutSpare = withoutSpare;
        }
        ++it;
    }
    if (chosen != waiting_.end()) {
        step.start = chosen->first;
        running_.emplace(chosen->first, chosenWeight);
        weightRunning_ += chosenWeight;
        waiting_.erase(chosen);
    }
    return step;
}

} // namespace quillmorph
