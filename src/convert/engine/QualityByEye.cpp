#include "engine/QualityByEye.h"

#include "engine/Butteraugli.h"

#include <algorithm>

namespace quillmorph {

using vips::VImage;

namespace {

// Where a search starts: each format's median choice on ten photographs at kLooksTheSame. Most
// pictures then need about four encodings, against six or seven from the middle of the range.
int typicalQuality(const OutputFormat& format) {
    return format.code == FormatCode::Webp ? 98 : 90;
}

// Below this many pixels a side the metric's verdict means nothing (see judgedByEye).
constexpr int kLeastSide = 8;

// Qualities either side of the first guess are tried this far apart, then twice as far.
constexpr int kFirstStride = 4;

} // namespace

bool qualityByEyeApplies(const OutputFormat& format) {
    return format.usesQuality && (format.writer == Writer::Jfif || format.writer == Writer::Vips);
}

bool judgedByEye(const OutputFormat& format, int width, int height) {
    return qualityByEyeApplies(format) && width >= kLeastSide && height >= kLeastSide &&
           double(width) * height <= kMostPixelsByEye;
}

double bytesJudgingByEye(double outputPixels) {
    // Either way the fitted pixels are held to be encoded again; judged, the reference and the
    // candidate are packed for the metric as well, and the candidate decoded.
    if (outputPixels > kMostPixelsByEye)
        return 3 * outputPixels;
    return (9 + Butteraugli::kBytesPerPixel) * outputPixels;
}

ChosenByEye chooseByEye(const VImage& rgb8, const OutputFormat& format, int ceiling,
                        double threshold, const QualityEncoder& encode,
                        const DistanceTo& distance) {
    const int least = format.leastQuality;
    const int top = std::max(ceiling, least);
    ChosenByEye chosen;
    QByteArray atTop; // kept in case nothing looks the same
    const auto passes = [&](int quality) {
        QByteArray bytes = encode(rgb8, quality, false);
        ++chosen.encodes;
        const std::optional<double> d = distance(bytes);
        // A distance that could not be told is no licence to go lower.
        const bool same = d && *d <= threshold;
        if (same) {
            chosen.bytes = std::move(bytes);
            chosen.quality = quality;
        } else if (quality == top) {
            atTop = std::move(bytes);
        }
        return same;
    };

    int pass = top + 1;   // the lowest quality known to look the same (none yet)
    int fail = least - 1; // the highest known not to
    int stride = kFirstStride;
    if (const int first = std::clamp(typicalQuality(format), least, top); passes(first)) {
        pass = first;
        while (pass > least) {
            const int quality = std::max(least, pass - stride);
            if (!passes(quality)) {
                fail = quality;
                break;
            }
            pass = quality;
            stride *= 2;
        }
    } else {
        fail = first;
        while (fail < top) {
            const int quality = std::min(top, fail + stride);
            if (passes(quality)) {
                pass = quality;
                break;
            }
            fail = quality;
            stride *= 2;
        }
    }
    // Only qualities below the lowest that passed are tried, so the bytes kept are its.
    while (pass <= top && pass - fail > 1) {
        const int mid = fail + (pass - fail) / 2;
        if (passes(mid))
            pass = mid;
        else
            fail = mid;
    }
    if (pass > top) {
        chosen.bytes = std::move(atTop);
        chosen.quality = top;
        chosen.looksTheSame = false;
    }
    return chosen;
}

LimitedEncoding encodeByEye(const VImage& rgb8, const OutputFormat& format, int ceiling,
                            const SizeLimit& limit, const QualityEncoder& encode) {
    const int top = std::max(ceiling, format.leastQuality);
    if (!judgedByEye(format, rgb8.width(), rgb8.height())) {
        if (limit.bytes > 0)
            return encodeWithin(rgb8, format, top, limit, encode);
        return {encode(rgb8, top, false), true, top, 1};
    }
    ChosenByEye chosen;
    {
        // The metric's reference goes before a size search needs memory of its own.
        const Butteraugli metric(rgb8);
        chosen = chooseByEye(rgb8, format, top, kLooksTheSame, encode,
                             [&](const QByteArray& bytes) { return metric.distanceTo(bytes); });
    }
    if (limit.bytes <= 0 || chosen.bytes.size() <= limit.bytes)
        return {std::move(chosen.bytes), true, chosen.quality, 1};
    // The limit is smaller than what looks the same: its own search, below the eye's choice.
    LimitedEncoding limited = encodeWithin(
        rgb8, format, std::max(format.leastQuality, chosen.quality - 1), limit, encode);
    if (limited.within || limited.bytes.size() < chosen.bytes.size())
        return limited;
    return {std::move(chosen.bytes), false, chosen.quality, 1};
}

} // namespace quillmorph
