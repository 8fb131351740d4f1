// API check on Debian 12's libjxl 0.7: pixel formats, identity, threads, tiny sizes.
//   apicheck photo
#include "common.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double cpuSec() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    const char* file = argc > 1 ? argv[1] : "corpus/photos/Storm.jpg";
    VImage fitted = toRgb8(VImage::thumbnail(file, 1280, VImage::option()->set("height", 960))).copy_memory();
    const int w = fitted.width(), h = fitted.height();
    const auto ref = pixels(fitted);
    const auto jpg = encode(fitted, "jpeg", 75);
    const auto dist = pixels(decode(jpg));
    std::printf("libjxl butteraugli API, %dx%d, jpeg q75 %zu bytes\n", w, h, jpg.size());

    Metric m1(1);
    {
        auto s = m1.compare(w, h, ref, ref);
        std::printf("identical (uint8):          max %.4f  p3 %.4f\n", s.maxNorm, s.p3);
    }
    {
        double c0 = cpuSec();
        auto s = m1.compare(w, h, ref, dist);
        std::printf("uint8 sRGB, 1 thread:        max %.4f  p3 %.4f  wall %.3f s  cpu %.3f s\n", s.maxNorm,
                    s.p3, s.seconds, cpuSec() - c0);
        auto f = m1.compare(w, h, ref, dist, true);
        std::printf("float linear (same pixels):  max %.4f  p3 %.4f  wall %.3f s\n", f.maxNorm, f.p3, f.seconds);
    }
    {
        // the same 8-bit pixels as 16-bit (value * 257): should read as the same sRGB picture
        std::vector<uint16_t> a16(ref.size()), b16(dist.size());
        for (size_t i = 0; i < ref.size(); ++i) a16[i] = ref[i] * 257, b16[i] = dist[i] * 257;
        JxlPixelFormat fmt{3, JXL_TYPE_UINT16, JXL_NATIVE_ENDIAN, 0};
        JxlButteraugliResultPtr r(JxlButteraugliCompute(m1.api.get(), w, h, &fmt, a16.data(), a16.size() * 2,
                                                        &fmt, b16.data(), b16.size() * 2));
        std::printf("uint16 sRGB:                 max %.4f  p3 %.4f\n", JxlButteraugliResultGetMaxDistance(r.get()),
                    JxlButteraugliResultGetDistance(r.get(), 3));
    }
    {
        // the same pixels misread: uint8 declared as linear? (only float is linear) -> float sRGB-coded values
        std::vector<float> a(ref.size()), b(dist.size());
        for (size_t i = 0; i < ref.size(); ++i) a[i] = ref[i] / 255.f, b[i] = dist[i] / 255.f;
        JxlPixelFormat fmt{3, JXL_TYPE_FLOAT, JXL_NATIVE_ENDIAN, 0};
        JxlButteraugliResultPtr r(JxlButteraugliCompute(m1.api.get(), w, h, &fmt, a.data(), a.size() * 4, &fmt,
                                                        b.data(), b.size() * 4));
        std::printf("WRONG: sRGB values as float: max %.4f  p3 %.4f  (float is read as linear)\n",
                    JxlButteraugliResultGetMaxDistance(r.get()), JxlButteraugliResultGetDistance(r.get(), 3));
    }
    {
        // RGBA with opaque alpha: 4 channels -> blended on black and white, two comparisons
        std::vector<uint8_t> a4(size_t(w) * h * 4), b4(a4.size());
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            for (int c = 0; c < 3; ++c) a4[i * 4 + c] = ref[i * 3 + c], b4[i * 4 + c] = dist[i * 3 + c];
            a4[i * 4 + 3] = b4[i * 4 + 3] = 255;
        }
        JxlPixelFormat fmt{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
        double t0 = nowSec();
        JxlButteraugliResultPtr r(JxlButteraugliCompute(m1.api.get(), w, h, &fmt, a4.data(), a4.size(), &fmt,
                                                        b4.data(), b4.size()));
        std::printf("uint8 RGBA opaque:           max %.4f  p3 %.4f  wall %.3f s\n",
                    JxlButteraugliResultGetMaxDistance(r.get()), JxlButteraugliResultGetDistance(r.get(), 3),
                    nowSec() - t0);
    }
    {
        // p-norms other than 3 take the slow path; what do they give?
        JxlPixelFormat fmt{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
        JxlButteraugliResultPtr r(
            JxlButteraugliCompute(m1.api.get(), w, h, &fmt, ref.data(), ref.size(), &fmt, dist.data(), dist.size()));
        for (float p : {1.f, 2.f, 3.f, 6.f, 12.f}) {
            double t0 = nowSec();
            float d = JxlButteraugliResultGetDistance(r.get(), p);
            std::printf("  pnorm %4.1f -> %.4f (%.3f s)\n", p, d, nowSec() - t0);
        }
        const float* map;
        uint32_t stride;
        JxlButteraugliResultGetDistmap(r.get(), &map, &stride);
        std::printf("  distmap row stride %u floats for width %d\n", stride, w);
    }
    for (int t : {1, 2}) {
        Metric m(t);
        double best = 1e9, bestCpu = 0;
        Metric::Score s{};
        for (int rep = 0; rep < 3; ++rep) {
            double c0 = cpuSec();
            s = m.compare(w, h, ref, dist);
            if (s.seconds < best) best = s.seconds, bestCpu = cpuSec() - c0;
        }
        std::printf("threads %d: max %.4f p3 %.4f  best wall of 3 %.3f s, its cpu %.3f s\n", t, s.maxNorm, s.p3, best,
                    bestCpu);
    }
    // tiny pictures: does the API return, return NULL or abort?
    for (auto [tw, th] : std::vector<std::pair<int, int>>{{1, 1}, {3, 2}, {7, 7}, {8, 8}, {9, 5}, {16, 1}, {1, 300}}) {
        std::fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<uint8_t> a(size_t(tw) * th * 3, 128), b(a.size(), 128);
            b[0] = 0;
            JxlPixelFormat fmt{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
            JxlButteraugliResultPtr r(
                JxlButteraugliCompute(m1.api.get(), tw, th, &fmt, a.data(), a.size(), &fmt, b.data(), b.size()));
            if (!r) std::printf("%dx%d: NULL\n", tw, th);
            else
                std::printf("%dx%d: max %.4f p3 %.4f\n", tw, th, JxlButteraugliResultGetMaxDistance(r.get()),
                            JxlButteraugliResultGetDistance(r.get(), 3));
            std::fflush(stdout);
            _exit(0);
        }
        int st = 0;
        waitpid(pid, &st, 0);
        if (WIFSIGNALED(st)) std::printf("%dx%d: killed by signal %d\n", tw, th, WTERMSIG(st));
    }
    return 0;
}
