#include "engine/SizeLimit.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quillmorph {

using vips::VImage;

namespace {

constexpr double kScaleStep = 0.9;

struct Attempt {
    QByteArray bytes;
    int quality = 0; // 0: lossless PNG
};

// rgb8 at scale of its size, each side at least one pixel, held in memory. The frames of an
// animation (stacked, page-height set) each keep the same whole number of rows.
VImage scaledDown(const VImage& rgb8, double scale) {
    const bool frames = rgb8.get_typeof("page-height") != 0;
    const int frameHeight = frames ? rgb8.get_int("page-height") : rgb8.height();
    const int count = std::max(1, rgb8.height() / std::max(1, frameHeight));
    const int width = std::max(1, int(std::lround(rgb8.width() * scale)));
    const int height = std::max(1, int(std::lround(frameHeight * scale)));
    VImage out = rgb8.resize(double(width) / rgb8.width(),
                             VImage::option()->set("vscale", double(height) / frameHeight));
    if (out.width() != width || out.height() != height * count)
        out = out.embed(0, 0, width, height * count,
                        VImage::option()->set("extend", VIPS_EXTEND_COPY));
    out = out.copy_memory();
    if (frames)
        out.set("page-height", height);
    return out;
}

} // namespace

bool sizeLimitApplies(const OutputFormat& format) {
    return format.code == FormatCode::Png || format.code == FormatCode::Gif ||
           (format.usesQuality && (format.writer == Writer::Jfif || format.writer == Writer::Vips));
}

LimitedEncoding encodeWithin(const VImage& rgb8, const OutputFormat& format, int maxQuality,
                             const SizeLimit& limit, const QualityEncoder& encode) {
    const bool png = format.code == FormatCode::Png;
    // GIF has no quality to lower, only colours: below 100 a quality keeps fewer of them.
    const bool gif = format.code == FormatCode::Gif;
    // A lossy format's qualities up to the one the user chose; PNG's palette qualities, all
    // of them below its lossless form (quality 0 here).
    const int top = png || gif ? 100 : std::max(maxQuality, format.leastQuality);
    // Qualities below the least the encoder honours give its default, not a smaller file.
    const int least = format.leastQuality;
    VImage image = rgb8;
    std::optional<Attempt> fitting;
    std::optional<Attempt> smallest;
    const auto fitsAt = [&](int quality) {
        Attempt attempt{encode(image, quality, (png && quality > 0) || (gif && quality < 100)),
                        quality};
        if (attempt.bytes.size() <= limit.bytes) {
            fitting = std::move(attempt);
            return true;
        }
        if (!smallest || attempt.bytes.size() < smallest->bytes.size())
            smallest = std::move(attempt);
        return false;
    };
    // The highest quality in lo…hi that fits: sizes rise with quality, so a failure rules out
    // everything above it, and the quality just above the one kept has been tried.
    const auto bisect = [&](int lo, int hi) {
        while (lo <= hi) {
            const int mid = lo + (hi - lo + 1) / 2;
            if (fitsAt(mid))
                lo = mid + 1;
            else
                hi = mid - 1;
        }
    };

    // First as without a limit, so that a file that fits is encoded once.
    if (!fitsAt(png ? 0 : top))
        bisect(least, png ? top : top - 1);
    double scale = 1;
    while (!fitting && limit.sizeIsFree && (image.width() > 1 || image.height() > 1)) {
        scale *= kScaleStep;
        image = scaledDown(rgb8, scale);
        // Most smaller copies do not fit even at the lowest quality: one encoding tells.
        if (fitsAt(least) && !(png && fitsAt(0)))
            bisect(least + 1, top);
    }
    if (fitting)
        return {std::move(fitting->bytes), true, fitting->quality, scale};
    return {std::move(smallest->bytes), false, smallest->quality, scale};
}

} // namespace quillmorph
