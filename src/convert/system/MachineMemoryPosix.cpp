#include "system/MachineMemoryPosix.h"
#include "system/MachineMemory.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <limits>
#include <optional>

namespace quillmorph {

namespace {

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number after key in a "key: value [kB]" or "key value" listing; nothing when absent.
std::optional<double> valueOf(const QByteArray& listing, const QByteArray& key) {
    for (const QByteArray& line : listing.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || (fields[0] != key && fields[0] != key + ':'))
            continue;
        bool ok = false;
        const double value = fields[1].toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return fields.size() > 2 && fields[2] == "kB" ? value * 1024 : value;
    }
    return std::nullopt;
}

// A limit file's value; nothing for "max", a number no machine has (v1 writes 2^63 rounded
// to pages) or no file.
std::optional<double> limitIn(const QString& file) {
    const QByteArray text = contentsOf(file).trimmed();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value >= double(1ULL << 62))
        return std::nullopt;
    return value;
}

// What one group may still take: its limit less its use, its inactive page cache counted
// free as the kernel drops it before failing an allocation.
double leftInGroup(const QString& dir, const char* limitFile, const char* usageFile,
                   const QByteArray& inactiveKey) {
    const std::optional<double> limit = limitIn(dir + QLatin1Char('/') + QLatin1String(limitFile));
    if (!limit)
        return kNoLimit;
    const double used =
        contentsOf(dir + QLatin1Char('/') + QLatin1String(usageFile)).trimmed().toDouble();
    const double inactive =
        valueOf(contentsOf(dir + QStringLiteral("/memory.stat")), inactiveKey).value_or(0);
    return std::max(0.0, *limit - std::max(0.0, used - inactive));
}

// The least left in the group at path under mount and the groups above it.
double leftOnTheWayUp(const QString& mount, QString path, const char* limitFile,
                      const char* usageFile, const QByteArray& inactiveKey) {
    double least = kNoLimit;
    for (;;) {
        const QString dir = mount + path;
        if (QDir(dir).exists())
            least = std::min(least, leftInGroup(dir, limitFile, usageFile, inactiveKey));
        if (path.isEmpty() || path == QLatin1String("/"))
            return least;
        path = path.left(std::max(0, int(path.lastIndexOf(QLatin1Char('/')))));
    }
}

} // namespace

double availableMemoryBytes(const QByteArray& meminfo) {
    return valueOf(meminfo, "MemAvailable").value_or(kNoLimit);
}

double addressSpaceLeftBytes(rlim_t limit, const QByteArray& status) {
    if (limit == RLIM_INFINITY)
        return kNoLimit;
    return std::max(0.0, double(limit) - valueOf(status, "VmSize").value_or(0));
}

double addressSpaceForThreadsBytes(rlim_t stackLimit, int cores, const QByteArray& status) {
    constexpr double kDefaultStack = 8.0 * 1024 * 1024;
    constexpr double kArena = 64.0 * 1024 * 1024;
    constexpr int kThreadsPerCore = 4;
    const double stack = stackLimit == RLIM_INFINITY ? kDefaultStack : double(stackLimit);
    const double running = valueOf(status, "Threads").value_or(1);
    const double stacks = std::max(0.0, kThreadsPerCore * std::max(1, cores) + 1 - running) * stack;
    return stacks + (running < 2 ? kArena : 0.0);
}

double cgroupMemoryLeftBytes(const QByteArray& cgroups, const QString& root) {
    double least = kNoLimit;
    // "0::/user.slice/…" (v2), or "4:memory:/docker/…" (v1, controllers listed by name).
    for (const QByteArray& line : cgroups.split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3)
            continue;
        const QString path = QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + 2));
        if (fields[0] == "0" && fields[1].isEmpty()) {
            least = std::min(
                least, leftOnTheWayUp(root, path, "memory.max", "memory.current", "inactive_file"));
        } else if (fields[1].split(',').contains("memory")) {
            least = std::min(least, leftOnTheWayUp(root + QStringLiteral("/memory"), path,
                                                   "memory.limit_in_bytes", "memory.usage_in_bytes",
                                                   "total_inactive_file"));
        }
    }
    return least;
}

double memoryLeftForThisProcess() {
    struct rlimit addressSpace {};
    const rlim_t limit =
        ::getrlimit(RLIMIT_AS, &addressSpace) == 0 ? addressSpace.rlim_cur : RLIM_INFINITY;
    struct rlimit stack {};
    const rlim_t stackLimit =
        ::getrlimit(RLIMIT_STACK, &stack) == 0 ? stack.rlim_cur : RLIM_INFINITY;
    // Under ulimit -v, threads started after this would take the margin the files were given:
    // GLib aborts when an allocation then fails. A byte, not 0 (not known), when none is left.
    const QByteArray status = contentsOf(QStringLiteral("/proc/self/status"));
    const double addressSpaceLeft = std::max(
        1.0, addressSpaceLeftBytes(limit, status) -
                 addressSpaceForThreadsBytes(stackLimit, QThread::idealThreadCount(), status));
    const double least = std::min(
        {availableMemoryBytes(contentsOf(QStringLiteral("/proc/meminfo"))), addressSpaceLeft,
         cgroupMemoryLeftBytes(contentsOf(QStringLiteral("/proc/self/cgroup")),
                               QStringLiteral("/sys/fs/cgroup"))});
    return least == kNoLimit ? 0.0 : least;
}

} // namespace quillmorph
