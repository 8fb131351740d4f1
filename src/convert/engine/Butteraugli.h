#pragma once

#include <QByteArray>
#include <optional>
#include <vector>
#include <vips/vips8>

namespace quillmorph {

// How far a picture's encoding looks from the picture itself, by libjxl's Butteraugli: the
// 3-norm of its difference map at a display of 80 nits. The 3-norm, not the maximum, because it
// falls almost steadily as the encoder's quality rises, so that a bisection can trust it; 80
// nits, because a score means nothing without its display, and libjxl's own tools assume that
// one (docs/pilots/quality-by-eye.md).
class Butteraugli {
public:
    // reference: the picture as it was before encoding, 8-bit sRGB in three bands.
    explicit Butteraugli(const vips::VImage& reference);

    // The distance of encoded (a whole file in a format libvips reads) from the reference;
    // nothing when the library could not compute it (its memory ran short). Throws
    // vips::VError when encoded cannot be decoded or its size differs from the reference's.
    std::optional<double> distanceTo(const QByteArray& encoded) const;

    // The same for pixels: candidate is decoded, as the reference was given.
    std::optional<double> distanceTo(const vips::VImage& candidate) const;

    // What one evaluation holds beyond the two pictures' pixels, per pixel: libjxl's working
    // planes (240 measured at 1.2 and 4.9 megapixels, docs/performance.md).
    static constexpr double kBytesPerPixel = 245;

private:
    int width_;
    int height_;
    std::vector<unsigned char> reference_;
};

} // namespace quillmorph
