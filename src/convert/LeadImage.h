#pragma once

#include "EngineStatus.h"
#include "FilePath.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vips/vips8>

namespace quillmorph {

class PartialOutput;

// Thrown by LeadImage::Load when the file is not an image any loader of the engine can read.
class NotAnImageError : public std::runtime_error {
public:
    explicit NotAnImageError(const FilePath& path);
};

// Output format codes understood by LeadImage::Save.
enum class FormatCode : int {
    Gif = 2,
    Cmp = 5,
    Bmp = 6,
    Jpeg = 10,
    Ras = 55,
    Pct = 56,
    Png = 75,
    Psd = 76,
    Webp = 100,
    Avif = 101,
    Jxl = 102,
    Tiff = 103,
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
    // every other problem (missing, unreadable, damaged, too large) is a status.
    EngineStatus Load(const FilePath& path);

    // Size of the current image in pixels, upright after EXIF orientation; 0 when empty.
    float width() const;
    float height() const;

    // Resamples to w × h (each truncated to whole pixels, at least one). On a freshly loaded
    // file this decodes at reduced scale where the format allows.
    EngineStatus Size(float w, float h);

    // Makes this instance an independent copy of other's image.
    void copyFrom(const LeadImage& other);

    // Paints the whole image in one colour, 0x00BBGGRR.
    virtual EngineStatus Fill(quint32 colour);

    // Draws src, from (srcLeft, srcTop), into the rectangle left, top, width × height of this
    // image; parts outside this image are clipped. A source whose remaining size differs from
    // the rectangle is scaled to it. Transparency is flattened onto what lies beneath.
    virtual EngineStatus Combine(float left, float top, float width, float height, const LeadImage& src,
                         float srcLeft, float srcTop);

    // Writes the image to path as 8-bit sRGB without metadata, through a temporary file in the
    // same folder that is renamed into place only when complete; never replaces an existing
    // file. qualityFactor: 2 is best (see jpegQualityFromFactor). A loaded file streams through
    // the pipeline once: save once per Load.
    EngineStatus Save(const FilePath& path, int formatCode, int qualityFactor) const;

    // Save's first half: writes the file under a temporary name in folder, for the caller to
    // commit under its final name later (or drop, which removes it).
    EngineStatus Encode(const FilePath& folder, int formatCode, int qualityFactor,
                        PartialOutput& output) const;

    // Bytes that decoding and converting the loaded file may hold at once: small where the
    // loader streams or shrinks on load into a box of boxPixels, the whole image otherwise
    // (boxPixels 0: the image keeps its size).
    double workingBytes(double boxPixels) const;

    // What converting the loaded file costs, relative to other files, from its header alone:
    // its pixels, weighted by how dear its loader decodes them.
    double relativeCost() const;

    bool isEmpty() const { return !image_.get_image(); }

private:
    std::string vipsName() const;
    bool progressiveJpeg() const;
    EngineStatus saveFailureStatus(const FilePath& folder) const;

    vips::VImage image_;
    FilePath path_;      // the file the pipeline reads from
    std::string loader_; // the vips loader that recognised it
    std::shared_ptr<const QTemporaryDir> alias_; // holds a vips-safe link to path_ when needed
    bool pristine_ = false; // image_ is still the whole file, so a resize may shrink on load
    bool cmykFile_ = false; // the file holds CMYK, which thumbnail converts with the wrong profile
    std::optional<quint32> flatColour_; // set while image_ is one colour all over
};

// JPEG quality 1…100 for a quality factor: 2 gives 100, each 2.52 more one step less.
int jpegQualityFromFactor(int qualityFactor);

// The largest image, in pixels, the engine loads.
inline constexpr double kMaxPixels = 1.0e9;

} // namespace quillmorph

namespace quillmorph {

// Starts libvips once per process, before any LeadImage is used or any worker starts; false
// when it cannot start. Keeps vips' operation cache off so a batch never grows it.
bool startImagingEngine(const char* argv0);

} // namespace quillmorph
