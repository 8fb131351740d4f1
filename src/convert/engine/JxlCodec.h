#pragma once

#include <QByteArray>
#include <vips/vips8>

namespace quillmorph {

// JPEG XL through libjxl itself, for a libvips built without it: the same settings libvips'
// jxlsave is given, and the pixels its jxlload gives.

// The butteraugli distance libvips' jxlsave encodes a saver quality (1…100) at.
double jxlDistanceForQuality(int quality);

// Encodes an 8-bit image of three bands (sRGB) or one (grey) as JPEG XL at quality's distance
// (libjxl's effort 7) into target, and ends it. Throws vips::VError.
void writeJxl(const vips::VImage& image, const vips::VTarget& target, int quality);

// True when bytes begin as a JPEG XL codestream or container does.
bool looksLikeJxl(const QByteArray& head);

// What decoding a JPEG XL gave: its first frame whole in memory, as jxlload gives it (8 or
// 16 bits, or float, a band a channel, the colour profile attached, the orientation in its
// field and not applied); or tooLarge when its header declares more than maxPixels or rows of
// more than maxRowBytes, nothing decoded.
struct DecodedJxl {
    vips::VImage image;
    bool tooLarge = false;
};

// Decodes bytes, read in place. Throws vips::VError when they are no JPEG XL or damaged.
DecodedJxl decodedJxl(const QByteArray& bytes, double maxPixels, double maxRowBytes);

} // namespace quillmorph
