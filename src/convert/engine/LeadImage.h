#pragma once

#include "engine/FitGeometry.h"
#include "engine/StepStatus.h"
#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vips/vips8>

namespace quillmorph {

class ColourTransforms;
class PartialOutput;
class SourceFile;

// Thrown by LeadImage::Load when the file is not an image any loader of the engine can read.
class NotAnImageError : public std::runtime_error {
public:
    explicit NotAnImageError(const FilePath& path);
};

// What a loaded file's header tells before any pixel is decoded.
struct SourceHeader {
    std::string loader; // the vips loader that recognised the file (its class name), or "Jxl"
                        // for a JPEG XL the engine decoded itself
    int width = 0;      // upright, after EXIF orientation
    int height = 0;
    bool interlaced = false;       // a progressive JPEG, an interlaced PNG
    int bytesPerPixel = 0;         // as the loader gives the pixels
    bool alpha = false;            // the pixels have an alpha band
    bool chromaSubsampled = false; // a JPEG whose colour planes have fewer samples
    bool turned = false;           // its orientation turns or mirrors it
    int pages = 1; // pages or frames in the file (a GIF's all, though its loader reads 4097)
    // The file's size: some loaders hold all of it.
    qint64 fileBytes = 0;
};

// One image instance of the imaging engine, over a lazy libvips pipeline: nothing is decoded
// until an encoder (Encoding.h) pulls the pixels through, so a resize whose result is later
// painted over costs nothing. Every operation returns status::kOk or an engine status, Size and
// Crop with the operation it is charged to. Not thread-safe; one instance is used by one thread
// at a time. Copies share no mutable state.
class LeadImage {
public:
    LeadImage() = default;
    LeadImage(const LeadImage&) = default;
    LeadImage& operator=(const LeadImage&) = default;
    virtual ~LeadImage() = default;

    // Opens the file's first page. Throws NotAnImageError when no loader recognises the file;
    // every other problem (missing, unreadable, not a regular file, damaged, too large) is a
    // status. The file is opened once: every later read of its pixels comes from it, whatever
    // its path comes to name meanwhile.
    EngineStatus Load(const FilePath& path);

    // Size of the current image in pixels, upright after EXIF orientation; 0 when empty. For
    // frames held by holdFrames, the size of one frame.
    float width() const;
    float height() const;

    // The header of the file last loaded; empty when the last load failed.
    const SourceHeader& header() const { return header_; }

    // Resamples to w × h (each truncated to whole pixels, at least one). On a freshly loaded
    // file this decodes at reduced scale where the format allows.
    StepStatus Size(float w, float h);

    // Keeps width × height of the image (each truncated to whole pixels, at least one): from
    // left, top (Centre), or wherever the image is busiest (Attention, which ignores left, top).
    // Its failures are charged to Size, the step it belongs to.
    StepStatus Crop(float left, float top, float width, float height, CropAnchor anchor);

    // Makes this instance an independent copy of other's image.
    void copyFrom(const LeadImage& other);

    // Paints the whole image in one colour, 0x00BBGGRR.
    virtual EngineStatus Fill(quint32 colour);

    // Draws src, from (srcLeft, srcTop), into the rectangle left, top, width × height of this
    // image; parts outside this image are clipped. A source whose remaining size differs from
    // the rectangle is scaled to it. Transparency is flattened onto what lies beneath.
    virtual EngineStatus Combine(float left, float top, float width, float height,
                                 const LeadImage& src, float srcLeft, float srcTop);

    // The image as the writers take it: 8-bit sRGB, transparency flattened onto white, its
    // profile applied if that was put off. Lazy: nothing is decoded until its pixels are
    // pulled, once per Load. Throws vips::VError.
    vips::VImage rgb8() const;

    // The EXIF block of the file last loaded, as libvips found it; empty for none.
    const QByteArray& exif() const { return exif_; }

    // After step failed for no cause its message names: the source decoded again on its own,
    // to tell a damaged file (kCorruptData, charged to Load) from the step's own failure.
    // status::kOk when the source decodes whole or nothing was loaded.
    StepStatus sourceFault(Stage step) const;

    bool isEmpty() const { return !image_.get_image(); }

    // Lets the pixels go, keeping what is known of the file last loaded.
    void releasePixels() { image_ = vips::VImage(); }

    // True when the file last loaded is a JPEG whose data ends before its last row, which
    // libvips decodes with a grey remainder and a warning only (JpegCheck.h): decodes it again.
    bool sourceEndsBeforeItsLastRow() const;

    // The file last loaded, opened again with options, or through libvips' shrinking loader to
    // width pixels wide with loaderOptions ("n=-1"); for a reader of every frame (Animation.h).
    // Throws vips::VError.
    vips::VImage reopened(vips::VOption* options) const { return opened(options); }
    vips::VImage reopenedSmaller(int width, const std::string& loaderOptions,
                                 vips::VOption* options) const;
    // The name libvips opens the file last loaded by; empty for none or a drawing held in memory.
    std::string sourceName() const;
    // The bytes of the file last loaded; empty for none, a drawing, or more than maxBytes.
    QByteArray sourceBytes(qint64 maxBytes) const;

    // Holds frames, 8-bit sRGB frames of frameHeight rows each stacked top to bottom (with
    // page-height, delay and loop set), as the image from now on.
    void holdFrames(vips::VImage frames, int frameHeight);

    // Embedded profiles are applied with the batch's shared transforms from now on (copies
    // share them too); without, each image builds its own.
    void useColourTransforms(std::shared_ptr<ColourTransforms> transforms);

private:
    // image_ as 8-bit sRGB, its profile applied if that was put off.
    vips::VImage pixels() const;
    // The source loaded again, whole or through libvips' shrinking loader.
    vips::VImage opened(vips::VOption* options) const;
    // The source at width × height through libvips' shrinking loader, or resized when decoded.
    vips::VImage thumbnailOf(int width, int height) const;
    // Why Size or Crop failed with e: the cause the message names, a damaged source, or fallback.
    StepStatus failureStatus(const vips::VError& e, EngineStatus fallback) const;

    std::shared_ptr<const SourceFile> source_; // the file the pipeline reads from
    std::shared_ptr<VipsBlob> svg_;            // an SVG source, read into memory
    vips::VImage decoded_; // decoded whole by the engine's own reader, where libvips has none
    vips::VImage image_;
    SourceHeader header_;
    QByteArray exif_; // the EXIF block of the file last loaded, as libvips found it
    std::shared_ptr<ColourTransforms> transforms_;
    bool pristine_ = false;       // image_ is still the whole file, so a resize may shrink on load
    bool coloursPending_ = false; // image_ is the file as loaded, its profile not yet applied
    bool cmykFile_ = false; // the file holds CMYK, which thumbnail converts with the wrong profile
    bool decodeWhole_ = false;          // a resize reads the file whole: thumbnail would misread it
    std::optional<quint32> flatColour_; // set while image_ is one colour all over
    int frameHeight_ = 0;               // image_ holds frames of this many rows; 0: one picture
};

// The largest image, in pixels, the engine loads.
inline constexpr double kMaxPixels = 1.0e9;
// The longest row, in bytes, the engine loads: libvips works in strips of whole rows, so a
// header declaring ten million pixels of 257 bands asks for gigabytes per strip.
inline constexpr double kMaxRowBytes = 16.0 * 1024 * 1024;

} // namespace quillmorph
