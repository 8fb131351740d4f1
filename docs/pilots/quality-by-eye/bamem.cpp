// Time and memory of one Butteraugli evaluation at a given size.
//   bamem photo W H metric(0|1) [threads]
// Prepares the fitted picture (fill-crop to exactly W x H) and a JPEG q75 copy decoded to pixels,
// then (metric=1) runs JxlButteraugliCompute once. Peak RSS before and after the metric is
// printed; run under /usr/bin/time -f '%e s %M KB' for the process total.
#include "common.h"

#include <sys/resource.h>
#include <time.h>

static long maxRssKb() {
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}
static double cpuSec() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    if (argc < 5) return 2;
    const int W = std::atoi(argv[2]), H = std::atoi(argv[3]), withMetric = std::atoi(argv[4]);
    const int threads = argc > 5 ? std::atoi(argv[5]) : 1;
    std::vector<uint8_t> ref, dist;
    {
        VImage fitted = toRgb8(VImage::thumbnail(argv[1], W, VImage::option()
                                                                 ->set("height", H)
                                                                 ->set("size", VIPS_SIZE_FORCE)))
                            .copy_memory();
        ref = pixels(fitted);
        const auto jpg = encode(fitted, "jpeg", 75);
        dist = pixels(decode(jpg));
    }
    vips_cache_set_max(0);
    vips_thread_shutdown();
    const long before = maxRssKb();
    double wall = 0, cpu = 0;
    float mx = 0, p3 = 0;
    if (withMetric) {
        Metric m(threads);
        const double c0 = cpuSec();
        auto s = m.compare(W, H, ref, dist);
        cpu = cpuSec() - c0;
        wall = s.seconds, mx = s.maxNorm, p3 = s.p3;
    }
    const long after = maxRssKb();
    std::printf("%dx%d (%.2f MP) threads %d: metric wall %.3f s cpu %.3f s max %.3f p3 %.3f; peak RSS before "
                "%ld KB, after %ld KB, metric adds %ld KB = %.1f B/px\n",
                W, H, W * double(H) / 1e6, threads, wall, cpu, mx, p3, before, after, after - before,
                (after - before) * 1024.0 / (double(W) * H));
    return 0;
}
