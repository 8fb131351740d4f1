// Pilot 32: frame-by-frame comparison of two animations (or stacked frame images).
//   framediff A B [TOL] [BG]
// Both loaded with n=-1 and made RGBA. With BG (e.g. "255,255,255") both are first flattened
// onto that colour (as quillmorph flattens). Per frame: pixels whose alpha differs or whose
// colour differs by more than TOL (any band) where opaque; mean absolute error over RGB.
#include <vips/vips8>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using vips::VImage;

static VImage rgba(VImage in) {
    if (in.bands() < 3) in = in.colourspace(VIPS_INTERPRETATION_sRGB);
    if (!in.has_alpha()) in = in.bandjoin_const({255});
    return in.cast(VIPS_FORMAT_UCHAR);
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    if (argc < 3) { fprintf(stderr, "usage: framediff A B [TOL] [R,G,B]\n"); return 2; }
    const double tol = argc > 3 ? atof(argv[3]) : 0;
    std::vector<double> bg;
    if (argc > 4) { std::stringstream s(argv[4]); std::string v; while (std::getline(s, v, ',')) bg.push_back(atof(v.c_str())); }
    auto load = [&](const char* f) {
        VImage i = VImage::new_from_file(f, VImage::option()->set("n", -1));
        int ph = i.get_typeof("page-height") ? i.get_int("page-height") : i.height();
        VImage r = rgba(i);
        if (!bg.empty()) r = r.flatten(VImage::option()->set("background", bg)).bandjoin_const({255}).cast(VIPS_FORMAT_UCHAR);
        return std::make_pair(r.copy_memory(), ph);
    };
    auto [a, pha] = load(argv[1]);
    auto [b, phb] = load(argv[2]);
    if (a.width() != b.width() || pha != phb || a.height() != b.height()) {
        printf("geometry differs: %dx%d (page %d) vs %dx%d (page %d)\n", a.width(), a.height(), pha, b.width(), b.height(), phb);
        return 1;
    }
    const int n = a.height() / pha;
    long total = 0;
    double worstMae = 0, sumMae = 0;
    for (int i = 0; i < n; i++) {
        VImage fa = a.extract_area(0, i * pha, a.width(), pha);
        VImage fb = b.extract_area(0, i * pha, a.width(), pha);
        VImage alphaDiff = fa[3] != fb[3];
        VImage colDiff = ((fa.extract_band(0, VImage::option()->set("n", 3)) -
                           fb.extract_band(0, VImage::option()->set("n", 3))).abs() > tol)
                             .bandor() & (fa[3] > 0);
        VImage bad = alphaDiff | colDiff;
        long cnt = long(bad.avg() / 255.0 * a.width() * pha + 0.5);
        double mae = (fa.extract_band(0, VImage::option()->set("n", 3)).cast(VIPS_FORMAT_INT) -
                      fb.extract_band(0, VImage::option()->set("n", 3)).cast(VIPS_FORMAT_INT)).abs().avg();
        if (mae > worstMae) worstMae = mae;
        sumMae += mae;
        if (cnt && !getenv("QUIET")) printf("  frame %d: %ld px differ (tol %g), MAE %.2f\n", i, cnt, tol, mae);
        total += cnt;
    }
    printf("%s vs %s: %d frames, %ld differing px, worst frame MAE %.2f, mean MAE %.2f\n", argv[1], argv[2], n, total, worstMae, sumMae / n);
    return total ? 1 : 0;
}
