// bench-reference: the plain libvips way to do quillmorph's job, as a yardstick for run.sh.
// One process, files in turn: thumbnail into the box, flatten, embed centred on white, save;
// at own size (--no-size): new_from_file with sequential access, flatten onto white, save.
//
//   bench-reference (--size WxH | --no-size) [--format jpeg|png] [--quality Q]
//                   [--no-cache] [--profiles] --out DIR FILE...
//
// --profiles carries an embedded colour profile into sRGB as quillmorph does (icc_transform,
// perceptual); without it the numbers are kept and the profile dropped.
//
// Exit status: 0 all files written, 1 some file failed (named on stderr), 2 usage error.

#include <vips/vips8>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using vips::VError;
using vips::VImage;

namespace {

struct Options {
    bool sizeConversion = true;
    int width = 600;
    int height = 450;
    bool png = false;
    int quality = 75;
    bool noCache = false;
    bool profiles = false;
    std::string out;
    std::vector<std::string> files;
};

[[noreturn]] void usage(const char* why) {
    if (why)
        std::fprintf(stderr, "bench-reference: %s\n", why);
    std::fprintf(stderr,
                 "usage: bench-reference (--size WxH | --no-size) [--format jpeg|png] "
                 "[--quality Q] [--no-cache] [--profiles] --out DIR FILE...\n");
    std::exit(2);
}

bool parseSize(const char* text, int& w, int& h) {
    char tail = 0;
    return std::sscanf(text, "%dx%d%c", &w, &h, &tail) == 2 && w > 0 && h > 0 && w <= 32767 &&
           h <= 32767;
}

Options parse(int argc, char** argv) {
    Options o;
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage((a + " needs a value").c_str());
            return argv[++i];
        };
        if (a == "--size") {
            if (!parseSize(value(), o.width, o.height))
                usage("--size wants WxH, 1 to 32767 each");
            o.sizeConversion = true;
            sizeGiven = true;
        } else if (a == "--no-size") {
            o.sizeConversion = false;
            sizeGiven = true;
        } else if (a == "--format") {
            const std::string f = value();
            if (f == "png" || f == "PNG")
                o.png = true;
            else if (f == "jpeg" || f == "JPEG" || f == "jpg")
                o.png = false;
            else
                usage("--format is jpeg or png");
        } else if (a == "--quality") {
            o.quality = std::atoi(value());
            if (o.quality < 1 || o.quality > 100)
                usage("--quality is 1 to 100");
        } else if (a == "--out") {
            o.out = value();
        } else if (a == "--no-cache") {
            o.noCache = true;
        } else if (a == "--profiles") {
            o.profiles = true;
        } else if (a == "--help") {
            usage(nullptr);
        } else if (a.size() > 1 && a[0] == '-' && a != "--") {
            usage(("unknown option " + a).c_str());
        } else {
            if (a == "--")
                ++i;
            for (; i < argc; ++i)
                o.files.emplace_back(argv[i]);
        }
    }
    if (!sizeGiven)
        usage("give --size WxH or --no-size");
    if (o.out.empty())
        usage("give --out DIR");
    if (o.files.empty())
        usage("no files");
    return o;
}

// Same rule as quillmorph: drop the last extension; a repeated name gets " (2)", " (3)" …
std::string outputName(const std::string& file, const char* ext, std::set<std::string>& used) {
    const std::filesystem::path p(file);
    std::string stem = p.filename().string();
    if (const auto dot = stem.rfind('.'); dot != std::string::npos && dot > 0)
        stem.resize(dot);
    std::string name = stem + ext;
    for (int n = 2; used.count(name); ++n)
        name = stem + " (" + std::to_string(n) + ")" + ext;
    used.insert(name);
    return name;
}

VImage toSrgbOnWhite(VImage image, bool profiles) {
    if (profiles && image.get_typeof(VIPS_META_ICC_NAME) != 0)
        image = image.icc_transform("srgb", VImage::option()
                                                ->set("embedded", true)
                                                ->set("input_profile", "srgb")
                                                ->set("intent", VIPS_INTENT_PERCEPTUAL));
    if (image.has_alpha())
        image = image.flatten(VImage::option()->set("background", std::vector<double>{255.0}));
    // Grey and CMYK sources become 3-band sRGB, as quillmorph writes them.
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.bands() != 3)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    return image;
}

VImage convertOne(const Options& o, const std::string& file) {
    if (!o.sizeConversion) {
        VImage image = VImage::new_from_file(
            file.c_str(), VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        // A rotation needs the whole image; only then is the file opened for random access.
        if (image.get_typeof("orientation") != 0 && image.get_int("orientation") > 1)
            image = VImage::new_from_file(file.c_str()).autorot();
        return toSrgbOnWhite(image, o.profiles);
    }

    // thumbnail: shrink-on-load, EXIF orientation, colour management, then the resize.
    VImage image = toSrgbOnWhite(
        VImage::thumbnail(file.c_str(), o.width,
                          VImage::option()->set("height", o.height)->set("size", VIPS_SIZE_BOTH)),
        o.profiles);
    // thumbnail rounds, and never past the box; a crop only guards against that changing.
    if (image.width() > o.width || image.height() > o.height)
        image = image.crop(0, 0, std::min(image.width(), o.width), std::min(image.height(), o.height));
    return image.embed((o.width - image.width()) / 2, (o.height - image.height()) / 2, o.width,
                       o.height,
                       VImage::option()
                           ->set("extend", VIPS_EXTEND_BACKGROUND)
                           ->set("background", std::vector<double>{255.0, 255.0, 255.0}));
}

} // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]))
        vips_error_exit(nullptr);
    const Options o = parse(argc, argv);
    if (o.noCache)
        vips_cache_set_max(0);

    std::error_code ec;
    std::filesystem::create_directories(o.out, ec);
    if (ec) {
        std::fprintf(stderr, "bench-reference: %s: %s\n", o.out.c_str(), ec.message().c_str());
        return 1;
    }

    std::set<std::string> used;
    int failed = 0;
    for (const std::string& file : o.files) {
        const std::string dest =
            (std::filesystem::path(o.out) / outputName(file, o.png ? ".png" : ".jpg", used))
                .string();
        try {
            const VImage image = convertOne(o, file);
            if (o.png)
                image.pngsave(dest.c_str(), VImage::option()->set("strip", true));
            else
                image.jpegsave(dest.c_str(),
                               VImage::option()->set("Q", o.quality)->set("strip", true));
        } catch (const VError& e) {
            std::fprintf(stderr, "bench-reference: %s: %s\n", file.c_str(), e.what());
            ++failed;
        }
    }
    vips_shutdown();
    return failed ? 1 : 0;
}
