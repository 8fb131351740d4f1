// Pilot 33 (choosing the quality per picture by Butteraugli) — throwaway code, not product code.
#pragma once
#include <vips/vips8>
#include <jxl/butteraugli.h>
#include <jxl/butteraugli_cxx.h>
#include <jxl/thread_parallel_runner.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using vips::VImage;

inline double nowSec() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// 8-bit sRGB, 3 bands, no alpha (flattened on white) — what the product hands its encoders.
inline VImage toRgb8(VImage in) {
    if (in.interpretation() != VIPS_INTERPRETATION_sRGB && in.interpretation() != VIPS_INTERPRETATION_B_W)
        in = in.colourspace(VIPS_INTERPRETATION_sRGB);
    if (in.has_alpha())
        in = in.flatten(VImage::option()->set("background", std::vector<double>{255, 255, 255}));
    if (in.bands() == 1)
        in = in.bandjoin({in, in});
    if (in.bands() > 3)
        in = in.extract_band(0, VImage::option()->set("n", 3));
    if (in.format() != VIPS_FORMAT_UCHAR)
        in = in.cast(VIPS_FORMAT_UCHAR);
    return in;
}

// Pixels in memory, packed RGBRGB…
inline std::vector<uint8_t> pixels(const VImage& img) {
    size_t n = 0;
    void* p = img.write_to_memory(&n);
    std::vector<uint8_t> v(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
    g_free(p);
    return v;
}

struct Metric {
    JxlButteraugliApiPtr api{JxlButteraugliApiCreate(nullptr)};
    void* runner = nullptr;
    explicit Metric(int threads, float nits = 0) {
        if (!api) throw std::runtime_error("JxlButteraugliApiCreate failed");
        if (nits > 0) JxlButteraugliApiSetIntensityTarget(api.get(), nits);  // libjxl 0.7's default is 255
        if (threads > 1) {
            runner = JxlThreadParallelRunnerCreate(nullptr, threads);
            JxlButteraugliApiSetParallelRunner(api.get(), JxlThreadParallelRunner, runner);
        }
    }
    ~Metric() {
        api.reset();
        if (runner) JxlThreadParallelRunnerDestroy(runner);
    }
    struct Score { float maxNorm, p3, p6; double seconds; };
    Score compare(int w, int h, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                  bool asFloatLinear = false) const {
        const double t0 = nowSec();
        JxlButteraugliResultPtr r;
        if (!asFloatLinear) {
            JxlPixelFormat fmt{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
            r.reset(JxlButteraugliCompute(api.get(), w, h, &fmt, a.data(), a.size(), &fmt, b.data(), b.size()));
        } else {
            // the same pixels handed over as linear-light float (sRGB EOTF applied here)
            auto lin = [](const std::vector<uint8_t>& v) {
                std::vector<float> f(v.size());
                for (size_t i = 0; i < v.size(); ++i) {
                    const float c = v[i] / 255.f;
                    f[i] = c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
                }
                return f;
            };
            const auto fa = lin(a), fb = lin(b);
            JxlPixelFormat fmt{3, JXL_TYPE_FLOAT, JXL_NATIVE_ENDIAN, 0};
            r.reset(JxlButteraugliCompute(api.get(), w, h, &fmt, fa.data(), fa.size() * 4, &fmt, fb.data(),
                                          fb.size() * 4));
        }
        if (!r) throw std::runtime_error("JxlButteraugliCompute failed");
        Score s;
        s.maxNorm = JxlButteraugliResultGetMaxDistance(r.get());
        s.p3 = JxlButteraugliResultGetDistance(r.get(), 3.0f);
        s.p6 = 0;
        s.seconds = nowSec() - t0;
        return s;
    }
};

// Encode as quillmorph does (FormatWriters.cpp / OutputFormat.cpp), into memory.
inline std::vector<uint8_t> encode(const VImage& rgb8, const std::string& format, int q) {
    VipsBlob* blob = nullptr;
    if (format == "jpeg") {
        blob = rgb8.jpegsave_buffer(VImage::option()->set("Q", q)->set("strip", true));
    } else if (format == "jpeg444") {  // experiment: no chroma subsampling below q90 either
        blob = rgb8.jpegsave_buffer(VImage::option()->set("Q", q)->set("strip", true)->set(
            "subsample_mode", VIPS_FOREIGN_SUBSAMPLE_OFF));
    } else if (format == "avif444") {
        blob = rgb8.heifsave_buffer(VImage::option()
                                        ->set("Q", q)
                                        ->set("strip", true)
                                        ->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1)
                                        ->set("effort", 0)
                                        ->set("bitdepth", 8)
                                        ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_OFF));
    } else if (format == "webp") {
        blob = rgb8.webpsave_buffer(VImage::option()->set("Q", q)->set("strip", true));
    } else if (format == "avif") {
        blob = rgb8.heifsave_buffer(VImage::option()
                                        ->set("Q", q)
                                        ->set("strip", true)
                                        ->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1)
                                        ->set("effort", 0)
                                        ->set("bitdepth", 8));
    } else if (format == "jxl") {
        blob = rgb8.jxlsave_buffer(VImage::option()->set("Q", q)->set("strip", true));
    } else {
        throw std::runtime_error("format " + format);
    }
    size_t n = 0;
    const void* d = vips_blob_get(blob, &n);
    std::vector<uint8_t> v(static_cast<const uint8_t*>(d), static_cast<const uint8_t*>(d) + n);
    vips_area_unref(VIPS_AREA(blob));
    return v;
}

inline VImage decode(const std::vector<uint8_t>& bytes) {
    VImage img = VImage::new_from_buffer(bytes.data(), bytes.size(), "",
                                         VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    return toRgb8(img);
}
