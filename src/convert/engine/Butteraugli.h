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
    // reference: the picture as it was before encoding, 8-bit sRGB in three bands. With a
    // square side above 0, the picture is a mosaic of such squares and only the pixels at least
    // margin inside each one count: the metric's blurs reach across the joins.
    explicit Butteraugli(const vips::VImage& reference, int square = 0, int margin = 0);

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
    int square_;
    int margin_;
    std::vector<unsigned char> reference_;
};

// A quick stand-in for Butteraugli over a whole picture: twelve 96-pixel squares spread over it
// in a 4 × 3 grid, joined into a picture of an eleventh of the pixels at 1280 × 960, encoded and
// judged instead. Within 0.04 of the whole picture's distance near the threshold on 16
// photographs, at a tenth of the time (docs/performance.md); it only predicts, and the whole
// picture is judged before its encoding is kept.
class SampledButteraugli {
public:
    // True when a picture of width × height holds at least four times the sample's pixels:
    // below that, judging it whole costs little more.
    static bool worthSampling(int width, int height);

    explicit SampledButteraugli(const vips::VImage& rgb8);

    // The squares, for the encoder. Their corners lie on a 16-pixel grid, as JPEG's blocks do,
    // so that an encoding of the sample holds the blocks the whole picture's would.
    const vips::VImage& sample() const { return sample_; }

    // The sample's encoding's distance, as Butteraugli::distanceTo.
    std::optional<double> distanceTo(const QByteArray& encodedSample) const;

private:
    vips::VImage sample_;
    Butteraugli metric_;
};

} // namespace quillmorph
