#include "engine/QualityByEye.h"

#include "engine/Butteraugli.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <new>
#include <optional>

namespace quillmorph {

using vips::VImage;

namespace {

// Where a search starts: each format's median choice on ten photographs at kLooksTheSame; most
// answers lie a few steps from it.
int typicalQuality(const OutputFormat& format) {
    return format.code == FormatCode::Webp ? 98 : 90;
}

// Below this many pixels a side the metric's verdict means nothing (see judgedByEye).
constexpr int kLeastSide = 8;

} // namespace

bool qualityByEyeApplies(const OutputFormat& format) {
    return format.usesQuality && (format.writer == Writer::Jfif || format.writer == Writer::Vips);
}

bool judgedByEye(const OutputFormat& format, int width, int height, int frames) {
    return qualityByEyeApplies(format) && frames == 1 && width >= kLeastSide &&
           height >= kLeastSide && double(width) * height <= kMostPixelsByEye;
}

double bytesJudgingByEye(double outputPixels) {
    // Either way the fitted pixels are held to be encoded again; judged, the reference and the
    // candidate are packed for the metric as well, and the candidate decoded.
    if (outputPixels > kMostPixelsByEye)
        return 3 * outputPixels;
    return (9 + Butteraugli::kBytesPerPixel) * outputPixels;
}

namespace {

// libjpeg's scale of its quantisers at quality, in percent of the base tables (no quantiser
// goes below 1, hence the floor); the other formats' qualities fall in a like way.
double quantiserScale(double quality) {
    return std::max(1.0, quality < 50 ? 5000 / quality : 200 - 2 * quality);
}

double qualityAtScale(double scale) {
    return scale > 100 ? 5000 / scale : (200 - scale) / 2;
}

// Distance grows about as the quantiser scale to this power (0.3–0.5 on 16 photographs, JPEG
// qualities 80 to 96).
constexpr double kDistanceByScale = 0.45;

struct Probe {
    int quality;
    double distance;
};

// Where distance would meet target: on the line through two probes in log–log, or from one by
// kDistanceByScale.
double qualityForDistance(const Probe& probe, const std::optional<Probe>& other, double target) {
    const auto logScale = [](const Probe& p) { return std::log(quantiserScale(p.quality)); };
    const auto logDistance = [](const Probe& p) { return std::log(std::max(p.distance, 1e-3)); };
    double slope = kDistanceByScale;
    if (other && other->quality != probe.quality) {
        const double fitted =
            (logDistance(*other) - logDistance(probe)) / (logScale(*other) - logScale(probe));
        // A flat or rising stretch (the chroma halving's jump) says nothing of the slope.
        if (fitted > 0.1)
            slope = fitted;
    }
    return qualityAtScale(
        std::exp(logScale(probe) + (std::log(target) - logDistance(probe)) / slope));
}

using Judge = std::function<std::optional<double>(int quality)>;

// The lowest quality in (fail, pass) whose distance is within target, pass when none is: the
// answer's bracket narrows by the model's guess from the nearest probes either side, by halves
// when a guess did not halve it.
int lowestWithin(int fail, int pass, int first, double target, const Judge& judge) {
    std::optional<Probe> failed;
    std::optional<Probe> passed;
    int quality = first;
    bool bisect = false;
    while (pass - fail > 1) {
        const int before = pass - fail;
        quality = bisect ? fail + before / 2 : std::clamp(quality, fail + 1, pass - 1);
        const std::optional<double> d = judge(quality);
        // A distance that could not be told is no licence to go lower.
        if (d && *d <= target) {
            pass = quality;
            passed = Probe{quality, *d};
        } else {
            fail = quality;
            failed = d ? std::optional<Probe>(Probe{quality, *d}) : std::nullopt;
        }
        const bool lastPassed = pass == quality;
        const std::optional<Probe>& latest = lastPassed ? passed : failed;
        if (latest) {
            const double guess = qualityForDistance(*latest, lastPassed ? failed : passed, target);
            // Rounded up: the quality that would just pass, by the model.
            quality = int(std::ceil(guess));
        } else {
            quality = fail + (pass - fail) / 2;
        }
        bisect = failed && passed && 2 * (pass - fail) > before;
    }
    return pass;
}

// Whole judgements a search by estimate makes before it goes on by judgements alone.
constexpr int kMostChecks = 3;

// lowestWithin from least - 1 to top + 1 by distance, the search done on estimates: the lowest
// quality predicted to pass is judged whole, and kept when it passes. When it fails, the
// estimates are scaled by how far they were off there and the next quality they predict to pass
// is judged. (Judging the quality below a pass as well saved 1 % of the bytes for a quarter more
// judgements.)
int lowestByEstimate(int least, int top, int first, double threshold, const Judge& estimate,
                     const Judge& judge) {
    std::map<int, std::optional<double>> estimates; // each quality estimated once
    const Judge estimated = [&](int quality) {
        const auto [at, added] = estimates.try_emplace(quality);
        if (added)
            at->second = estimate(quality);
        return at->second;
    };
    int fail = least - 1;
    double target = threshold;
    for (int checks = 1;; ++checks) {
        const int quality = std::min(
            top, lowestWithin(fail, top + 1, std::clamp(first, fail + 1, top), target, estimated));
        const std::optional<double> d = judge(quality);
        if (d && *d <= threshold)
            return quality;
        fail = quality;
        const std::optional<double> e = estimated(quality);
        if (fail >= top || checks == kMostChecks || !d || !e || *e <= 0)
            return lowestWithin(fail, top + 1, fail + 1, threshold, judge);
        target = threshold * *e / *d;
        first = fail + 1;
    }
}

} // namespace

ChosenByEye chooseByEye(const VImage& rgb8, const OutputFormat& format, int ceiling,
                        double threshold, const QualityEncoder& encode, const DistanceTo& distance,
                        const EstimateAt& estimate) {
    const int least = format.leastQuality;
    const int top = std::max(ceiling, least);
    ChosenByEye chosen;
    QByteArray atTop; // kept in case nothing looks the same
    const Judge judged = [&](int quality) {
        QByteArray bytes = encode(rgb8, quality, false);
        ++chosen.encodes;
        const std::optional<double> d = distance(bytes);
        // Only qualities below the lowest that passed are tried, so the bytes kept are its.
        if (d && *d <= threshold) {
            chosen.bytes = std::move(bytes);
            chosen.quality = quality;
        } else if (quality == top) {
            atTop = std::move(bytes);
        }
        return d;
    };
    const int first = std::clamp(typicalQuality(format), least, top);
    const int pass = estimate ? lowestByEstimate(
                                    least, top, first, threshold,
                                    [&](int quality) {
                                        ++chosen.estimates;
                                        return estimate(quality);
                                    },
                                    judged)
                              : lowestWithin(least - 1, top + 1, first, threshold, judged);
    if (pass > top) {
        chosen.bytes = std::move(atTop);
        chosen.quality = top;
        chosen.looksTheSame = false;
    }
    return chosen;
}

namespace {

// The frames stacked in rgb8 (page-height set by an animation's loader), 1 for a still.
int framesIn(const VImage& rgb8) {
    if (rgb8.get_typeof("page-height") == 0)
        return 1;
    const int frameHeight = rgb8.get_int("page-height");
    return frameHeight > 0 && frameHeight < rgb8.height() ? rgb8.height() / frameHeight : 1;
}

// The ceiling's bytes, held to limit where one is set: what a picture not judged gets.
LimitedEncoding atCeiling(const VImage& rgb8, const OutputFormat& format, int top,
                          const SizeLimit& limit, const QualityEncoder& encode) {
    if (limit.bytes > 0)
        return encodeWithin(rgb8, format, top, limit, encode);
    return {encode(rgb8, top, false), true, top, 1};
}

// The quality chosen by eye, nothing when the metric could not be had: its memory ran out
// before any distance was told.
std::optional<ChosenByEye> chosenByEye(const VImage& rgb8, const OutputFormat& format, int top,
                                       const QualityEncoder& encode) {
    int told = 0;
    ChosenByEye chosen;
    try {
        const Butteraugli metric(rgb8);
        const DistanceTo distance = [&](const QByteArray& bytes) {
            const std::optional<double> d = metric.distanceTo(bytes);
            told += d.has_value();
            return d;
        };
        if (SampledButteraugli::worthSampling(rgb8.width(), rgb8.height())) {
            const SampledButteraugli sample(rgb8);
            chosen =
                chooseByEye(rgb8, format, top, kLooksTheSame, encode, distance, [&](int quality) {
                    return sample.distanceTo(encode(sample.sample(), quality, false));
                });
        } else {
            chosen = chooseByEye(rgb8, format, top, kLooksTheSame, encode, distance);
        }
    } catch (const std::bad_alloc&) {
        // The metric's planes are the dearest part of the work and the only one that can be
        // done without: the picture still gets the quality it would have had without it.
        return std::nullopt;
    }
    if (told == 0)
        return std::nullopt;
    return chosen;
}

} // namespace

LimitedEncoding encodeByEye(const VImage& rgb8, const OutputFormat& format, int ceiling,
                            const SizeLimit& limit, const QualityEncoder& encode) {
    const int top = std::max(ceiling, format.leastQuality);
    if (!judgedByEye(format, rgb8.width(), rgb8.height(), framesIn(rgb8)))
        return atCeiling(rgb8, format, top, limit, encode);
    // The metric's reference goes before a size search needs memory of its own.
    std::optional<ChosenByEye> chosen = chosenByEye(rgb8, format, top, encode);
    if (!chosen)
        return atCeiling(rgb8, format, top, limit, encode);
    if (limit.bytes <= 0 || chosen->bytes.size() <= limit.bytes)
        return {std::move(chosen->bytes), true, chosen->quality, 1, true};
    // The limit is smaller than what looks the same: its own search, below the eye's choice.
    LimitedEncoding limited = encodeWithin(
        rgb8, format, std::max(format.leastQuality, chosen->quality - 1), limit, encode);
    limited.judgedByEye = true;
    if (limited.within || limited.bytes.size() < chosen->bytes.size())
        return limited;
    return {std::move(chosen->bytes), false, chosen->quality, 1, true};
}

} // namespace quillmorph
