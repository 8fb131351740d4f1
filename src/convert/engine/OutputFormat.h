#pragma once

#include <QString>
#include <array>

namespace quillmorph {

// The engine's code for each output format, as the format table lists it.
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

// How a format's bytes are produced (FormatWriters.h).
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
    bool usesQuality; // the quality value sets the saver's Q (as JPEG's, see jpegQualityFromFactor)
    int maxSide;      // the largest width or height the format stores
    bool carriesExif; // kept photo information is written into it (KeptExif.h); libvips
                      // 8.14 writes EXIF into JPEG, PNG, WebP and HEIF only
    int leastQuality; // the lowest saver Q the encoder honours; a lower one is taken as this
};

// Every format in the order the format box lists them: the eight of old first, then the newer.
const std::array<OutputFormat, 12>& outputFormats();

// The row whose name is text, compared exactly and case-sensitively; null when none is.
const OutputFormat* outputFormatFor(const QString& text);

// The row of an engine format code; null for a code no format has.
const OutputFormat* outputFormatFor(FormatCode code);

// What the format box or the command line named: a row of the table, or a text that names
// none, kept for the message a file gets when it reaches its format step.
struct FormatChoice {
    const OutputFormat* row = nullptr;
    QString unknownText; // the text, when row is null
};

// The choice a format text makes.
FormatChoice formatChoiceFor(const QString& text);

} // namespace quillmorph
