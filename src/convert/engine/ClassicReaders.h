#pragma once

#include <QByteArray>
#include <vips/vips8>

namespace quillmorph {

// Readers of our own for the formats libvips reads only through ImageMagick, for a libvips
// without it: the pixels ImageMagick's loader gives, 8 bits a sample, grey or RGB, with alpha
// where ImageMagick finds one. Any thread.

enum class ClassicFormat {
    None,
    Bmp,       // Windows bitmap: 1, 4, 8 bits through a palette, RLE8/RLE4, 16, 24, 32, bit fields
    Psd,       // Photoshop document, its merged picture: 8-bit grey or RGB, raw or PackBits
    Pict,      // Macintosh PICT 2: a PackBitsRect (palette) or DirectBitsRect (32 bits)
    SunRaster, // 8 bits (grey or palette), 24 and 32 bits, raw or run-length encoded
};

// How many bytes of a file's start classicFormatOf looks at.
inline constexpr qsizetype kClassicHeadBytes = 640;

// Which of ours reads a file that begins with head (its first kClassicHeadBytes, or all of a
// shorter file): None for a file none reads, also of a kind of those formats ours do not read.
ClassicFormat classicFormatOf(const QByteArray& head);

// The loader name a file decoded by ours is known by ("Bmp", "Psd", "Pict", "Sun").
const char* classicLoaderName(ClassicFormat format);

// What decoding gave: the picture whole in memory; or tooLarge, nothing decoded, when its header
// declares more than maxPixels or rows of more than maxRowBytes.
struct DecodedClassic {
    vips::VImage image;
    bool tooLarge = false;
};

// Decodes bytes of format, read in place. Throws vips::VError when they are damaged or cut short.
DecodedClassic decodedClassic(ClassicFormat format, const QByteArray& bytes, double maxPixels,
                              double maxRowBytes);

} // namespace quillmorph
