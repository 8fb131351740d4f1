#pragma once

#include <QByteArray>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vips/vips8>

namespace quillmorph {

// The lcms transforms a batch carries embedded RGB profiles into sRGB with, one per profile:
// building one costs more than applying it to a 600 x 450 picture, and a batch of photographs
// mostly carries one or two profiles. Applies them as libvips would (perceptual intent into
// libvips' own sRGB profile), lazily, as the pixels stream. Thread-safe.
class ColourTransforms {
public:
    ColourTransforms() = default;
    ColourTransforms(const ColourTransforms&) = delete;
    ColourTransforms& operator=(const ColourTransforms&) = delete;

    // in, 8-bit RGB with or without alpha, carried through its embedded profile into 8-bit sRGB,
    // the profile dropped; empty when in is of another kind or lcms will not take its profile
    // that way (the caller then lets libvips' icc_transform decide). Throws vips::VError.
    std::optional<vips::VImage> intoSrgb(const vips::VImage& in);

private:
    std::shared_ptr<VipsArea> transformFor(const QByteArray& profile);

    std::mutex mutex_;
    std::map<QByteArray, std::shared_ptr<VipsArea>> transforms_; // by profile; null: not taken
};

} // namespace quillmorph
