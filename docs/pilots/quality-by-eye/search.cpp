// The search as the product would run it, timed per picture against a plain q88 encode.
//   search [-box 1280x960] [-formats jpeg,...] [-norm p3|max] [-t 0.8] [-ceiling 100] [-floor 30]
//          [-evalmax N] [-threads T] [-strategy bisect|interp] files...
// Per picture and format: load + fit (thumbnail) once; plain = encode at q88; auto = bisection on
// the quality, the fitted pixels decoded once, each candidate encoded, decoded and measured; the
// best passing candidate's bytes kept (no re-encode). CPU seconds (process) and wall seconds.
#include "common.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <time.h>

static double cpuSec() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    int bw = 1280, bh = 960, ceiling = 100, floorQ = 30, evalMax = 0, threads = 1;
    double t = 0.8;
    float nits = 0;
    std::string norm = "p3", strategy = "bisect";
    std::vector<std::string> formats{"jpeg", "webp", "avif", "jxl"}, files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-box") sscanf(argv[++i], "%dx%d", &bw, &bh);
        else if (a == "-formats") {
            formats.clear();
            std::stringstream ss(argv[++i]);
            std::string p;
            while (std::getline(ss, p, ',')) formats.push_back(p);
        } else if (a == "-norm") norm = argv[++i];
        else if (a == "-t") t = std::atof(argv[++i]);
        else if (a == "-ceiling") ceiling = std::atoi(argv[++i]);
        else if (a == "-floor") floorQ = std::atoi(argv[++i]);
        else if (a == "-evalmax") evalMax = std::atoi(argv[++i]);
        else if (a == "-threads") threads = std::atoi(argv[++i]);
        else if (a == "-strategy") strategy = argv[++i];
        else if (a == "-nits") nits = std::atof(argv[++i]);
        else files.push_back(a);
    }
    Metric metric(threads, nits);
    std::printf("photo,format,w,h,plain_cpu,plain_wall,q88_bytes,auto_cpu,auto_wall,q,bytes,score,evals,enc_cpu,"
                "metric_cpu,trail\n");
    for (const auto& file : files) {
        const std::string name = file.substr(file.find_last_of('/') + 1);
        for (const auto& fmt : formats) {
            // plain: load, fit, encode q88
            double c0 = cpuSec(), w0 = nowSec();
            size_t q88bytes;
            {
                VImage fitted = toRgb8(VImage::thumbnail(file.c_str(), bw, VImage::option()->set("height", bh)));
                q88bytes = encode(fitted, fmt, 88).size();
            }
            const double plainCpu = cpuSec() - c0, plainWall = nowSec() - w0;

            // auto
            c0 = cpuSec(), w0 = nowSec();
            VImage fitted =
                toRgb8(VImage::thumbnail(file.c_str(), bw, VImage::option()->set("height", bh))).copy_memory();
            const int w = fitted.width(), h = fitted.height();
            double scale = 1.0;
            int ew = w, eh = h;
            VImage evalRef = fitted;
            if (evalMax && std::max(w, h) > evalMax) {
                scale = double(evalMax) / std::max(w, h);
                evalRef = fitted.resize(scale).copy_memory();
                ew = evalRef.width(), eh = evalRef.height();
            }
            const auto ref = pixels(evalRef);
            double encCpu = 0, metCpu = 0;
            std::map<int, std::pair<double, std::vector<uint8_t>>> tried;  // q -> score, bytes
            auto score = [&](int q) {
                double e0 = cpuSec();
                auto bytes = encode(fitted, fmt, q);
                VImage dec = decode(bytes);
                if (scale < 1.0) dec = dec.resize(scale);
                const auto dist = pixels(dec);
                double m0 = cpuSec();
                encCpu += m0 - e0;
                auto s = metric.compare(ew, eh, ref, dist);
                metCpu += cpuSec() - m0;
                const double v = norm == "max" ? s.maxNorm : s.p3;
                tried[q] = {v, std::move(bytes)};
                return v;
            };
            int lo = floorQ - 1, hi = ceiling;  // lo: known to fail (or below floor), hi: assumed to pass
            std::string trail;
            if (strategy == "interp") {
                // start from a prior guess, then step by interpolation on the score, bisection fallback
                std::map<std::string, int> prior{{"jpeg", 92}, {"webp", 98}, {"avif", 90}, {"jxl", 90}};  // medians for 3-norm <= 0.6 at 80 nits
                int q = std::clamp(prior[fmt], floorQ, ceiling);
                while (hi - lo > 1) {
                    const double v = score(q);
                    trail += std::to_string(q) + (v <= t ? "+ " : "- ");
                    if (v <= t) hi = q;
                    else lo = q;
                    if (hi - lo <= 1) break;
                    q = (lo + hi) / 2;
                    // interpolate between measured bracket ends when both are measured
                    if (tried.count(lo) && tried.count(hi)) {
                        const double vl = tried[lo].first, vh = tried[hi].first;
                        if (vl > vh) q = int(std::round(lo + (vl - t) / (vl - vh) * (hi - lo)));
                    }
                    q = std::clamp(q, lo + 1, hi - 1);
                }
            } else {
                while (hi - lo > 1) {
                    const int mid = (lo + hi) / 2;
                    const double v = score(mid);
                    trail += std::to_string(mid) + (v <= t ? "+ " : "- ");
                    if (v <= t) hi = mid;
                    else lo = mid;
                }
            }
            if (!tried.count(hi)) {  // the ceiling, never measured: measure it (kept even if it fails)
                const double v = score(hi);
                trail += std::to_string(hi) + (v <= t ? "+ " : "- ");
            }
            const auto& best = tried[hi];
            const double autoCpu = cpuSec() - c0, autoWall = nowSec() - w0;
            std::printf("%s,%s,%d,%d,%.3f,%.3f,%zu,%.3f,%.3f,%d,%zu,%.4f,%zu,%.3f,%.3f,%s\n", name.c_str(),
                        fmt.c_str(), w, h, plainCpu, plainWall, q88bytes, autoCpu, autoWall, hi, best.second.size(),
                        best.first, tried.size(), encCpu, metCpu, trail.c_str());
            std::fflush(stdout);
        }
    }
    vips_shutdown();
    return 0;
}
