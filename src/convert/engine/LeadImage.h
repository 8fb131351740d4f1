#pragma once

#include "engine/FitGeometry.h"
#include "engine/OutputFormat.h"
#include "engine/SizeLimit.h"
#include "files/EngineStatus.h"
#include "files/FilePath.h"
#include "files/Folder.h"

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
    std::string loader; // the vips loader that recognised the file (its class name)
    int width = 0;      // upright, after EXIF orientation
    int height = 0;
    bool interlaced = false;       // a progressive JPEG, an interlaced PNG
    int bytesPerPixel = 0;         // as the loader gives the pixels
    bool alpha = false;            // the pixels have an alpha band
    bool chromaSubsampled = false; // a JPEG whose colour planes have fewer samples
    bool turned = false;           // its orientation turns or mirrors it
};

// One image instance of the imaging engine, over a lazy libvips pipeline: nothing is decoded
// until Save pulls the pixels through, so a resize whose result is later painted over costs
// nothing. Every operation returns status::kOk or an engine status. Not thread-safe; one
// instance is used by one thread at a time. Copies share no mutable state.
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

    // Size of the current image in pixels, upright after EXIF orientation; 0 when empty.
    float width() const;
    float height() const;

    // The header of the file last loaded; empty when the last load failed.
    const SourceHeader& header() const { return header_; }

    // Resamples to w × h (each truncated to whole pixels, at least one). On a freshly loaded
    // file this decodes at reduced scale where the format allows.
    EngineStatus Size(float w, float h);

    // Keeps width × height of the image (each truncated to whole pixels, at least one): from
    // left, top (Centre), or wherever the image is busiest (Attention, which ignores left, top).
    EngineStatus Crop(float left, float top, float width, float height, CropAnchor anchor);

    // Makes this instance an independent copy of other's image.
    void copyFrom(const LeadImage& other);

    // Paints the whole image in one colour, 0x00BBGGRR.
    virtual EngineStatus Fill(quint32 colour);

    // Draws src, from (srcLeft, srcTop), into the rectangle left, top, width × height of this
    // image; parts outside this image are clipped. A source whose remaining size differs from
    // the rectangle is scaled to it. Transparency is flattened onto what lies beneath.
    virtual EngineStatus Combine(float left, float top, float width, float height,
                                 const LeadImage& src, float srcLeft, float srcTop);

    // Writes the image to path in format as 8-bit sRGB without metadata, through a temporary
    // file in the same folder that is renamed into place only when complete; never replaces an
    // existing file. qualityFactor: 2 is best (see jpegQualityFromFactor). A loaded file
    // streams through the pipeline once: save once per Load.
    EngineStatus Save(const FilePath& path, const OutputFormat& format, int qualityFactor) const;

    // Save's first half: writes the file under a temporary name in folder, for the caller to
    // commit under its final name later (or drop, which removes it). keepExif: the photo
    // information of the file last loaded (KeptExif.h) goes into formats that carry EXIF.
    EngineStatus Encode(const Folder& folder, const OutputFormat& format, int qualityFactor,
                        PartialOutput& output, bool keepExif = false) const;

    // Encode held to a file-size limit, for a format it applies to (sizeLimitApplies): the
    // pixels are decoded once and encoded at the best quality, not above the one qualityFactor
    // gives, whose file fits (SizeLimit.h); result tells how that went.
    EngineStatus EncodeWithin(const Folder& folder, const OutputFormat& format, int qualityFactor,
                              const SizeLimit& limit, PartialOutput& output, bool keepExif,
                              LimitedEncoding& result) const;

    // The same encoding into memory: bytes receives the whole file. The statuses are Encode's
    // except those of the file system.
    EngineStatus EncodeToMemory(const OutputFormat& format, int qualityFactor, QByteArray& bytes,
                                bool keepExif = false) const;

    bool isEmpty() const { return !image_.get_image(); }

    // Lets the pixels go, keeping what is known of the file last loaded.
    void releasePixels() { image_ = vips::VImage(); }

    // True when the file last loaded is a JPEG whose data ends before its last row, which
    // libvips decodes with a grey remainder and a warning only (JpegCheck.h): decodes it again.
    bool sourceEndsBeforeItsLastRow() const;

    // Embedded profiles are applied with the batch's shared transforms from now on (copies
    // share them too); without, each image builds its own.
    void useColourTransforms(std::shared_ptr<ColourTransforms> transforms);

private:
    // Gets the image as 8-bit sRGB and the photo information to keep (empty for none).
    using Writing = std::function<void(const vips::VImage&, const QByteArray&)>;
    // Encode's checks, its output made and dropped on failure, around write.
    EngineStatus encodeInto(const Folder& folder, const OutputFormat& format,
                            PartialOutput& output, bool keepExif, const Writing& write) const;
    // image_ as 8-bit sRGB, its profile applied if that was put off.
    vips::VImage pixels() const;
    // The source loaded again, whole or through libvips' shrinking loader.
    vips::VImage opened(vips::VOption* options) const;
    vips::VImage thumbnailOf(int width, vips::VOption* options) const;
    EngineStatus encodableAs(const OutputFormat& format) const;
    // write's failures as a status.
    EngineStatus encodeStatus(const OutputFormat& format, bool keepExif, const Folder& folder,
                              const Writing& write) const;
    // Why a step that pulls pixels failed with e (folder: where its output was going, if
    // anywhere): the cause the message names, the folder gone, a damaged source, or fallback.
    EngineStatus failureStatus(const vips::VError& e, EngineStatus fallback,
                               const Folder& folder) const;

    std::shared_ptr<const SourceFile> source_; // the file the pipeline reads from
    std::shared_ptr<VipsBlob> svg_;           // an SVG source, read into memory
    vips::VImage image_;
    SourceHeader header_;
    QByteArray exif_; // the EXIF block of the file last loaded, as libvips found it
    std::shared_ptr<ColourTransforms> transforms_;
    bool pristine_ = false; // image_ is still the whole file, so a resize may shrink on load
    bool coloursPending_ = false; // image_ is the file as loaded, its profile not yet applied
    bool cmykFile_ = false; // the file holds CMYK, which thumbnail converts with the wrong profile
    std::optional<quint32> flatColour_; // set while image_ is one colour all over
};

// The largest image, in pixels, the engine loads.
inline constexpr double kMaxPixels = 1.0e9;
// The longest row, in bytes, the engine loads: libvips works in strips of whole rows, so a
// header declaring ten million pixels of 257 bands asks for gigabytes per strip.
inline constexpr double kMaxRowBytes = 16.0 * 1024 * 1024;

} // namespace quillmorph
