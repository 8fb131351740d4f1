#include "system/MachineMemoryWindows.h"
#include "system/MachineMemory.h"

#include <algorithm>
#include <limits>
#include <windows.h>

#include <psapi.h> // after windows.h, whose types it uses

namespace quillmorph {

namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

double leftUnder(double limit, double used) {
    return limit > 0 ? std::max(0.0, limit - used) : kNoLimit;
}

// What the process has committed: what a job's limits count.
double processCommittedBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(),
                                   reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters))
        return 0;
    return double(counters.PrivateUsage);
}

} // namespace

double jobMemoryLeftBytes(const JobMemoryLimits& limits, double processUsed) {
    // Of the whole job's use only this process's is known to it: the others' is not subtracted.
    return std::min(leftUnder(limits.perProcess, processUsed),
                    leftUnder(limits.wholeJob, processUsed));
}

JobMemoryLimits jobMemoryLimits() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    // No handle: the job this process is in, if any.
    if (!::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &info, sizeof info,
                                     nullptr))
        return {};
    const DWORD flags = info.BasicLimitInformation.LimitFlags;
    JobMemoryLimits limits;
    if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
        limits.perProcess = double(info.ProcessMemoryLimit);
    if (flags & JOB_OBJECT_LIMIT_JOB_MEMORY)
        limits.wholeJob = double(info.JobMemoryLimit);
    return limits;
}

double memoryLeftForThisProcess() {
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    const bool known = ::GlobalMemoryStatusEx(&memory) != 0;
    // The physical memory available, and the commit charge left, beyond which allocations fail
    // however much is free.
    const double least = std::min({known ? double(memory.ullAvailPhys) : kNoLimit,
                                   known ? double(memory.ullAvailPageFile) : kNoLimit,
                                   jobMemoryLeftBytes(jobMemoryLimits(), processCommittedBytes())});
    return least == kNoLimit ? 0.0 : least;
}

} // namespace quillmorph
