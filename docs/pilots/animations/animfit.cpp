// Pilot 32: fit / pad / fill an animated GIF or WebP frame by frame with libvips 8.14 and save
// it animated as GIF or WebP. Throwaway: measures approaches, not product code.
//
//   animfit IN OUT [key=value ...]
//     mode=fit|pad|fill|attention|own   (own: own size, no resampling)
//     box=WxH          (default 320x180)
//     approach=frames|stack|thumb
//        frames: load n=-1 sequentially, flatten onto the margin, per frame extract_area →
//                resize → embed (pad) / extract_area (fill) → arrayjoin across=1
//        stack:  as frames, but the resize runs once on the whole stack (vscale hits the page
//                height exactly, as thumbnail does); only pad/fill are per frame
//        thumb:  thumbnail("IN[n=-1]") (fit only: what vipsthumbnail does), then flatten
//     noenlarge=1      never enlarge
//     bg=R,G,B         margin / flatten colour (default 255,255,255)
//     attframe=first|mean   attention window from frame 0, or from the mean of all frames
//     strip=1          remove every field (as withOnlyExif does) and set back only
//                      page-height, delay, loop
//     Q= effort= dither= bitdepth= interframe= interpalette= lossless= minsize= kmin= kmax=
//     chunk=N          arrayjoin frames in a tree of chunks of N (0: one flat arrayjoin)
//     memory=1         copy the fitted stack into memory before saving (as a size search would)
//     tries=N          save N times into memory (file-size search stand-in), write the last
//     frames_max=N     refuse animations whose stack would exceed N frames (0: no limit)
#include <vips/vips8>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using vips::VImage;

static std::map<std::string, std::string> opt;
static std::string get(const std::string& k, const std::string& d) {
    auto it = opt.find(k);
    return it == opt.end() ? d : it->second;
}
static double getd(const std::string& k, double d) {
    auto it = opt.find(k);
    return it == opt.end() ? d : atof(it->second.c_str());
}

static double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

static VImage exactSize(const VImage& in, int w, int h) {
    if (in.width() == w && in.height() == h) return in;
    if (in.width() >= w && in.height() >= h) return in.extract_area(0, 0, w, h);
    return in.embed(0, 0, w, h, VImage::option()->set("extend", VIPS_EXTEND_COPY))
        .extract_area(0, 0, w, h);
}

static VImage joinFrames(std::vector<VImage>& frames, int chunk) {
    if (chunk <= 0 || int(frames.size()) <= chunk)
        return VImage::arrayjoin(frames, VImage::option()->set("across", 1));
    std::vector<VImage> groups;
    for (size_t i = 0; i < frames.size(); i += chunk) {
        std::vector<VImage> g(frames.begin() + i, frames.begin() + std::min(frames.size(), i + chunk));
        groups.push_back(VImage::arrayjoin(g, VImage::option()->set("across", 1)));
    }
    return joinFrames(groups, chunk);
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    if (argc < 3) { fprintf(stderr, "usage: animfit IN OUT [key=value ...]\n"); return 2; }
    for (int i = 3; i < argc; i++) {
        std::string a = argv[i];
        auto eq = a.find('=');
        if (eq != std::string::npos) opt[a.substr(0, eq)] = a.substr(eq + 1);
    }
    const std::string in = argv[1], out = argv[2];
    const std::string mode = get("mode", "fit"), approach = get("approach", "frames");
    int bw = 320, bh = 180;
    sscanf(get("box", "320x180").c_str(), "%dx%d", &bw, &bh);
    std::vector<double> bg = {255, 255, 255};
    { std::stringstream s(get("bg", "255,255,255")); std::string v; bg.clear(); while (std::getline(s, v, ',')) bg.push_back(atof(v.c_str())); }
    const bool noEnlarge = getd("noenlarge", 0) != 0;
    const int chunk = int(getd("chunk", 0));
    const bool webp = out.size() > 5 && out.substr(out.size() - 5) == ".webp";
    const double t0 = now();

    try {
        VImage stack;
        int ph = 0, n = 1;
        // Header only first: frame size and count, to plan and to refuse before decoding.
        VImage head = VImage::new_from_file(in.c_str(), VImage::option()->set("n", -1)->set("access", VIPS_ACCESS_SEQUENTIAL));
        ph = head.get_typeof("page-height") ? head.get_int("page-height") : head.height();
        n = head.height() / ph;
        const int W = head.width(), H = ph;
        if (getd("frames_max", 0) > 0 && n > getd("frames_max", 0)) { fprintf(stderr, "too many frames: %d\n", n); return 3; }

        // Geometry of one output frame.
        double scale = 1;
        int sw = W, sh = H;           // scaled frame
        int ow = W, oh = H;           // output frame
        int ox = 0, oy = 0;           // pad: offset of scaled frame in box; fill: crop offset
        if (mode != "own") {
            const double rw = double(bw) / W, rh = double(bh) / H;
            scale = (mode == "fill" || mode == "attention") ? std::max(rw, rh) : std::min(rw, rh);
            if (noEnlarge) scale = std::min(scale, 1.0);
            sw = std::max(1, int(std::lround(W * scale)));
            sh = std::max(1, int(std::lround(H * scale)));
            if (mode == "fit") { sw = std::min(sw, bw); sh = std::min(sh, bh); ow = sw; oh = sh; }
            else if (mode == "pad") { sw = std::min(sw, bw); sh = std::min(sh, bh); ow = bw; oh = bh; ox = (bw - sw) / 2; oy = (bh - sh) / 2; }
            else { ow = std::min(sw, bw); oh = std::min(sh, bh); ox = (sw - ow) / 2; oy = (sh - oh) / 2; }
        }

        VImage result;
        std::vector<int> rows, cols;   // the mapim index tables; must outlive the pipeline
        int ax = -1, ay = -1;
        if (approach == "thumb") {
            result = VImage::thumbnail((in + "[n=-1]").c_str(), bw, VImage::option()->set("height", bh)->set("size", noEnlarge ? VIPS_SIZE_DOWN : VIPS_SIZE_BOTH));
            if (result.has_alpha()) result = result.flatten(VImage::option()->set("background", bg));
            ow = result.width(); oh = result.get_typeof("page-height") ? result.get_int("page-height") : result.height();
        } else {
            stack = head;
            if (stack.has_alpha()) stack = stack.flatten(VImage::option()->set("background", bg));
            if (stack.bands() > 3) stack = stack.extract_band(0, VImage::option()->set("n", 3));
            stack = stack.cast(VIPS_FORMAT_UCHAR);

            if (mode == "attention") {
                // One window for every frame: attention centre of frame 0 (or of the mean frame),
                // computed on a separate decode of that frame only, scaled like the output.
                VImage probe;
                if (get("attframe", "first") == "mean") {
                    VImage all = VImage::new_from_file(in.c_str(), VImage::option()->set("n", -1)->set("access", VIPS_ACCESS_SEQUENTIAL));
                    if (all.has_alpha()) all = all.flatten(VImage::option()->set("background", bg));
                    // sum of frames, each shrunk first to keep it cheap
                    std::vector<VImage> fr;
                    VImage acc;
                    for (int i = 0; i < n; i++) {
                        VImage f = all.extract_area(0, i * H, W, H).resize(scale, VImage::option()->set("vscale", double(sh) / H)).cast(VIPS_FORMAT_FLOAT);
                        acc = i == 0 ? f : acc + f;
                    }
                    probe = (acc / n).cast(VIPS_FORMAT_UCHAR).copy_memory();
                } else {
                    VImage first = VImage::new_from_file(in.c_str(), VImage::option()->set("n", 1)->set("page", 0));
                    if (first.has_alpha()) first = first.flatten(VImage::option()->set("background", bg));
                    probe = exactSize(first.resize(scale, VImage::option()->set("vscale", double(sh) / H)), sw, sh).copy_memory();
                }
                probe.smartcrop(ow, oh, VImage::option()->set("interesting", VIPS_INTERESTING_ATTENTION)
                                                    ->set("attention_x", &ax)->set("attention_y", &ay));
                ox = std::clamp(ax - ow / 2, 0, sw - ow);
                oy = std::clamp(ay - oh / 2, 0, sh - oh);
            }

            std::vector<VImage> frames;
            frames.reserve(n);
            if (approach == "map") {
                // One resize over the stack, then one mapim places every frame (pad) or cuts
                // every frame's window (fill): the graph does not grow with the frame count.
                VImage r = stack;
                if (sw != W || sh != H)
                    r = exactSize(stack.resize(double(sw) / W, VImage::option()->set("vscale", double(sh) / H)), sw, sh * n);
                if (mode == "fit" || mode == "own") result = r;
                else {
                    const double dx = mode == "pad" ? -ox : ox, dy = mode == "pad" ? -oy : oy;
                    VImage index;
                    if (get("index", "table") == "table") {
                        // Source row of every output row (one column of ints, in memory) and source
                        // column of every output column (one row); rows in a margin point far
                        // outside the picture, so mapim paints them with the background.
                        rows.assign(size_t(oh) * n, 0); cols.assign(ow, 0);
                        for (int p = 0; p < n; p++)
                            for (int r = 0; r < oh; r++) {
                                const int local = r + int(dy);
                                rows[size_t(p) * oh + r] = p * sh + std::clamp(local, 0, sh - 1);
                            }
                        for (int c = 0; c < ow; c++) cols[c] = std::clamp(c + int(dx), 0, sw - 1);
                        VImage ycol = VImage::new_from_memory(rows.data(), rows.size() * sizeof(int), 1, oh * n, 1, VIPS_FORMAT_INT);
                        VImage xrow = VImage::new_from_memory(cols.data(), cols.size() * sizeof(int), ow, 1, 1, VIPS_FORMAT_INT);
                        index = xrow.embed(0, 0, ow, oh * n, VImage::option()->set("extend", VIPS_EXTEND_COPY)).bandjoin(ycol.embed(0, 0, ow, oh * n, VImage::option()->set("extend", VIPS_EXTEND_COPY)));
                    } else {
                    VImage xy = VImage::xyz(ow, oh * n);
                    VImage y = xy[1];
                    VImage page = (y / double(oh)).floor();
                    VImage local = (y - page * double(oh)) + dy;   // row inside this frame's picture
                    VImage yy = page * double(sh) + local;
                    VImage xx = xy[0] + dx;
                    // rows outside this frame's picture must not read the neighbouring frame
                    if (mode == "pad") xx = ((local < 0) | (local >= double(sh))).ifthenelse(std::vector<double>{-1000000.0}, xx);
                    index = xx.bandjoin(yy);
                    if (get("index", "table") == "int") index = index.cast(VIPS_FORMAT_INT);
                    }
                    if (opt.count("dumpindex")) index.write_to_file(get("dumpindex", "").c_str());
                    result = r.mapim(index, VImage::option()
                                                ->set("interpolate", vips::VInterpolate::new_from_name("nearest"))
                                                ->set("extend", VIPS_EXTEND_BACKGROUND)
                                                ->set("background", bg));
                    if (mode == "pad" && get("index", "table") == "table") {
                        // Margins: every frame's picture rectangle is the same, so one mask of
                        // one frame, repeated down the stack, chooses picture or margin colour.
                        VImage mask = VImage::black(sw, sh).invert().embed(ox, oy, ow, oh);
                        result = mask.replicate(1, n).ifthenelse(result, bg);
                    }
                    if (result.bands() > 3) result = result.extract_band(0, VImage::option()->set("n", 3));
                    result = result.cast(VIPS_FORMAT_UCHAR);
                }
            } else if (approach == "stack" && (sw != W || sh != H)) {
                // One resize over the whole stack; vscale chosen so n*sh rows come out.
                VImage r = stack.resize(double(sw) / W, VImage::option()->set("vscale", double(sh) * n / (double(H) * n)));
                r = exactSize(r, sw, sh * n);
                if (mode == "fit") { result = r; }
                else {
                    for (int i = 0; i < n; i++) {
                        VImage f = r.extract_area(0, i * sh, sw, sh);
                        frames.push_back(mode == "pad" ? f.embed(ox, oy, ow, oh, VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", bg))
                                                       : f.extract_area(ox, oy, ow, oh));
                    }
                }
            } else {
                for (int i = 0; i < n; i++) {
                    VImage f = stack.extract_area(0, i * H, W, H);
                    if (sw != W || sh != H)
                        f = exactSize(f.resize(double(sw) / W, VImage::option()->set("vscale", double(sh) / H)), sw, sh);
                    if (mode == "pad")
                        f = f.embed(ox, oy, ow, oh, VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", bg));
                    else if (mode == "fill" || mode == "attention")
                        f = f.extract_area(ox, oy, ow, oh);
                    frames.push_back(f);
                }
            }
            if (!frames.empty()) result = joinFrames(frames, chunk);
            result = result.copy();
            // The loader's fields come along from the first input; page-height must be the new one.
            result.set("page-height", oh);
        }

        // Only the animation's fields survive (withOnlyExif keeps nothing else).
        std::vector<int> delay;
        int loop = 0;
        if (head.get_typeof("delay")) delay = head.get_array_int("delay");
        if (head.get_typeof("loop")) loop = head.get_int("loop");
        if (getd("strip", 0) != 0) {
            VImage bare = result.copy();
            gchar** fields = vips_image_get_fields(bare.get_image());
            for (gchar** f = fields; *f; ++f)
                if (!g_str_has_prefix(*f, "vips-")) bare.remove(*f);
            g_strfreev(fields);
            if (n > 1) {
                bare.set("page-height", oh);
                if (!delay.empty()) bare.set("delay", delay);
                bare.set("loop", loop);
            }
            result = bare;
        }
        if (getd("memory", 0) != 0) result = result.copy_memory();
        const double tBuilt = now();

        auto saveOpts = [&]() {
            vips::VOption* o = VImage::option();
            if (webp) {
                o->set("Q", int(getd("Q", 75)))->set("effort", int(getd("effort", 4)));
                if (getd("lossless", 0) != 0) o->set("lossless", true);
                if (getd("minsize", 0) != 0) o->set("min_size", true);
                if (opt.count("kmin")) o->set("kmin", int(getd("kmin", 0)));
                if (opt.count("kmax")) o->set("kmax", int(getd("kmax", 0)));
                if (opt.count("mixed")) o->set("mixed", true);
            } else {
                o->set("effort", int(getd("effort", 7)))->set("dither", getd("dither", 1.0))
                    ->set("bitdepth", int(getd("bitdepth", 8)))
                    ->set("interframe_maxerror", getd("interframe", 0))
                    ->set("interpalette_maxerror", getd("interpalette", 3));
            }
            return o;
        };
        const int tries = int(getd("tries", 1));
        size_t bytes = 0;
        for (int t = 1; t < tries; t++) {
            VipsBlob* blob = nullptr;
            if (webp) blob = result.webpsave_buffer(saveOpts());
            else blob = result.gifsave_buffer(saveOpts());
            size_t sz; vips_blob_get(blob, &sz); bytes = sz;
            vips_area_unref(VIPS_AREA(blob));
        }
        const bool gif = out.size() > 4 && out.substr(out.size() - 4) == ".gif";
        if (webp) result.webpsave(out.c_str(), saveOpts());
        else if (gif) result.gifsave(out.c_str(), saveOpts());
        else if (out == "avg") fprintf(stderr, "avg %g\n", result.avg());
        else result.write_to_file(out.c_str());
        const double tSaved = now();
        fprintf(stderr, "%s: %d frames %dx%d -> %dx%d (%s, %s) window=(%d,%d) att=(%d,%d) build %.3fs save %.3fs\n",
                in.c_str(), n, W, H, ow, oh, mode.c_str(), approach.c_str(), ox, oy, ax, ay, tBuilt - t0, tSaved - tBuilt);
        (void)bytes;
    } catch (const vips::VError& e) {
        fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
