#include "batch/ConversionCost.h"

#include "engine/Animation.h"
#include "engine/GifParts.h"
#include "engine/QualityByEye.h"
#include "engine/SizeLimit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quillmorph {

namespace {

// How a loader holds a picture, in bytes per source pixel unless it shrinks on load, as
// measured with bench/memory_costs.sh on 12-megapixel pictures (docs/reliability.md).
struct DecodeCost {
    std::string_view family;
    bool shrinksOnLoad; // decodes at reduced scale into a box: 16 bytes per box pixel
    double intoBox;     // per source pixel into a box, where it does not shrink on load
    double ownSize;     // per source pixel at the picture's own size
};

// Streaming loaders hold rows; into a box libvips' shrinking holds a few of them per output
// row. Whole-picture loaders hold it decoded (GIF a frame and a tile of it, ImageMagick its
// 16-bit copy and ours), and into a box thumbnail opens the file a second time. SVG and PDF
// render at the scale asked for (not measured here; SVG was counted so before).
constexpr std::array<DecodeCost, 9> kDecodeCosts{{
    {"Jpeg", true, 0, 1},
    {"Webp", true, 0, 8},
    {"Svg", true, 0, 8},
    {"Pdf", true, 0, 8},
    {"Png", false, 2, 1},
    {"Tiff", false, 2, 1},
    {"Nsgif", false, 6.5, 5.5},
    {"Heif", false, 7, 7},
    {"Jxl", false, 8, 7},
}};
constexpr DecodeCost kMagick{"Magick", false, 23, 15};
// Loaders nobody measured: the whole picture, decoded, converted and encoded side by side.
constexpr DecodeCost kWholePicture{"", false, 8, 8};

// Into a box, libvips premultiplies a picture with transparency before it shrinks it.
constexpr double kAlphaIntoBox = 5.5;
// libjxl decodes a picture with transparency in floating point.
constexpr double kJxlAlpha = 30;

const DecodeCost& decodeCostOf(std::string_view family) {
    for (const DecodeCost& cost : kDecodeCosts) {
        if (cost.family == family)
            return cost;
    }
    return family.starts_with(kMagick.family) ? kMagick : kWholePicture;
}

// Bytes per output pixel an encoder holds beyond the rows streamed into it: the whole picture
// for these, in its own form (GIF's quantiser, ImageMagick's 16-bit copy, libwebp, libaom and
// libjxl's working planes).
double encoderBytesPerPixel(const OutputFormat& format) {
    switch (format.code) {
    case FormatCode::Gif:
        return 12.5;
    case FormatCode::Bmp:
    case FormatCode::Pct:
    case FormatCode::Ras:
        return 15;
    case FormatCode::Psd:
        return 3.5;
    case FormatCode::Webp:
        return 9;
    case FormatCode::Avif:
        return 28.5;
    case FormatCode::Jxl:
        return 50;
    case FormatCode::Jpeg:
    case FormatCode::Cmp:
    case FormatCode::Png:
    case FormatCode::Tiff:
        break;
    }
    return 0;
}

// What decoding the file holds on its way into a box of boxPixels (0: at its own size).
double decodingBytes(const SourceHeader& header, double boxPixels) {
    const std::string_view family = loaderFamily(header.loader);
    const DecodeCost& cost = decodeCostOf(family);
    const double pixels = double(header.width) * header.height;
    const bool intoBox = boxPixels > 0;
    // A progressive JPEG keeps every coefficient, two bytes each, until its last scan: three
    // planes of them, or two at most where the colour planes are subsampled.
    if (family == "Jpeg" && header.interlaced) {
        const double planes = header.bytesPerPixel * (header.chromaSubsampled ? 2.0 / 3 : 1.0);
        return (2 * planes + 1) * pixels;
    }
    // An interlaced PNG is decoded whole before its first row can be given.
    if (family == "Png" && header.interlaced) {
        return (header.bytesPerPixel + (intoBox ? 1.5 : 0.5) +
                (header.alpha && intoBox ? kAlphaIntoBox : 0)) *
               pixels;
    }
    double perPixel = intoBox ? cost.intoBox : cost.ownSize;
    if (intoBox && cost.shrinksOnLoad)
        return 16.0 * boxPixels;
    if (intoBox && header.alpha)
        perPixel += kAlphaIntoBox;
    if (family == "Jxl" && header.alpha)
        perPixel += kJxlAlpha;
    // Turning a picture by its orientation needs all of it at once.
    if (!intoBox && header.turned)
        perPixel = std::max(perPixel, header.bytesPerPixel + 0.5);
    return perPixel * pixels;
}

// What a GIF's file costs beside its pixels: libvips' GIF loader holds the whole file, mapped
// as it is opened and again as it is opened for its frames or into a box; one read in parts
// holds its parts as well, about the file once more (bench/bombs.sh, docs/reliability.md).
double gifFileBytes(const SourceHeader& header, const ConversionPlan& plan) {
    if (loaderFamily(header.loader) != "Nsgif")
        return 0;
    const bool inParts = plan.animated && header.pages > kGifLoaderFrames;
    return (inParts ? 3.0 : 2.0) * double(header.fileBytes);
}

// Bytes libvips unpacks the file into before it gives a pixel: WebP's loader writes what it
// reads whole, a still at the size it shrinks to on load, an animation every frame at canvas
// size with four bands; 0 for the loaders that stream.
double unpackedBytes(const SourceHeader& header, const ConversionPlan& plan) {
    if (loaderFamily(header.loader) != "Webp")
        return 0;
    const double canvas = double(header.width) * header.height;
    // Every frame of an animation is unpacked at canvas size, into a box too (measured with
    // bench/temp_disk.sh), with an alpha band unless every frame covers the canvas solidly,
    // which its first frame's header cannot tell.
    if (plan.animated)
        return 4 * canvas * header.pages;
    const double bands = header.alpha ? 4 : 3;
    double scale = 1;
    if (plan.fit.sizeConversion && header.width > 0 && header.height > 0) {
        const double across = double(plan.fit.boxWidth) / header.width;
        const double down = double(plan.fit.boxHeight) / header.height;
        // A still shrinks on load, no further than the side that needs the most pixels.
        scale = std::min(1.0, plan.fit.mode == FitMode::Fill ? std::max(across, down)
                                                             : std::min(across, down));
    }
    return bands * canvas * scale * scale;
}

// The pixels the output holds as the cost model counts them: the box's (or the picture's own).
double outputPixelsOf(const SourceHeader& header, const ConversionPlan& plan) {
    return plan.fit.sizeConversion ? double(plan.fit.boxWidth) * plan.fit.boxHeight
                                   : double(header.width) * header.height;
}

// What decoding, unpacking and encoding the file as planned hold at once, beside judging by eye:
// what its loader holds to decode it (a few rows where it streams or shrinks on load into a box,
// the whole picture where it cannot) and what the output format's encoder holds of the output
// pixels.
double workingBytes(const SourceHeader& header, const ConversionPlan& plan,
                    double unpackedInMemory) {
    const bool boxed = plan.fit.sizeConversion;
    const double outputPixels = outputPixelsOf(header, plan);
    double bytes = decodingBytes(header, boxed ? outputPixels : 0.0);
    bytes += unpackedInMemory;
    bytes += gifFileBytes(header, plan);
    if (const OutputFormat* format = plan.format) {
        // An animation streams a frame at a time, but for its table of every output row.
        const double frames = plan.frames;
        if (plan.animated)
            bytes += 4.0 * (boxed ? plan.fit.boxHeight : header.height) * frames;
        // A GIF read in parts: each part's decoder holds a canvas, and cutting the parts holds
        // one more, the frames painting it, and its decoder's.
        if (plan.animated && header.pages > kGifLoaderFrames) {
            const double parts = std::ceil(frames / (kGifLoaderFrames / 2.0));
            bytes += (4 * parts + 10) * double(header.width) * header.height;
        }
        bytes += encoderBytesPerPixel(*format) * outputPixels;
        // The file-size limit holds the fitted pixels, every frame of them, to encode them again,
        // and where the picture may be made smaller to fit, a copy 0.9 × 0.9 its size beside them.
        if (plan.withinSizeLimit())
            bytes += 3 * (plan.mayShrink ? 1 + 0.9 * 0.9 : 1) * outputPixels * frames;
    }
    return bytes;
}

} // namespace

PlannedCost costOf(const SourceHeader& header, const ConversionPlan& plan, double discThreshold) {
    PlannedCost cost;
    cost.unpackedBytes = unpackedBytes(header, plan);
    const bool onDisc = cost.unpackedBytes > discThreshold;
    cost.temporaryFolderBytes = onDisc ? cost.unpackedBytes : 0;
    // A still's unpacking is in its loader's measured cost already.
    const double unpackedInMemory = plan.animated && !onDisc ? cost.unpackedBytes : 0;
    // A picture not judged has the fixed quality, at no cost of its own.
    if (plan.judgedByEye)
        cost.judgingBytes = bytesJudgingByEye(outputPixelsOf(header, plan));
    cost.workingBytes = workingBytes(header, plan, unpackedInMemory) + cost.judgingBytes;
    return cost;
}

double relativeCost(const SourceHeader& header) {
    // CPU per megapixel into a photo-sized box, measured on desktop wallpapers: a baseline
    // JPEG (shrunk while decoding) is 1; WebP shrinks cheaper still; a progressive JPEG
    // decodes every scan; PNG and the rest decode every pixel.
    const std::string_view family = loaderFamily(header.loader);
    double perPixel = 3.0;
    if (family == "Jpeg")
        perPixel = header.interlaced ? 2.0 : 1.0;
    else if (family == "Webp")
        perPixel = 0.7;
    return perPixel * double(header.width) * header.height;
}

double bytesInFlightBudget(double memoryLeft) {
    // The floor is the budget a 4 GB machine has run batches with safely, unless the process
    // may not have that much (ulimit -v, a container's limit); a quarter leaves the rest to
    // the desktop and to what the libraries allocate beside the files' pixels; the cap keeps
    // a large machine's many workers from holding gigabytes for a little more speed.
    if (memoryLeft <= 0)
        return kMinBytesInFlight;
    const double floor = std::min(kMinBytesInFlight, memoryLeft / 2);
    return std::clamp(memoryLeft / 4, floor, kMaxBytesInFlight);
}

bool tooDearForTemporarySpace(double bytes, double spaceLeft) {
    // Half, as for memory: the folder is the rest of the system's too, and other files of the
    // batch may be unpacking beside this one.
    return spaceLeft > 0 && bytes > spaceLeft / 2;
}

bool tooDearForMemory(double cost, double memoryLeft) {
    // Half: the other half is for the program, its threads' stacks and what the libraries
    // allocate that the model does not count. A file that asked for more could end the whole
    // batch: GLib and libjxl abort the process when an allocation fails.
    return memoryLeft > 0 && cost > memoryLeft / 2;
}

} // namespace quillmorph
