#include "engine/ColourTransforms.h"

#include <lcms2.h>

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

using Profile = std::unique_ptr<void, decltype(&cmsCloseProfile)>;

Profile openProfile(const void* data, size_t size) {
    return Profile(cmsOpenProfileFromMem(data, cmsUInt32Number(size)), &cmsCloseProfile);
}

// libvips' built-in sRGB profile, the one its icc_transform writes "srgb" with.
Profile vipsSrgb() {
    VipsBlob* blob = nullptr;
    if (vips_profile_load("srgb", &blob, nullptr) != 0 || !blob) {
        vips_error_clear();
        return Profile(nullptr, &cmsCloseProfile);
    }
    size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    Profile profile = openProfile(data, size);
    vips_area_unref(VIPS_AREA(blob));
    return profile;
}

int deleteTransform(void* transform, void*) {
    cmsDeleteTransform(transform);
    return 0;
}

// Exactly what libvips' icc_transform builds for 8-bit RGB: perceptual, no black point
// compensation, no one-pixel cache (so one transform serves every thread). Reference-counted
// by libvips, so that every image it colours holds it as long as that image lives.
std::shared_ptr<VipsArea> buildTransform(const QByteArray& iccData) {
    const Profile input = openProfile(iccData.constData(), size_t(iccData.size()));
    const Profile output = vipsSrgb();
    if (!input || !output || cmsGetColorSpace(input.get()) != cmsSigRgbData ||
        !cmsIsIntentSupported(input.get(), INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT) ||
        !cmsIsIntentSupported(output.get(), INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT))
        return nullptr;
    cmsHTRANSFORM transform = cmsCreateTransform(input.get(), TYPE_RGB_8, output.get(), TYPE_RGB_8,
                                                 INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    if (!transform)
        return nullptr;
    return std::shared_ptr<VipsArea>(vips_area_new(&deleteTransform, transform), &vips_area_unref);
}

int transformRows(VipsRegion* out, void* seq, void*, void* transform, gboolean*) {
    auto* in = static_cast<VipsRegion*>(seq);
    const VipsRect* r = &out->valid;
    if (vips_region_prepare(in, r) != 0)
        return -1;
    for (int y = 0; y < r->height; ++y) {
        cmsDoTransform(transform, VIPS_REGION_ADDR(in, r->left, r->top + y),
                       VIPS_REGION_ADDR(out, r->left, r->top + y), cmsUInt32Number(r->width));
    }
    return 0;
}

void releaseTransform(VipsImage*, gpointer transform) {
    vips_area_unref(static_cast<VipsArea*>(transform));
}

// rgb through transform, as a lazy libvips stage that keeps rgb and the transform alive.
VImage applied(const VImage& rgb, VipsArea* transform) {
    VipsImage* out = vips_image_new();
    if (vips_image_pipelinev(out, VIPS_DEMAND_STYLE_THINSTRIP, rgb.get_image(), nullptr) != 0) {
        g_object_unref(out);
        throw VError();
    }
    out->Type = VIPS_INTERPRETATION_sRGB;
    g_object_ref(rgb.get_image());
    vips_object_local(out, rgb.get_image());
    g_signal_connect(out, "close", G_CALLBACK(&releaseTransform), vips_area_copy(transform));
    if (vips_image_generate(out, vips_start_one, transformRows, vips_stop_one, rgb.get_image(),
                            transform->data) != 0) {
        g_object_unref(out);
        throw VError();
    }
    return VImage(out);
}

} // namespace

std::optional<VImage> ColourTransforms::intoSrgb(const VImage& in) {
    if (in.format() != VIPS_FORMAT_UCHAR || (in.bands() != 3 && in.bands() != 4) ||
        in.get_typeof(VIPS_META_ICC_NAME) == 0)
        return std::nullopt;
    size_t size = 0;
    const void* data = in.get_blob(VIPS_META_ICC_NAME, &size);
    const std::shared_ptr<VipsArea> transform =
        transformFor(QByteArray(static_cast<const char*>(data), qsizetype(size)));
    if (!transform)
        return std::nullopt;
    // Alpha passes through untouched, as libvips' colour operations pass extra bands.
    VImage srgb = in.bands() == 3
                      ? applied(in, transform.get())
                      : applied(in.extract_band(0, VImage::option()->set("n", 3)), transform.get())
                            .bandjoin(in.extract_band(3));
    srgb = srgb.copy();
    srgb.remove(VIPS_META_ICC_NAME);
    return srgb;
}

std::shared_ptr<VipsArea> ColourTransforms::transformFor(const QByteArray& profile) {
    const std::lock_guard lock(mutex_);
    const auto known = transforms_.find(profile);
    if (known != transforms_.end())
        return known->second;
    return transforms_.emplace(profile, buildTransform(profile)).first->second;
}

} // namespace quillmorph
