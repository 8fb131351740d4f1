#pragma once

#include "engine/FitGeometry.h"
#include "engine/OutputFormat.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace quillmorph {

// The box a picture is fitted into, in pixels; each side 1…32767.
struct BoxSize {
    int width = 600;
    int height = 450;
    friend bool operator==(const BoxSize&, const BoxSize&) = default;
};

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
    bool qualityByEye = false; // the quality per picture, the lowest that looks the same
                               // (QualityByEye.h); the quality value is its ceiling
};

// The box side typed by the user: the text as a single-precision number, rounded half to
// even; empty unless the result is 1…32767.
std::optional<int> boxSideFromText(const QString& text);

// The box that width and height texts give (each side as boxSideFromText reads it); empty
// unless both are sides.
std::optional<BoxSize> boxFromText(const QString& width, const QString& height);

} // namespace quillmorph
