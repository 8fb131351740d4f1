#include "system/MachineMemory.h"
#include "system/MachineMemoryWindows.h"

#include <gtest/gtest.h>
#include <limits>
#include <windows.h>

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

// Run in a job of its own, with a limit far beyond what the tests use.
TEST(MachineMemoryWindowsTest, FiguresOfThisMachineAndItsJob) {
    EXPECT_GT(memoryLeftForThisProcess(), 0);
    EXPECT_GT(temporaryFolderSpaceLeft(), 0);
    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    ASSERT_TRUE(job);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = SIZE_T(64 * kGB);
    ASSERT_TRUE(::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));
    ASSERT_TRUE(::AssignProcessToJobObject(job, ::GetCurrentProcess()));
    EXPECT_EQ(jobMemoryLimits().perProcess, 64 * kGB);
    EXPECT_EQ(jobMemoryLimits().wholeJob, 0);
    EXPECT_LE(memoryLeftForThisProcess(), 64 * kGB);
}

} // namespace
} // namespace quillmorph
