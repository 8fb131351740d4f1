#include "engine/ColourImport.h"

#include "engine/ColourTransforms.h"

#include <string_view>

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

// An embedded profile that lcms reads and that describes the image's own colour channels. Any
// other (damaged, or made for another kind of image) is ignored: the pixels count as sRGB.
bool hasUsableProfile(const VImage& in) {
    if (in.get_typeof(VIPS_META_ICC_NAME) == 0)
        return false;
    size_t size = 0;
    const void* data = in.get_blob(VIPS_META_ICC_NAME, &size);
    if (size < 20 || !vips_icc_is_compatible_profile(in.get_image(), data, size))
        return false;
    const std::string_view space(static_cast<const char*>(data) + 16, 4);
    if (in.interpretation() == VIPS_INTERPRETATION_CMYK)
        return space == "CMYK";
    return space == (in.bands() <= 2 ? "GRAY" : "RGB ");
}

VImage withoutProfile(VImage in) {
    in = in.copy();
    in.remove(VIPS_META_ICC_NAME);
    return in;
}

// Colour numbers mean something only with their profile: they are carried into sRGB before the
// profile is dropped, or a Display P3 or Adobe RGB picture would come out dull and shifted.
VImage inSrgbColours(const VImage& in, ColourTransforms* transforms) {
    const bool cmyk = in.interpretation() == VIPS_INTERPRETATION_CMYK;
    const bool embedded = hasUsableProfile(in);
    if (!cmyk && !embedded)
        return in;
    if (embedded && !cmyk && transforms) {
        if (std::optional<VImage> srgb = transforms->intoSrgb(in))
            return *srgb;
    }
    try {
        return withoutProfile(
            in.icc_transform("srgb", VImage::option()
                                         ->set("embedded", embedded)
                                         ->set("input_profile", cmyk ? "cmyk" : "srgb")
                                         ->set("intent", VIPS_INTENT_PERCEPTUAL)));
    } catch (const VError&) {
        // lcms turned the profile down after all (no perceptual table): as good as none.
        vips_error_clear();
        return in;
    }
}

} // namespace

bool needsProfileTransform(const VImage& in) {
    return in.interpretation() == VIPS_INTERPRETATION_CMYK || hasUsableProfile(in);
}

VImage normalisedSrgb(VImage in, ColourTransforms* transforms) {
    in = inSrgbColours(in, transforms);
    // 16-bit pixels that call themselves 8-bit sRGB or grey would be clipped, not scaled.
    if (in.format() == VIPS_FORMAT_USHORT && in.interpretation() == VIPS_INTERPRETATION_sRGB)
        in = in.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
    if (in.format() == VIPS_FORMAT_USHORT && in.interpretation() == VIPS_INTERPRETATION_B_W)
        in = in.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16));
    if (in.interpretation() != VIPS_INTERPRETATION_sRGB || in.bands() < 3)
        in = in.colourspace(VIPS_INTERPRETATION_sRGB);
    if (in.format() != VIPS_FORMAT_UCHAR)
        in = in.cast(VIPS_FORMAT_UCHAR);
    if (in.bands() > 4)
        in = in.extract_band(0, VImage::option()->set("n", 4));
    return in;
}

VImage withoutBlobs(const VImage& image) {
    VImage bare = image.copy();
    gchar** fields = vips_image_get_fields(bare.get_image());
    for (gchar** field = fields; *field; ++field) {
        if (bare.get_typeof(*field) == VIPS_TYPE_BLOB)
            bare.remove(*field);
    }
    g_strfreev(fields);
    return bare;
}

} // namespace quillmorph
