#pragma once

#include <QByteArray>
#include <QString>
#include <sys/resource.h>

namespace quillmorph {

// The parts of memoryLeftForThisProcess (MachineMemory.h) on Linux, as functions of the texts
// and limits they read: the machine's available memory, the address space the process may map
// (ulimit -v) and the memory limit of its control group (a container, a systemd unit). Each
// part returns infinity when it sets no limit. Any thread. Only MachineMemoryPosix.cpp and its
// test include this.

// MemAvailable of meminfo (/proc/meminfo's text), in bytes; infinity when it is not there.
double availableMemoryBytes(const QByteArray& meminfo);

// The address space left under limit (RLIMIT_AS) beside what status (/proc/self/status's
// text) says is mapped already (VmSize).
double addressSpaceLeftBytes(rlim_t limit, const QByteArray& status);

// The address space a batch's threads map beyond what is mapped as it starts, which an
// address-space limit must leave room for: a stack of stackLimit (RLIMIT_STACK; 8 MiB when
// unlimited) for each thread the workers and libvips start on cores cores beyond the threads
// running (status's Threads): four a core and the main thread, as nine were seen on two; and
// while only the main thread runs, the second malloc arena its first worker maps (64 MiB).
double addressSpaceForThreadsBytes(rlim_t stackLimit, int cores, const QByteArray& status);

// The memory left under the limits of the process's control group and of every group above it
// (cgroup v2 memory.max, v1 memory.limit_in_bytes): each limit less what its group uses beyond
// the page cache it can drop. cgroups is /proc/self/cgroup's text; root is where the groups
// are mounted (/sys/fs/cgroup, v1 controllers in folders of their names).
double cgroupMemoryLeftBytes(const QByteArray& cgroups, const QString& root);

} // namespace quillmorph
