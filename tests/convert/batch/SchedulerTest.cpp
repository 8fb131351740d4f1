#include "batch/Scheduler.h"

#include <gtest/gtest.h>

#include <deque>

namespace quillmorph {
namespace {

constexpr double MB = 1e6;
constexpr double GiB = 1024.0 * 1024 * 1024;

struct FakeFile {
    double cost;
    double weight;
    double spare = 0; // of weight, what it can do without (quality by eye's metric)
};

struct ScheduleCase {
    const char* what;
    int workers;
    double memoryLeft;
    std::vector<FakeFile> files;
    std::vector<int> startOrder;
    std::vector<int> refused;
    int mostAtOnce;
    int runningAsTheLastStarts = 0; // 0: not looked at
    std::vector<int> startedWithoutSpare = {};
};

void PrintTo(const ScheduleCase& c, std::ostream* os) {
    *os << c.what;
}

class SchedulerTest : public ::testing::TestWithParam<ScheduleCase> {};

// Every file opened at once; a worker finishes its oldest file whenever nothing more can start.
TEST_P(SchedulerTest, StartsRefusesAndHoldsBack) {
    const ScheduleCase& c = GetParam();
    Scheduler scheduler(c.workers, c.memoryLeft);
    for (int i = 0; i < int(c.files.size()); ++i)
        scheduler.add(i, c.files[i].cost);
    std::vector<int> started;
    std::vector<int> refused;
    std::vector<int> withoutSpare;
    std::deque<int> running;
    int mostAtOnce = 0;
    int runningAsTheLastStarts = 0;
    for (;;) {
        const Scheduler::Step step = scheduler.next([&](int i) {
            return Scheduler::Weight{c.files[i].weight, c.files[i].spare};
        });
        refused.insert(refused.end(), step.refused.begin(), step.refused.end());
        if (step.start) {
            EXPECT_FALSE(scheduler.isWaiting(*step.start));
            started.push_back(*step.start);
            running.push_back(*step.start);
            if (step.withoutSpare)
                withoutSpare.push_back(*step.start);
            mostAtOnce = std::max(mostAtOnce, scheduler.runningCount());
            runningAsTheLastStarts = scheduler.runningCount();
        } else if (running.empty()) {
            break;
        } else {
            scheduler.finish(running.front());
            running.pop_front();
        }
    }
    EXPECT_EQ(started, c.startOrder);
    EXPECT_EQ(refused, c.refused);
    EXPECT_EQ(mostAtOnce, c.mostAtOnce);
    if (c.runningAsTheLastStarts > 0) {
        EXPECT_EQ(runningAsTheLastStarts, c.runningAsTheLastStarts);
    }
    EXPECT_EQ(withoutSpare, c.startedWithoutSpare);
}

INSTANTIATE_TEST_SUITE_P(
    Batches, SchedulerTest,
    ::testing::Values(
        ScheduleCase{"the dearest first, the earlier of equals first",
                     1,
                     0,
                     {{1, MB}, {5, MB}, {3, MB}, {5, MB}},
                     {1, 3, 2, 0},
                     {},
                     1},
        ScheduleCase{"one file per worker", 2, 0, {{1, MB}, {1, MB}, {1, MB}}, {0, 1, 2}, {}, 2},
        ScheduleCase{"a file that does not fit beside the running ones waits; a cheaper one that "
                     "fits goes past it",
                     2,
                     4 * GiB,
                     {{3, 700 * MB}, {2, 700 * MB}, {1, 200 * MB}},
                     {0, 2, 1},
                     {},
                     2},
        ScheduleCase{"over the budget it runs alone",
                     2,
                     4 * GiB,
                     {{2, 1.5 * GiB}, {1, 10 * MB}},
                     {0, 1},
                     {},
                     1},
        ScheduleCase{"over half of the memory left it never starts",
                     2,
                     1 * GiB,
                     {{2, 600 * MB}, {1, 10 * MB}},
                     {1},
                     {0},
                     1},
        ScheduleCase{"with the memory left not known nothing is refused",
                     1,
                     0,
                     {{1, 100 * GiB}},
                     {0},
                     {},
                     1},
        ScheduleCase{"a finished file's bytes are free again: one waiting starts beside the one "
                     "still running",
                     2,
                     4 * GiB,
                     {{3, 900 * MB}, {2, 100 * MB}, {1, 600 * MB}},
                     {0, 1, 2},
                     {},
                     2,
                     2},
        ScheduleCase{"too dear with what it can do without, it starts without it; too dear "
                     "without, it is refused",
                     1,
                     1 * GiB,
                     {{3, 300 * MB, 200 * MB}, {2, 700 * MB, 600 * MB}, {1, 600 * MB}},
                     {0, 1},
                     {2},
                     1,
                     0,
                     {1}}));

// A file beyond what the machine can give whatever its weight (the room of the temporary folder)
// is refused as one too dear for the memory is, even with the memory left not known.
TEST(SchedulerRefusalTest, AFileBeyondTheMachineNeverStarts) {
    Scheduler scheduler(2, 0);
    scheduler.add(0, 5);
    scheduler.add(1, 1);
    const Scheduler::Step step = scheduler.next([](int) { return MB; }, [](int i) { return i == 0; });
    EXPECT_EQ(step.refused, std::vector<int>{0});
    EXPECT_EQ(step.start, std::optional<int>(1));
    EXPECT_FALSE(scheduler.isWaiting(0));
}

} // namespace
} // namespace quillmorph
