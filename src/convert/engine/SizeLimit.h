#pragma once

#include "engine/OutputFormat.h"

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <vips/vips8>

namespace quillmorph {

// A file-size limit as one file is held to it.
struct SizeLimit {
    qint64 bytes = 0;        // the most an output may hold; 0: no limit
    bool sizeIsFree = false; // the picture may be made smaller to fit (no fixed box)
};

// What holding a file to its limit gave: the bytes to store.
struct LimitedEncoding {
    QByteArray bytes;
    bool within = true; // false: even the smallest encoding is over the limit
    int quality = 0;    // the encoder quality (PNG: the palette's) that gave bytes; 0 lossless
    double scale = 1;   // how much the picture was made smaller
    bool judgedByEye = false; // its quality was judged by eye (encodeByEye), not the ceiling
};

// The formats a limit applies to: the lossy ones (their quality), PNG (a palette) and GIF
// (fewer colours).
bool sizeLimitApplies(const OutputFormat& format);

// One encoding of image at an encoder quality; palette for PNG's quantised form and GIF's
// fewer colours.
using QualityEncoder =
    std::function<QByteArray(const vips::VImage& image, int quality, bool palette)>;

// The bytes of rgb8 (decoded, held in memory) in format that fit limit.bytes, at the highest
// quality up to maxQuality, found by bisection over the qualities the encoder honours (from
// format.leastQuality): the first encoding is at maxQuality and is kept when it fits, the
// others search below it (about 8 in all). PNG
// is tried lossless first, then as a palette image over the quantiser's quality. When not even
// the lowest quality fits, the picture is made 10 % smaller at a time while limit.sizeIsFree
// and searched again; otherwise the smallest encoding is given, not within the limit.
LimitedEncoding encodeWithin(const vips::VImage& rgb8, const OutputFormat& format, int maxQuality,
                             const SizeLimit& limit, const QualityEncoder& encode);

} // namespace quillmorph
