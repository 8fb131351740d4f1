#pragma once

#include "LeadImage.h"

#include <QString>
#include <array>
#include <optional>

namespace quillmorph {

// How a format's bytes are produced.
enum class Writer {
    Jfif,   // libvips' JPEG encoder, with the JFIF marker put back
    Vips,   // a libvips saver operation
    Magick, // libvips' ImageMagick saver
    Psd,    // our own 8-bit PSD writer
};

// One output format: everything the batch and the engine need to know of it.
struct OutputFormat {
    const char* name;      // as chosen in the format box
    const char* extension; // appended to the output name
    FormatCode code;
    Writer writer;
    const char* saver;   // Vips: the saver operation; Magick: ImageMagick's format name
    const char* options; // further saver options, "name=value,…" as libvips parses them
    bool usesQuality;    // the quality value sets the saver's Q (as JPEG's, see jpegQualityFromFactor)
    int maxSide;         // the largest width or height the format stores
};

// Every format in the order the format box lists them: the eight of old first, then the newer.
const std::array<OutputFormat, 12>& outputFormats();

// Exact, case-sensitive lookup of a format box text.
std::optional<OutputFormat> outputFormatFor(const QString& text);

// The format an engine format code stands for.
std::optional<OutputFormat> outputFormatForCode(int code);

// False when this system's libvips was built without the encoder the format needs. Any thread,
// after startImagingEngine.
bool canWrite(const OutputFormat& format);

} // namespace quillmorph
