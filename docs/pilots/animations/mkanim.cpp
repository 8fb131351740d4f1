// Pilot 32: makes a test animation with libvips (frames stacked, page-height, delay, loop).
//   mkanim OUT.gif|OUT.webp W H N KIND SEED [PHOTO]
// KIND: pan    photo panned and zoomed (video-like, every pixel changes)
//       sprite photo background still, a sprite moves (screen-recording-like: cgif writes
//              partial frames through its diff window)
//       alpha  two sprites on a transparent background (alpha channel)
//       flat   flat-colour shapes moving (cartoon-like)
#include <vips/vips8>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using vips::VImage;

static VImage sprite(int s, double hue) {
    // a disc with a ring, RGBA
    VImage xy = VImage::xyz(s, s) - s / 2.0;
    VImage d = (xy[0] * xy[0] + xy[1] * xy[1]).pow(0.5);
    VImage inside = d < s / 2.0 - 1;
    VImage ring = (d > s / 3.0) & (d < s / 2.5);
    std::vector<double> c1 = {255 * std::fabs(std::sin(hue)), 255 * std::fabs(std::cos(hue)), 128};
    std::vector<double> c2 = {30, 30, 200};
    VImage rgb = ring.ifthenelse(c2, VImage::black(s, s, VImage::option()->set("bands", 3)) + c1);
    return rgb.bandjoin(inside).cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]))
        vips_error_exit(nullptr);
    if (argc < 7) {
        fprintf(stderr, "usage: mkanim OUT W H N KIND SEED [PHOTO]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int W = atoi(argv[2]), H = atoi(argv[3]), N = atoi(argv[4]);
    const std::string kind = argv[5];
    const int seed = atoi(argv[6]);
    const char* photo = argc > 7 ? argv[7] : "/work/main/bench/corpus/photos/Elephants.jpg";
    srand(seed);

    VImage bg;
    if (kind == "pan" || kind == "sprite") {
        bg = VImage::thumbnail(photo, int(W * 1.6), VImage::option()->set("height", int(H * 1.6))
                                                   ->set("crop", VIPS_INTERESTING_CENTRE))
                 .copy_memory();
        if (bg.bands() > 3) bg = bg.extract_band(0, VImage::option()->set("n", 3));
    }
    VImage spr = sprite(std::max(16, H / 5), seed);
    VImage spr2 = sprite(std::max(12, H / 8), seed + 1.3);

    std::vector<VImage> frames;
    std::vector<int> delays;
    const int delayChoices[] = {20, 40, 50, 70, 100, 30, 60};
    for (int i = 0; i < N; i++) {
        const double t = double(i) / N;
        VImage f;
        const int sx = int((W - spr.width()) * (0.5 + 0.45 * std::sin(2 * M_PI * t * 2)));
        const int sy = int((H - spr.height()) * (0.5 + 0.45 * std::cos(2 * M_PI * t * 3)));
        if (kind == "pan") {
            const int x = int((bg.width() - W) * t);
            const int y = int((bg.height() - H) * (0.5 + 0.5 * std::sin(2 * M_PI * t)));
            f = bg.extract_area(x, y, W, H);
        } else if (kind == "sprite") {
            f = bg.extract_area(bg.width() / 6, bg.height() / 6, W, H)
                    .composite2(spr, VIPS_BLEND_MODE_OVER, VImage::option()->set("x", sx)->set("y", sy))
                    .extract_band(0, VImage::option()->set("n", 3));
        } else if (kind == "alpha") {
            VImage canvas = VImage::black(W, H, VImage::option()->set("bands", 4))
                                .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
            f = canvas.composite2(spr, VIPS_BLEND_MODE_OVER, VImage::option()->set("x", sx)->set("y", sy))
                    .composite2(spr2, VIPS_BLEND_MODE_OVER,
                                VImage::option()->set("x", W - sx - spr2.width())->set("y", H / 3));
        } else { // flat
            VImage canvas = VImage::black(W, H, VImage::option()->set("bands", 3)) + std::vector<double>{240, 230, 200};
            VImage box = VImage::black(W / 4, H / 4, VImage::option()->set("bands", 3)) +
                         std::vector<double>{double((i * 7) % 255), 80, 160};
            f = canvas.insert(box, sx / 2, H / 2).cast(VIPS_FORMAT_UCHAR)
                    .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                    .composite2(spr, VIPS_BLEND_MODE_OVER, VImage::option()->set("x", sx)->set("y", sy))
                    .extract_band(0, VImage::option()->set("n", 3));
        }
        frames.push_back(f.cast(VIPS_FORMAT_UCHAR));
        delays.push_back(delayChoices[(i / 10 + seed) % 7]);
    }
    VImage all = VImage::arrayjoin(frames, VImage::option()->set("across", 1)).copy();
    all.set("page-height", H);
    all.set("delay", delays);
    all.set("loop", 0);
    if (out.size() > 5 && out.substr(out.size() - 5) == ".webp")
        all.webpsave(out.c_str(), VImage::option()->set("Q", 80));
    else
        all.gifsave(out.c_str(), VImage::option()->set("effort", 4));
    return 0;
}
