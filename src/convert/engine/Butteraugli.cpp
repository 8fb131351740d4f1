#include "engine/Butteraugli.h"

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

} // namespace

Butteraugli::Butteraugli(const VImage& reference)
    : width_(reference.width()), height_(reference.height()),
      reference_(packed(asRgb8(reference))) {}

std::optional<double> Butteraugli::distanceTo(const QByteArray& encoded) const {
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
    return JxlButteraugliResultGetDistance(result.get(), kNorm);
}

} // namespace quillmorph
