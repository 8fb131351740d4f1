#include "engine/Butteraugli.h"

#include "engine/JxlCodec.h"
#include "engine/LeadImage.h"
#include "engine/VipsAbilities.h"
#include "system/Allocator.h"

#include <algorithm>
#include <cmath>
#include <jxl/butteraugli.h>
#include <jxl/butteraugli_cxx.h>
#include <memory>

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

constexpr float kIntensityTarget = 80;
constexpr float kNorm = 3;

// candidate as three 8-bit sRGB bands, however its decoder gave it.
VImage asRgb8(VImage image) {
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB &&
        image.interpretation() != VIPS_INTERPRETATION_B_W &&
        image.interpretation() != VIPS_INTERPRETATION_MULTIBAND)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.has_alpha())
        image = image.flatten(VImage::option()->set("background", std::vector<double>{255}));
    if (image.bands() == 1)
        image = VImage::bandjoin({image, image, image});
    if (image.bands() > 3)
        image = image.extract_band(0, VImage::option()->set("n", 3));
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    return image;
}

std::vector<unsigned char> packed(const VImage& rgb8) {
    size_t size = 0;
    // write_to_memory hands over a g_malloc'ed block.
    std::unique_ptr<void, decltype(&g_free)> block(rgb8.write_to_memory(&size), g_free);
    const auto* bytes = static_cast<const unsigned char*>(block.get());
    return {bytes, bytes + size};
}

// libjxl's p-norm distance (the mean of the p-, 2p- and 4p-norms of the map) over the pixels
// at least margin inside each square × square tile of the map.
double pNormWithin(const float* map, size_t stride, int width, int height, int square, int margin) {
    double sums[3] = {};
    double count = 0;
    for (int y = 0; y < height; ++y) {
        if (const int inY = y % square; inY < margin || inY >= square - margin)
            continue;
        const float* row = map + size_t(y) * stride;
        for (int x = 0; x < width; ++x) {
            if (const int inX = x % square; inX < margin || inX >= square - margin)
                continue;
            const double d3 = double(row[x]) * row[x] * row[x];
            sums[0] += d3;
            sums[1] += d3 * d3;
            sums[2] += d3 * d3 * d3 * d3;
            ++count;
        }
    }
    if (count == 0)
        return 0;
    double norm = 0;
    for (int i = 0; i < 3; ++i)
        norm += std::pow(sums[i] / count, 1.0 / (kNorm * double(1 << i)));
    return norm / 3;
}

} // namespace

Butteraugli::Butteraugli(const VImage& reference, int square, int margin)
    : width_(reference.width()), height_(reference.height()), square_(square), margin_(margin),
      reference_(packed(asRgb8(reference))) {
    // Some 300 MB of planes an evaluation, reused by the next one (Allocator.h).
    keepLargeBlocksInHeap();
}

std::optional<double> Butteraugli::distanceTo(const QByteArray& encoded) const {
    // A libvips without JPEG XL's loader has its saver's stand-in (FormatWriters.h) too.
    if (!hasVipsOperation("jxlload_buffer") && looksLikeJxl(encoded)) {
        const DecodedJxl jxl = decodedJxl(encoded, double(width_) * height_, kMaxRowBytes);
        if (jxl.tooLarge)
            throw VError("the encoding's size differs from the picture's");
        return distanceTo(jxl.image);
    }
    // libvips reads encoded's bytes in place: the picture is used up before they go.
    const VImage decoded =
        VImage::new_from_buffer(encoded.constData(), size_t(encoded.size()), "",
                                VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    return distanceTo(decoded);
}

std::optional<double> Butteraugli::distanceTo(const VImage& candidate) const {
    if (candidate.width() != width_ || candidate.height() != height_)
        throw VError("the encoding's size differs from the picture's");
    const std::vector<unsigned char> pixels = packed(asRgb8(candidate));
    JxlButteraugliApiPtr api(JxlButteraugliApiCreate(nullptr));
    if (!api)
        return std::nullopt;
    JxlButteraugliApiSetIntensityTarget(api.get(), kIntensityTarget);
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    const JxlButteraugliResultPtr result(JxlButteraugliCompute(
        api.get(), uint32_t(width_), uint32_t(height_), &format, reference_.data(),
        reference_.size(), &format, pixels.data(), pixels.size()));
    if (!result)
        return std::nullopt;
    if (square_ <= 0)
        return JxlButteraugliResultGetDistance(result.get(), kNorm);
    const float* map = nullptr;
    uint32_t stride = 0;
    JxlButteraugliResultGetDistmap(result.get(), &map, &stride);
    return pNormWithin(map, stride, width_, height_, square_, margin_);
}

namespace {

// The sample: kAcross × kDown squares of kSquare pixels, one at the middle of each cell of the
// picture, of which kMargin at each edge only feeds the metric's blurs.
constexpr int kAcross = 4;
constexpr int kDown = 3;
constexpr int kSquare = 96;
constexpr int kMargin = 16;
constexpr int kBlockGrid = 16;

int squareStart(int cell, int cells, int length) {
    const int middle = (2 * cell + 1) * length / (2 * cells);
    return std::clamp((middle - kSquare / 2) / kBlockGrid * kBlockGrid, 0, length - kSquare);
}

VImage sampleOf(const VImage& rgb8) {
    std::vector<VImage> squares;
    for (int down = 0; down < kDown; ++down)
        for (int across = 0; across < kAcross; ++across)
            squares.push_back(rgb8.crop(squareStart(across, kAcross, rgb8.width()),
                                        squareStart(down, kDown, rgb8.height()), kSquare, kSquare));
    return VImage::arrayjoin(squares, VImage::option()->set("across", kAcross)).copy_memory();
}

} // namespace

bool SampledButteraugli::worthSampling(int width, int height) {
    return width >= kAcross * kSquare && height >= kDown * kSquare &&
           double(width) * height >= 4.0 * kAcross * kDown * kSquare * kSquare;
}

SampledButteraugli::SampledButteraugli(const VImage& rgb8)
    : sample_(sampleOf(rgb8)), metric_(sample_, kSquare, kMargin) {}

std::optional<double> SampledButteraugli::distanceTo(const QByteArray& encodedSample) const {
    return metric_.distanceTo(encodedSample);
}

} // namespace quillmorph
