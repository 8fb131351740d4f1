#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace quillmorph {

// Which of the files opened ahead starts next. The dearest first, so a slow file does not start
// last and leave the other cores idle while it finishes; only while the bytes the files running
// may hold together fit the budget, though with nothing running any file starts, so the batch
// goes on; one that would hold more than half of what the process may have is refused outright.
// It knows nothing of threads or pictures: the pipeline tells it what opened and what finished.
class Scheduler {
public:
    // workers: files converted at once. memoryLeft: the bytes the process may be given as the
    // batch starts (0: not known, nothing is refused); the budget is taken from it.
    Scheduler(int workers, double memoryLeft);

    // A file opened that needs a worker, with its relative CPU cost (ConversionCost.h).
    void add(int index, double cost);
    // The file's result was seen: its worker and its bytes are free again. Any other index is
    // ignored.
    void finish(int index);

    // The bytes a file may hold, of which it can do without spare (quality by eye's metric):
    // it is refused only when the rest is too dear, and started without spare when all is.
    struct Weight {
        // From bytes alone (not explicit): nothing spare.
        Weight(double bytes, double spare = 0) : bytes(bytes), spare(spare) {}
        double bytes;
        double spare;
    };
    struct Step {
        std::vector<int> refused;  // too dear for the memory there is: they fail without a worker
        std::optional<int> start;  // the file to start now
        bool withoutSpare = false; // it starts without its spare bytes: too dear with them
    };
    // The next step while a worker is free (nothing otherwise). weightOf gives the bytes a
    // waiting file may hold if it starts now: the options may have changed since it opened.
    // beyondTheMachine, when given, is true for a file refused whatever the memory (one that
    // would fill the temporary folder).
    Step next(const std::function<Weight(int index)>& weightOf,
              const std::function<bool(int index)>& beyondTheMachine = {});

    bool isWaiting(int index) const { return waiting_.count(index) != 0; }
    int runningCount() const { return int(running_.size()); }

private:
    const int workers_;
    const double memoryLeft_;
    const double budget_;
    std::map<int, double> waiting_; // index → cost
    std::map<int, double> running_; // index → weight
    double weightRunning_ = 0;
};

} // namespace quillmorph
