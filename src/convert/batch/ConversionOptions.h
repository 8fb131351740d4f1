#pragma once

#include "engine/FitGeometry.h"
#include "engine/OutputFormat.h"
#include "files/NamePattern.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace quillmorph {

// The box a picture is fitted into, in pixels; each side 1…32767. A side of 0 follows the other
// by each picture's proportions; a percent above 0 makes each picture that share of its own size
// (the sides then unused). Either way the box is the picture's own shape: see forPicture.
struct BoxSize {
    int width = 600;
    int height = 450;
    float percent = 0;
    friend bool operator==(const BoxSize&, const BoxSize&) = default;

    // True when the box follows each picture's shape (a percent or one side).
    bool followsPicture() const { return percent > 0 || width == 0 || height == 0; }
    // The whole-pixel box for a picture of sourceWidth × sourceHeight, each side 1…32767.
    BoxSize forPicture(double sourceWidth, double sourceHeight) const;
};

// The largest share of its own size a picture may be given, in percent.
inline constexpr float kMaxPercent = 1000;

// How files are converted, parsed once where the user gave it (the window's controls, the
// command line over the stored settings). A box or format the user's text did not name stays
// in the value as such: a file fails on it only when it reaches the step that needs it.
struct ConversionOptions {
    bool sizeConversion = false;            // fit into box; off, a picture keeps its own size
    std::optional<BoxSize> box = BoxSize{}; // empty: the width or height was not 1…32767
    FormatChoice format = formatChoiceFor(QStringLiteral("JPEG"));
    qint16 qualityFactor = 2;     // handed to every save; 2 is best
    quint32 backColor = 0xFFFFFF; // margin colour, 0x00BBGGRR
    bool keepGoing = false;       // a failed file is listed and the batch goes on
    FitMode fitMode = FitMode::Pad;
    CropAnchor crop = CropAnchor::Centre; // Fill only
    bool noEnlarge = false;               // a picture smaller than the box keeps its own size
    bool keepExif = false;                // the photo information of KeptExif.h; otherwise none
    bool keepDates = false;               // the output's modification time is the source's
    qint64 sizeLimitBytes = 0; // each output at most this many bytes where the format allows
                               // (SizeLimit.h); 0: no limit
    NamePattern namePattern;   // empty: each output keeps its source's name
    QString presetName;        // the preset the options came from, for {preset}; may be empty
    bool qualityByEye = false; // the quality per picture, the lowest that looks the same
                               // (QualityByEye.h); the quality value is its ceiling
};

// The box side typed by the user: the text as a single-precision number, rounded half to
// even; empty unless the result is 1…32767.
std::optional<int> boxSideFromText(const QString& text);

// The box that width and height texts give: two sides (as boxSideFromText reads them); one side
// with the other empty or "*"; or a percent ("50%", above 0, at most kMaxPercent) in either text,
// the other then empty, "*", a number or the same percent. Empty for anything else.
std::optional<BoxSize> boxFromText(const QString& width, const QString& height);

} // namespace quillmorph
