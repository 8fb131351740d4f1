#pragma once

#include "engine/OutputFormat.h"
#include "engine/SizeLimit.h"

#include <QByteArray>
#include <functional>
#include <optional>
#include <vips/vips8>

namespace quillmorph {

// The Butteraugli distance (Butteraugli.h) at which an encoding looks the same as its picture.
// libjxl's own "visually lossless" distance 1.0 lands at a median 0.58 on this scale; on ten
// photographs 0.6 let a JPEG go no lower than quality 90 (docs/pilots/quality-by-eye.md).
inline constexpr double kLooksTheSame = 0.6;

// Above this many output pixels the metric's memory (Butteraugli::kBytesPerPixel) would crowd
// out the rest of the batch: such a picture is encoded at the quality box's value. A copy made
// smaller to judge by passes qualities that the whole picture fails.
inline constexpr double kMostPixelsByEye = 8e6;

// The formats whose quality can be chosen by eye: the lossy ones.
bool qualityByEyeApplies(const OutputFormat& format);

// True for a picture of width × height (each of its frames) that is judged by eye in format.
// Below 8 pixels a side Butteraugli passes any encoding (a 7 × 15 picture of noise at JPEG
// quality 1), and an animation would be judged by its first frame alone: such a picture is
// encoded at the ceiling.
bool judgedByEye(const OutputFormat& format, int width, int height, int frames = 1);

// Bytes one picture of outputPixels holds while its quality is chosen by eye: the fitted
// pixels, a decoded candidate and the metric's working planes (only the first above
// kMostPixelsByEye).
double bytesJudgingByEye(double outputPixels);

// One encoding's distance from its picture; nothing when it could not be told.
using DistanceTo = std::function<std::optional<double>(const QByteArray& encoded)>;

// A prediction of the distance of the picture's encoding at a quality, cheaper than encoding and
// judging the whole (SampledButteraugli); nothing when it could not be told.
using EstimateAt = std::function<std::optional<double>(int quality)>;

// What choosing by eye gave: the bytes to store and the quality that gave them.
struct ChosenByEye {
    QByteArray bytes;
    int quality = 0;
    bool looksTheSame = true; // false: not even the ceiling reached threshold; its bytes kept
    int encodes = 0;          // of the whole picture, each judged by distance
    int estimates = 0;
};

// The lowest quality from format.leastQuality to ceiling whose encoding is within threshold,
// by distance. The search starts at a quality typical of the format and moves by a model of
// how distance falls with the encoder's quantisers, keeping the answer bracketed (bisecting
// when the model is slow): quality - 1 was encoded and failed, unless quality is the least.
// With estimate, the same search runs on predictions; the quality found is then encoded and
// judged, and kept if it passes. If not, the predictions are corrected by the error found and
// the search goes on above it. The chosen quality always passes by distance; the one below it
// failed by distance or by prediction. The bytes kept are the ones judged; nothing is encoded
// twice.
ChosenByEye chooseByEye(const vips::VImage& rgb8, const OutputFormat& format, int ceiling,
                        double threshold, const QualityEncoder& encode, const DistanceTo& distance,
                        const EstimateAt& estimate = {});

// The bytes of rgb8 (decoded, in memory) in format at the quality chosen by eye with
// Butteraugli, not above ceiling; with a size limit (limit.bytes > 0) as well, the smaller of
// that and what encodeWithin gives. A picture not judgedByEye (frames stacked with page-height
// count as an animation), or one whose metric cannot get its memory, is encoded at ceiling
// (held to the limit), and judgedByEye in the result is false. Throws vips::VError, as encode
// does.
LimitedEncoding encodeByEye(const vips::VImage& rgb8, const OutputFormat& format, int ceiling,
                            const SizeLimit& limit, const QualityEncoder& encode);

} // namespace quillmorph
