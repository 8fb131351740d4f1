#pragma once

namespace quillmorph {

// The parts of memoryLeftForThisProcess (MachineMemory.h) on Windows, as functions of the
// figures the system gives. Each returns infinity when it sets no limit. Any thread. Only
// MachineMemoryWindows.cpp and its test include this.

// The memory limits of the job the process runs in (a sandbox, a container), each 0 when not
// set.
struct JobMemoryLimits {
    double perProcess = 0; // ProcessMemoryLimit
    double wholeJob = 0;   // JobMemoryLimit
};

// The least the job's limits leave this process, which has committed processUsed bytes.
double jobMemoryLeftBytes(const JobMemoryLimits& limits, double processUsed);

// The job's limits as the system gives them now; none when the process is in no job.
JobMemoryLimits jobMemoryLimits();

} // namespace quillmorph
