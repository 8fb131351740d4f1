#include "system/MachineMemoryPosix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace quillmorph {
namespace {

constexpr double kMB = 1024.0 * 1024;
constexpr double kNone = std::numeric_limits<double>::infinity();

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(MachineMemoryTest, AvailableMemoryAndAddressSpace) {
    EXPECT_EQ(availableMemoryBytes("MemTotal:       24000000 kB\nMemAvailable:   23651232 kB\n"),
              23651232.0 * 1024);
    EXPECT_EQ(availableMemoryBytes("MemTotal:       24000000 kB\n"), kNone);
    EXPECT_EQ(addressSpaceLeftBytes(600000 * 1024, "Name:\tquillmorph-cli\nVmSize:\t  294528 kB\n"),
              (600000.0 - 294528) * 1024);
    EXPECT_EQ(addressSpaceLeftBytes(RLIM_INFINITY, "VmSize:\t  294528 kB\n"), kNone);
    // A batch on two cores ran nine threads of 8 MiB stacks, three of them as it started.
    EXPECT_EQ(addressSpaceForThreadsBytes(8 * 1024 * 1024, 2, "VmSize:\t  254620 kB\nThreads:\t3\n"), 48 * kMB);
    EXPECT_EQ(addressSpaceForThreadsBytes(RLIM_INFINITY, 2, "Threads:\t1\n"), (64 + 64) * kMB);
    EXPECT_EQ(addressSpaceForThreadsBytes(8 * 1024 * 1024, 2, "Threads:\t12\n"), 0) << "a window's threads run";
}

// A container's limit (v1), a desktop session's (v2, set on a group above the process's), and
// none: the page cache a group can drop counts as free.
TEST(MachineMemoryTest, TheLeastLeftUnderTheControlGroupsLimits) {
    QTemporaryDir root;
    write(root.filePath(QStringLiteral("memory/docker/abc/memory.limit_in_bytes")), "1073741824\n");
    write(root.filePath(QStringLiteral("memory/docker/abc/memory.usage_in_bytes")), "805306368\n");
    write(root.filePath(QStringLiteral("memory/docker/abc/memory.stat")), "cache 1\ntotal_inactive_file 268435456\n");
    write(root.filePath(QStringLiteral("memory/docker/memory.limit_in_bytes")), "9223372036854771712\n");
    EXPECT_EQ(cgroupMemoryLeftBytes("12:memory:/docker/abc\n4:cpu,cpuacct:/docker/abc\n", root.path()), 512 * kMB);

    write(root.filePath(QStringLiteral("user.slice/app.scope/memory.max")), "max\n");
    write(root.filePath(QStringLiteral("user.slice/memory.max")), "2147483648\n");
    write(root.filePath(QStringLiteral("user.slice/memory.current")), "1073741824\n");
    write(root.filePath(QStringLiteral("user.slice/memory.stat")), "anon 1\ninactive_file 268435456\n");
    EXPECT_EQ(cgroupMemoryLeftBytes("0::/user.slice/app.scope\n", root.path()), 1280 * kMB);

    EXPECT_EQ(cgroupMemoryLeftBytes("0::/elsewhere\n", root.path()), kNone);
}

} // namespace
} // namespace quillmorph
