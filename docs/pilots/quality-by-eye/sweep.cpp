// Sweep: for each photo fitted into a box, each format, each quality — bytes, encode/decode/metric
// time, Butteraugli max-norm and 3-norm, at full size and (optionally) on a reduced copy.
//
//   sweep [-box 1280x960] [-formats jpeg,webp,avif,jxl] [-qs 30:80:2,81:100:1] [-evalmax N[,N2..]]
//         [-threads T] [-pad] [-nits N] files...
// CSV on stdout: photo,format,q,w,h,bytes,enc_s,dec_s,ba_s,max,p3[,emax,ep3,eba_s]
#include "common.h"

#include <cstring>
#include <sstream>

static std::vector<int> parseQs(const std::string& s) {
    std::vector<int> qs;
    std::stringstream ss(s);
    std::string part;
    while (std::getline(ss, part, ',')) {
        int a, b, st = 1;
        if (sscanf(part.c_str(), "%d:%d:%d", &a, &b, &st) >= 2)
            for (int q = a; q <= b; q += st) qs.push_back(q);
        else
            qs.push_back(std::atoi(part.c_str()));
    }
    return qs;
}

static std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> v;
    std::stringstream ss(s);
    std::string p;
    while (std::getline(ss, p, ',')) v.push_back(p);
    return v;
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    int bw = 1280, bh = 960, threads = 1;
    std::vector<int> evalMaxes;
    float nits = 0;
    bool pad = false;
    std::vector<std::string> formats{"jpeg", "webp", "avif", "jxl"};
    std::vector<int> qs = parseQs("30:80:2,81:100:1");
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-box") sscanf(argv[++i], "%dx%d", &bw, &bh);
        else if (a == "-formats") formats = split(argv[++i]);
        else if (a == "-qs") qs = parseQs(argv[++i]);
        else if (a == "-evalmax") evalMaxes = parseQs(argv[++i]);
        else if (a == "-threads") threads = std::atoi(argv[++i]);
        else if (a == "-pad") pad = true;
        else if (a == "-nits") nits = std::atof(argv[++i]);
        else files.push_back(a);
    }
    Metric metric(threads, nits);
    std::printf("photo,format,q,w,h,bytes,enc_s,dec_s,ba_s,max,p3");
    for (int em : evalMaxes) std::printf(",ew%d,eh%d,emax%d,ep3%d,eba_s%d", em, em, em, em, em);
    std::printf("\n");
    for (const auto& file : files) {
        VImage fitted = toRgb8(VImage::thumbnail(file.c_str(), bw, VImage::option()->set("height", bh)));
        if (pad)
            fitted = fitted.embed((bw - fitted.width()) / 2, (bh - fitted.height()) / 2, bw, bh,
                                  VImage::option()->set("background", std::vector<double>{255, 255, 255}));
        fitted = fitted.copy_memory();
        const int w = fitted.width(), h = fitted.height();
        const auto ref = pixels(fitted);
        // the reduced references, made once per evaluation size
        struct Reduced { double scale; int w, h; std::vector<uint8_t> ref; };
        std::vector<Reduced> reduced;
        for (int em : evalMaxes) {
            if (std::max(w, h) > em) {
                const double sc = double(em) / std::max(w, h);
                VImage s = fitted.resize(sc);
                reduced.push_back({sc, s.width(), s.height(), pixels(s)});
            } else {
                reduced.push_back({1.0, w, h, {}});
            }
        }
        std::string name = file.substr(file.find_last_of('/') + 1);
        for (const auto& fmt : formats) {
            for (int q : qs) {
                double t0 = nowSec();
                const auto bytes = encode(fitted, fmt, q);
                double t1 = nowSec();
                VImage dec = decode(bytes).copy_memory();
                const auto dist = pixels(dec);
                double t2 = nowSec();
                if (dec.width() != w || dec.height() != h) throw std::runtime_error("size changed");
                const auto s = metric.compare(w, h, ref, dist);
                std::printf("%s,%s,%d,%d,%d,%zu,%.3f,%.3f,%.3f,%.4f,%.4f", name.c_str(), fmt.c_str(), q, w,
                            h, bytes.size(), t1 - t0, t2 - t1, s.seconds, s.maxNorm, s.p3);
                for (const auto& r : reduced) {
                    if (r.scale < 1.0) {
                        const auto ds = pixels(dec.resize(r.scale));
                        const auto e = metric.compare(r.w, r.h, r.ref, ds);
                        std::printf(",%d,%d,%.4f,%.4f,%.3f", r.w, r.h, e.maxNorm, e.p3, e.seconds);
                    } else {
                        std::printf(",%d,%d,%.4f,%.4f,%.3f", w, h, s.maxNorm, s.p3, 0.0);
                    }
                }
                std::printf("\n");
                std::fflush(stdout);
            }
        }
    }
    vips_shutdown();
    return 0;
}
