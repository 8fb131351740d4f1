#include "engine/Animation.h"

#include "engine/ColourImport.h"
#include "engine/FitGeometry.h"
#include "engine/LoaderFamily.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

constexpr const char* kPageHeight = "page-height";

StepStatus sizing(EngineStatus st) {
    return {st, Stage::Size};
}

std::vector<double> rgbOf(quint32 colour) {
    return {double(colour & 0xFF), double((colour >> 8) & 0xFF), double((colour >> 16) & 0xFF)};
}

int wholePixels(float v) {
    return std::max(1, int(std::floor(v)));
}

// How every frame becomes an output frame: scaled to scaledWidth × scaledHeight, then the
// width × height whose top-left corner lies at left, top of the scaled frame is kept; where
// that reaches past the scaled frame (a pad), the margin colour shows.
struct FrameLayout {
    int scaledWidth = 0;
    int scaledHeight = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool byAttention = false; // left, top are chosen on the first frame

    bool covers() const {
        return left >= 0 && top >= 0 && left + width <= scaledWidth && top + height <= scaledHeight;
    }
    bool isWholeFrame() const {
        return left == 0 && top == 0 && width == scaledWidth && height == scaledHeight;
    }
};

// The geometry FitAndPad gives a still of this size, so that a frame lands as a still would.
FrameLayout layoutOf(const FitRequest& request, int frameWidth, int frameHeight) {
    if (request.sizeConversion && request.mode != FitMode::Pad) {
        const ScalePlan plan = planScale(request.mode, request.boxWidth, request.boxHeight,
                                         frameWidth, frameHeight, request.noEnlarge);
        return {plan.scaledWidth,
                plan.scaledHeight,
                plan.left,
                plan.top,
                plan.width,
                plan.height,
                request.mode == FitMode::Fill && request.crop == CropAnchor::Attention};
    }
    const int W = request.sizeConversion ? request.boxWidth : boxSideFromImage(float(frameWidth));
    const int H = request.sizeConversion ? request.boxHeight : boxSideFromImage(float(frameHeight));
    const FitPlan plan = planFit(W, H, float(frameWidth), float(frameHeight),
                                 request.sizeConversion && request.noEnlarge);
    const bool scaled = request.sizeConversion;
    return {scaled ? wholePixels(plan.width) : frameWidth,
            scaled ? wholePixels(plan.height) : frameHeight,
            -int(std::floor(plan.left)),
            -int(std::floor(plan.top)),
            plan.boxWidth,
            plan.boxHeight,
            false};
}

VImage flattenedOnto(VImage in, quint32 colour) {
    in = normalisedSrgb(std::move(in));
    if (in.has_alpha())
        in = in.flatten(VImage::option()->set("background", rgbOf(colour)));
    if (in.bands() > 3)
        in = in.extract_band(0, VImage::option()->set("n", 3));
    return in.format() == VIPS_FORMAT_UCHAR ? in : in.cast(VIPS_FORMAT_UCHAR);
}

// in resampled to width × rows, its edge repeated where the resampler fell a pixel short.
VImage resampledTo(const VImage& in, int width, int rows) {
    VImage out = in.resize(double(width) / in.width(),
                           VImage::option()->set("vscale", double(rows) / in.height()));
    if (out.width() == width && out.height() == rows)
        return out;
    return out.embed(0, 0, width, rows, VImage::option()->set("extend", VIPS_EXTEND_COPY));
}

// Every frame of a source, stacked top to bottom: from its file, or from the parts of a GIF
// longer than libvips' loader reads, joined with the delays of all.
class FrameReader {
public:
    // Parts are flattened onto colour, since some hold transparency where others have none.
    FrameReader(const LeadImage& image, std::optional<std::vector<GifPart>> parts, quint32 colour)
        : image_(image), colour_(colour) {
        if (!parts)
            return;
        for (GifPart& part : *parts) {
            std::string pages =
                "page=" + std::to_string(part.firstPage) + ",n=" + std::to_string(part.pages);
            parts_.push_back(
                {gifPartSource(std::move(part)), std::move(pages), part.firstPage, part.pages});
        }
    }

    // Shrunk as they are decoded to width × height, transparency premultiplied while shrinking.
    VImage smaller(int width, int height) const {
        const auto options = [&] {
            return VImage::option()
                ->set("height", height)
                ->set("size", VIPS_SIZE_FORCE)
                ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
        };
        if (parts_.empty())
            return image_.reopenedSmaller(width, "n=-1", options());
        return joined([&](const Part& part) {
            return VImage::thumbnail_source(part.source, width,
                                            options()->set("option_string", part.pages.c_str()));
        });
    }

    VImage whole() const {
        const auto options = [] {
            return VImage::option()
                ->set("access", VIPS_ACCESS_SEQUENTIAL)
                ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
        };
        if (parts_.empty())
            return image_.reopened(options()->set("n", -1));
        return joined([&](const Part& part) {
            return VImage::new_from_source(part.source, part.pages.c_str(), options());
        });
    }

private:
    struct Part {
        vips::VSource source;
        std::string pages; // the loader's options choosing the part's own frames
        int firstPage;
        int count;
    };

    template <typename Read> VImage joined(const Read& read) const {
        std::vector<VImage> stacks;
        std::vector<int> delays;
        for (const Part& part : parts_) {
            stacks.push_back(flattenedOnto(read(part), colour_));
            const VImage& stack = stacks.back();
            if (stack.get_typeof("delay") != 0) {
                // libvips gives the delays of every frame in the file, not only those read.
                const std::vector<int> all = stack.get_array_int("delay");
                const size_t from = all.size() >= size_t(part.firstPage) + size_t(part.count)
                                        ? size_t(part.firstPage)
                                        : 0;
                const size_t to = std::min(all.size(), from + size_t(part.count));
                delays.insert(delays.end(), all.begin() + qsizetype(from),
                              all.begin() + qsizetype(to));
            }
        }
        // arrayjoin would give every part the tallest one's height; the parts are few.
        VImage out = stacks.front();
        for (size_t i = 1; i < stacks.size(); ++i)
            out = out.join(stacks[i], VIPS_DIRECTION_VERTICAL);
        out = out.copy();
        if (!delays.empty())
            out.set("delay", delays);
        return out;
    }

    const LeadImage& image_;
    quint32 colour_;
    std::vector<Part> parts_;
};

// Every frame scaled to layout's size, stacked, flattened onto colour. A whole stack resampled
// at once bleeds a row between neighbouring frames at most, as vipsthumbnail's does; resampling
// frame by frame costs memory and time that grow with the square of the count.
VImage scaledFrames(const FrameReader& reader, const FrameLayout& layout, int frameWidth,
                    int frameHeight, int frames, quint32 colour) {
    const bool resized = layout.scaledWidth != frameWidth || layout.scaledHeight != frameHeight;
    VImage stack;
    if (resized && layout.scaledWidth <= frameWidth && layout.scaledHeight <= frameHeight) {
        // thumbnail premultiplies transparency before it shrinks, and WebP shrinks as it decodes.
        stack = flattenedOnto(reader.smaller(layout.scaledWidth, layout.scaledHeight), colour);
    } else {
        stack = reader.whole();
        if (stack.width() != frameWidth || stack.height() != frameHeight * frames)
            throw VError("the frames changed size since the file was opened");
        stack = flattenedOnto(stack, colour);
        if (resized)
            stack = resampledTo(stack, layout.scaledWidth, layout.scaledHeight * frames);
    }
    if (stack.width() != layout.scaledWidth || stack.height() != layout.scaledHeight * frames)
        throw VError("the frames came out at another size");
    return stack;
}

// Where a crop by attention sits: the busiest part of the first frame, scaled as every frame
// is. One window for all frames, since one that moved would make the picture jump.
void placeByAttention(const LeadImage& image, FrameLayout& layout, quint32 colour) {
    VImage first = flattenedOnto(image.reopened(VImage::option()->set("n", 1)->set("page", 0)->set(
                                     "fail_on", VIPS_FAIL_ON_TRUNCATED)),
                                 colour);
    first = withoutBlobs(resampledTo(first, layout.scaledWidth, layout.scaledHeight)).copy_memory();
    int x = 0;
    int y = 0;
    first.smartcrop(layout.width, layout.height,
                    VImage::option()
                        ->set("interesting", VIPS_INTERESTING_ATTENTION)
                        ->set("attention_x", &x)
                        ->set("attention_y", &y));
    layout.left = std::clamp(x - layout.width / 2, 0, layout.scaledWidth - layout.width);
    layout.top = std::clamp(y - layout.height / 2, 0, layout.scaledHeight - layout.height);
}

VImage intsImage(const std::vector<int>& values, int width, int height) {
    VipsImage* image = vips_image_new_from_memory_copy(values.data(), values.size() * sizeof(int),
                                                       width, height, 1, VIPS_FORMAT_INT);
    if (!image)
        throw VError();
    return VImage(image);
}

// Every frame's window of the scaled stack, in one mapim over a row table and a column table:
// an operation per frame would make a graph that grows with the frame count.
VImage placedFrames(const VImage& stack, const FrameLayout& layout, int frames, quint32 colour) {
    if (layout.isWholeFrame())
        return stack;
    const int rowsOut = layout.height * frames;
    std::vector<int> rows(static_cast<size_t>(rowsOut));
    for (int frame = 0; frame < frames; ++frame) {
        for (int row = 0; row < layout.height; ++row) {
            rows[size_t(frame) * layout.height + row] =
                frame * layout.scaledHeight +
                std::clamp(row + layout.top, 0, layout.scaledHeight - 1);
        }
    }
    std::vector<int> columns(static_cast<size_t>(layout.width));
    for (int column = 0; column < layout.width; ++column)
        columns[size_t(column)] = std::clamp(column + layout.left, 0, layout.scaledWidth - 1);
    const VImage index =
        intsImage(columns, layout.width, 1)
            .embed(0, 0, layout.width, rowsOut, VImage::option()->set("extend", VIPS_EXTEND_COPY))
            .bandjoin(intsImage(rows, 1, rowsOut)
                          .embed(0, 0, layout.width, rowsOut,
                                 VImage::option()->set("extend", VIPS_EXTEND_COPY)));
    VImage out = stack.mapim(
        index, VImage::option()->set("interpolate", vips::VInterpolate::new_from_name("nearest")));
    if (layout.covers())
        return out;
    // The picture's rectangle is the same in every frame: one frame's mask, repeated.
    const int x0 = std::max(0, -layout.left);
    const int y0 = std::max(0, -layout.top);
    const int x1 = std::min(layout.width, layout.scaledWidth - layout.left);
    const int y1 = std::min(layout.height, layout.scaledHeight - layout.top);
    const VImage mask = (VImage::black(std::max(1, x1 - x0), std::max(1, y1 - y0)) == 0)
                            .embed(x0, y0, layout.width, layout.height);
    return mask.replicate(1, frames).ifthenelse(out, rgbOf(colour));
}

} // namespace

bool keepsAnimation(const SourceHeader& header, const OutputFormat& format) {
    if (header.pages < 2 || (format.code != FormatCode::Gif && format.code != FormatCode::Webp))
        return false;
    const std::string_view family = loaderFamily(header.loader);
    return family == "Nsgif" || family == "Gif" || family == "Webp";
}

double discThresholdBytes() {
    return double(vips_get_disc_threshold());
}

StepStatus FitAnimation(LeadImage& LEAD1, const FitRequest& request) {
    if (LEAD1.isEmpty())
        return sizing(status::kNoImage);
    const SourceHeader header = LEAD1.header();
    const int frames = header.pages;
    // A stack taller than libvips' coordinates reads as one row.
    if (double(header.height) * frames > VIPS_MAX_COORD)
        return {status::kImageTooLarge, Stage::Load};
    if (request.sizeConversion && (request.boxWidth <= 0 || request.boxHeight <= 0))
        return sizing(status::kBadDimensions);
    FrameLayout layout = layoutOf(request, header.width, header.height);
    if (double(layout.width) * layout.height * frames > kMaxAnimationPixels ||
        double(layout.scaledWidth) * layout.scaledHeight > kMaxPixels ||
        double(std::max(layout.height, layout.scaledHeight)) * frames > VIPS_MAX_COORD)
        return sizing(status::kImageTooLarge);
    try {
        if (layout.byAttention && !layout.isWholeFrame())
            placeByAttention(LEAD1, layout, request.backColor);
        std::optional<std::vector<GifPart>> parts;
        if (frames > kGifLoaderFrames) {
            parts = gifPartsOfFile(LEAD1.sourceName());
            if (!parts)
                return {status::kImageTooLarge, Stage::Load};
        }
        const VImage stack =
            scaledFrames(FrameReader(LEAD1, std::move(parts), request.backColor), layout,
                         header.width, header.height, frames, request.backColor);
        VImage out = placedFrames(stack, layout, frames, request.backColor).copy();
        out.set(kPageHeight, layout.height);
        if (stack.get_typeof("delay") != 0)
            out.set("delay", stack.get_array_int("delay"));
        if (stack.get_typeof("loop") != 0)
            out.set("loop", stack.get_int("loop"));
        LEAD1.holdFrames(out, layout.height);
    } catch (const VError& e) {
        if (const EngineStatus st = statusFromVipsError(e, status::kOk); st != status::kOk)
            return {st, st == status::kImageTooLarge ? Stage::Load : Stage::Size};
        if (const StepStatus fault = LEAD1.sourceFault(Stage::Size); !fault.ok())
            return fault;
        return sizing(status::kEngineFailure);
    }
    return sizing(status::kOk);
}

VImage withAnimationOf(const VImage& out, const VImage& frames) {
    if (frames.get_typeof(kPageHeight) == 0)
        return out;
    const int frameHeight = frames.get_int(kPageHeight);
    if (frameHeight <= 0 || frameHeight >= frames.height() || frames.height() % frameHeight != 0)
        return out;
    VImage kept = out.copy();
    kept.set(kPageHeight, frameHeight);
    if (frames.get_typeof("delay") != 0)
        kept.set("delay", frames.get_array_int("delay"));
    // Without it the GIF saver writes "forever" whatever the source said.
    if (frames.get_typeof("loop") != 0)
        kept.set("loop", frames.get_int("loop"));
    return kept;
}

} // namespace quillmorph
