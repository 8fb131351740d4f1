// Writes the pipeline fuzzer's seeds: one small picture in every format this libvips (and its
// ImageMagick) writes, plus the kinds that take other paths through the engine: EXIF-rotated,
// colour-profiled, CMYK, 16-bit, grey with alpha, palette, progressive, animated, multi-page;
// SVG and PDF are written as text.
//   fuzz-seeds FOLDER   exit 1 when a seed that every Debian 12 libvips can write fails
#include <vips/vips8>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using vips::VError;
using vips::VImage;

namespace {

VImage gradient(int width, int height) {
    const VImage xy = VImage::xyz(width, height);
    return (xy[0] * 10)
        .bandjoin(xy[1] * 15)
        .bandjoin((xy[0] + xy[1]) * 6)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// Frames stacked top to bottom, as libvips holds pages.
VImage pages(const VImage& frame, int count) {
    std::vector<VImage> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(frame.rot180().linear(1.0, 30.0 * i).cast(VIPS_FORMAT_UCHAR));
    VImage stack = VImage::arrayjoin(frames, VImage::option()->set("across", 1)).copy();
    stack.set("page-height", frame.height());
    stack.set("delay", std::vector<int>(size_t(count), 80));
    stack.set("loop", 0);
    return stack;
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A one-page PDF with a filled rectangle; offsets counted by hand, so keep it byte-exact.
std::string minimalPdf() {
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 24 16] /Contents 4 0 R >>",
        "<< /Length 28 >>\nstream\n1 0 0 rg 2 2 20 12 re f\nendstream",
    };
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < std::size(objects); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (const size_t offset : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

struct Seed {
    const char* name;
    bool required; // every Debian 12 libvips writes it; the others depend on optional modules
    std::function<void(const std::string&)> write;
};

} // namespace

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]) != 0 || argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const VImage rgb = gradient(24, 16);
    const VImage alpha = rgb.bandjoin((rgb[0] + 40).cast(VIPS_FORMAT_UCHAR));
    const VImage grey = rgb.colourspace(VIPS_INTERPRETATION_B_W);
    const VImage deep = rgb.colourspace(VIPS_INTERPRETATION_RGB16);
    const auto save = [](const VImage& image, const char* options = "") {
        return [image, options](const std::string& path) { image.write_to_file((path + options).c_str()); };
    };
    const auto magick = [&](const char* format) {
        return [&rgb, format](const std::string& path) {
            rgb.magicksave(path.c_str(), VImage::option()->set("format", format));
        };
    };
    VImage rotated = rgb.copy();
    rotated.set("orientation", 6);
    VImage cmykBare = rgb.icc_transform("cmyk").copy();
    cmykBare.remove(VIPS_META_ICC_NAME);

    const std::vector<Seed> seeds{
        {"plain.jpg", true, save(rgb)},
        {"progressive.jpg", true, save(rgb, "[interlace]")},
        {"exif-rotated.jpg", true, save(rotated)},
        {"display-p3.jpg", true, save(rgb.icc_transform("p3"))},
        // The stock CMYK profile is near 1 MB, far past what the fuzzer mutates.
        {"cmyk.jpg", true, save(cmykBare)},
        {"grey.jpg", true, save(grey)},
        {"plain.png", true, save(rgb)},
        {"alpha.png", true, save(alpha)},
        {"grey-alpha.png", true, save(grey.bandjoin(rgb[1]))},
        {"deep.png", true, save(deep)},
        {"palette.png", true, save(rgb, "[palette,bitdepth=4]")},
        {"interlaced.png", true, save(rgb, "[interlace]")},
        {"display-p3.png", true, save(rgb.icc_transform("p3"))},
        {"plain.gif", true, save(rgb)},
        {"animated.gif", true, save(pages(rgb, 3))},
        {"lossy.webp", true, save(rgb)},
        {"lossless-alpha.webp", true, save(alpha, "[lossless]")},
        {"animated.webp", true, save(pages(rgb, 3))},
        {"plain.tif", true, save(rgb)},
        {"deep.tif", true, save(deep, "[compression=deflate]")},
        {"cmyk.tif", true, save(cmykBare, "[compression=lzw]")},
        {"tiled-jpeg.tif", true, save(rgb, "[tile,tile-width=16,tile-height=16,compression=jpeg]")},
        {"multi-page.tif", true, save(pages(rgb, 3))},
        {"float.tif", true, save(rgb.cast(VIPS_FORMAT_FLOAT))},
        {"plain.ppm", true, save(rgb)},
        {"grey.pgm", true, save(grey)},
        {"float.pfm", true, save(rgb.cast(VIPS_FORMAT_FLOAT))},
        {"radiance.hdr", true, save(rgb)},
        {"native.v", true, save(rgb)},
        {"matrix.mat", true, save(grey)},
        {"plain.jp2", false, save(rgb)},
        {"plain.jxl", false, save(rgb)},
        {"plain.avif", false, save(rgb, "[compression=av1,effort=0]")},
        {"plain.heic", false, save(rgb)},
        {"plain.fits", false, save(rgb)},
        {"plain.bmp", false, magick("bmp3")},
        {"plain.psd", false, magick("psd")},
        {"plain.pct", false, magick("pict")},
        {"plain.ras", false, magick("sun")},
        {"plain.ico", false, magick("ico")},
        {"plain.pcx", false, magick("pcx")},
        {"plain.tga", false, magick("tga")},
        {"plain.xpm", false, magick("xpm")},
        {"plain.svg", true,
         [](const std::string& path) {
             writeText(path, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"16\">"
                             "<rect x=\"2\" y=\"2\" width=\"20\" height=\"12\" fill=\"#c33\" "
                             "fill-opacity=\"0.5\"/></svg>\n");
         }},
        {"plain.pdf", true, [](const std::string& path) { writeText(path, minimalPdf()); }},
    };
    int failed = 0;
    for (const Seed& seed : seeds) {
        try {
            seed.write(folder + "/" + seed.name);
        } catch (const VError& e) {
            vips_error_clear();
            std::fprintf(stderr, "fuzz-seeds: %s not written: %s\n", seed.name, e.what());
            failed += seed.required ? 1 : 0;
        }
    }
    return failed == 0 ? 0 : 1;
}
