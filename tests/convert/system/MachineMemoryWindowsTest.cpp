#include "system/MachineMemory.h"
#include "system/MachineMemoryWindows.h"

#include <gtest/gtest.h>
#include <limits>

namespace quillmorph {
namespace {

constexpr double kGB = 1024.0 * 1024 * 1024;
constexpr double kNone = std::numeric_limits<double>::infinity();

TEST(MachineMemoryWindowsTest, TheLeastAJobsLimitsLeave) {
    EXPECT_EQ(jobMemoryLeftBytes({}, 1 * kGB), kNone);
    EXPECT_EQ(jobMemoryLeftBytes({4 * kGB, 0}, 1 * kGB), 3 * kGB);
    EXPECT_EQ(jobMemoryLeftBytes({4 * kGB, 2 * kGB}, 1 * kGB), 1 * kGB);
    EXPECT_EQ(jobMemoryLeftBytes({0, 2 * kGB}, 3 * kGB), 0);
}

TEST(MachineMemoryWindowsTest, FiguresOfThisMachine) {
    EXPECT_GT(memoryLeftForThisProcess(), 0);
    EXPECT_GT(temporaryFolderSpaceLeft(), 0);
}

} // namespace
} // namespace quillmorph
