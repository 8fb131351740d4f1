#include "engine/LeadImage.h"

#include "engine/ColourImport.h"
#include "engine/ColourTransforms.h"

#include <algorithm>
#include <cmath>
#include <vector>

// What a LeadImage does to its pixels (Size, Crop, Fill, Combine); the file behind them is
// LeadImageSource.cpp's.

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

std::vector<double> rgbOf(quint32 colour) {
    return {double(colour & 0xFF), double((colour >> 8) & 0xFF), double((colour >> 16) & 0xFF)};
}

VImage flattenedRgb(VImage in, quint32 background) {
    if (in.has_alpha())
        in = in.flatten(VImage::option()->set("background", rgbOf(background)));
    if (in.bands() > 3)
        in = in.extract_band(0, VImage::option()->set("n", 3));
    if (in.format() != VIPS_FORMAT_UCHAR)
        in = in.cast(VIPS_FORMAT_UCHAR);
    return in;
}

// Resamplers may land a pixel off the requested size; trim or repeat the edge to hit it.
VImage exactSize(const VImage& in, int width, int height) {
    if (in.width() == width && in.height() == height)
        return in;
    return in.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
}

VImage resampled(const VImage& in, int width, int height) {
    const double hscale = double(width) / in.width();
    const double vscale = double(height) / in.height();
    return exactSize(in.resize(hscale, VImage::option()->set("vscale", vscale)), width, height);
}

// The smallest scale libvips' vector loaders take.
constexpr double kLeastLoadScale = 0.001;

int wholePixels(float v) {
    return std::max(1, int(std::floor(v)));
}

bool sizeIsUsable(float w, float h) {
    return std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0 && w <= VIPS_MAX_COORD &&
           h <= VIPS_MAX_COORD;
}

// Size and Crop report to the sizing step.
StepStatus sizing(EngineStatus st) {
    return {st, Stage::Size};
}

} // namespace

float LeadImage::width() const {
    return isEmpty() ? 0.0f : float(image_.width());
}

float LeadImage::height() const {
    return isEmpty() ? 0.0f : float(frameHeight_ > 0 ? frameHeight_ : image_.height());
}

StepStatus LeadImage::Size(float w, float h) {
    if (isEmpty())
        return sizing(status::kNoImage);
    if (!sizeIsUsable(w, h))
        return sizing(status::kBadDimensions);
    const int tw = wholePixels(w);
    const int th = wholePixels(h);
    if (double(tw) * th > kMaxPixels)
        return sizing(status::kImageTooLarge);
    // Nothing to resample: the pipeline stays as it is and the file is not opened again.
    if (tw == image_.width() && th == image_.height()) {
        pristine_ = false;
        return sizing(status::kOk);
    }
    try {
        // thumbnail turns CMYK into RGB through a stock profile before any embedded one is
        // looked at (and its own import in linear light shifts dark tones), so CMYK files are
        // decoded whole and reduced as they stream in; they are rare outside print work.
        if (pristine_ && !decodeWhole_) {
            // Reopening through thumbnail lets JPEG, WebP and others decode at reduced scale.
            // thumbnail hands SVG and PDF a scale below their loaders' least (1/1000)
            // unchecked, and the loader then renders the whole page: a 116-byte SVG of
            // 30000 × 30000 into a 7 × 5 box took 17 s and 570 MB. Below that, a resize.
            const int viaW = std::max(tw, int(std::ceil(image_.width() * kLeastLoadScale)));
            const int viaH = std::max(th, int(std::ceil(image_.height() * kLeastLoadScale)));
            image_ =
                exactSize(normalisedSrgb(thumbnailOf(viaW, viaH), transforms_.get()), viaW, viaH);
            if (viaW != tw || viaH != th)
                image_ = resampled(image_, tw, th);
        } else {
            image_ = resampled(pixels(), tw, th);
        }
    } catch (const VError& e) {
        return failureStatus(e, status::kEngineFailure);
    }
    pristine_ = false;
    coloursPending_ = false;
    return sizing(status::kOk);
}

StepStatus LeadImage::Crop(float left, float top, float width, float height, CropAnchor anchor) {
    if (isEmpty())
        return sizing(status::kNoImage);
    if (!sizeIsUsable(width, height) || !std::isfinite(left) || !std::isfinite(top))
        return sizing(status::kBadDimensions);
    const int x = int(std::floor(left));
    const int y = int(std::floor(top));
    const int w = wholePixels(width);
    const int h = wholePixels(height);
    if (w > image_.width() || h > image_.height() ||
        (anchor == CropAnchor::Centre &&
         (x < 0 || y < 0 || x + w > image_.width() || y + h > image_.height())))
        return sizing(status::kBadDimensions);
    try {
        if (anchor == CropAnchor::Attention) {
            // The busiest part is found over the whole image before any of it is kept, which a
            // pipeline that streams its rows once cannot give twice; thumbnail does the same.
            image_ = withoutBlobs(pixels()).copy_memory().smartcrop(
                w, h, VImage::option()->set("interesting", VIPS_INTERESTING_ATTENTION));
        } else {
            image_ = pixels().extract_area(x, y, w, h);
        }
    } catch (const VError& e) {
        return failureStatus(e, status::kEngineFailure);
    }
    pristine_ = false;
    coloursPending_ = false;
    return sizing(status::kOk);
}

void LeadImage::copyFrom(const LeadImage& other) {
    // VImage is an immutable, reference-counted pipeline: sharing it is an independent copy.
    image_ = other.image_;
    header_ = other.header_;
    exif_ = other.exif_;
    source_ = other.source_;
    svg_ = other.svg_;
    decoded_ = other.decoded_;
    transforms_ = other.transforms_;
    pristine_ = other.pristine_;
    coloursPending_ = other.coloursPending_;
    cmykFile_ = other.cmykFile_;
    decodeWhole_ = other.decodeWhole_;
    flatColour_ = other.flatColour_;
    frameHeight_ = other.frameHeight_;
}

EngineStatus LeadImage::Fill(quint32 colour) {
    if (isEmpty())
        return status::kNoImage;
    try {
        image_ = VImage::black(image_.width(), image_.height())
                     .new_from_image(rgbOf(colour))
                     .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    } catch (const VError& e) {
        return statusFromVipsError(e, status::kEngineFailure);
    }
    pristine_ = false;
    coloursPending_ = false;
    flatColour_ = colour;
    return status::kOk;
}

EngineStatus LeadImage::Combine(float left, float top, float width, float height,
                                const LeadImage& src, float srcLeft, float srcTop) {
    if (isEmpty() || src.isEmpty())
        return status::kNoImage;
    if (!sizeIsUsable(width, height) || !std::isfinite(left) || !std::isfinite(top) ||
        srcLeft < 0 || srcTop < 0 || srcLeft >= src.width() || srcTop >= src.height())
        return status::kBadDimensions;
    const int x = int(std::floor(left));
    const int y = int(std::floor(top));
    const int w = wholePixels(width);
    const int h = wholePixels(height);
    try {
        VImage piece = src.pixels();
        const int sx = int(srcLeft);
        const int sy = int(srcTop);
        if (sx > 0 || sy > 0)
            piece = piece.crop(sx, sy, piece.width() - sx, piece.height() - sy);
        if (piece.width() != w || piece.height() != h)
            piece = resampled(piece, w, h);
        if (flatColour_) {
            // Over a single colour, placing the piece is an embed: no canvas is ever painted.
            image_ = flattenedRgb(piece, *flatColour_)
                         .embed(x, y, image_.width(), image_.height(),
                                VImage::option()
                                    ->set("extend", VIPS_EXTEND_BACKGROUND)
                                    ->set("background", rgbOf(*flatColour_)));
        } else if (piece.has_alpha()) {
            image_ = pixels().composite2(piece, VIPS_BLEND_MODE_OVER,
                                         VImage::option()->set("x", x)->set("y", y));
            image_ = normalisedSrgb(image_);
        } else {
            image_ = pixels().insert(piece, x, y);
        }
    } catch (const VError& e) {
        return statusFromVipsError(e, status::kEngineFailure);
    }
    pristine_ = false;
    coloursPending_ = false;
    flatColour_.reset();
    return status::kOk;
}

VImage LeadImage::rgb8() const {
    return flattenedRgb(pixels(), 0xFFFFFF);
}

void LeadImage::holdFrames(VImage frames, int frameHeight) {
    image_ = std::move(frames);
    frameHeight_ = frameHeight;
    pristine_ = false;
    coloursPending_ = false;
    flatColour_.reset();
}

void LeadImage::useColourTransforms(std::shared_ptr<ColourTransforms> transforms) {
    transforms_ = std::move(transforms);
}

VImage LeadImage::pixels() const {
    return coloursPending_ ? normalisedSrgb(image_, transforms_.get()) : image_;
}

StepStatus LeadImage::failureStatus(const VError& e, EngineStatus fallback) const {
    if (const EngineStatus st = statusFromVipsError(e, status::kOk); st != status::kOk)
        return sizing(st);
    if (const StepStatus fault = sourceFault(Stage::Size); !fault.ok())
        return fault;
    return sizing(fallback);
}

} // namespace quillmorph
