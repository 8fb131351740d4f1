#include "engine/ClassicReading.h"

#include <array>
#include <bit>
#include <vector>

// Windows bitmaps as ImageMagick reads them: the first picture of a file with a core (OS/2 1)
// or an info header of version 3 to 5, its palette as RGB, its bit fields as ImageMagick
// widens them to 8 bits.

namespace quillmorph::classic {

namespace {

constexpr const char* kFormat = "bmp";

enum Compression : quint32 { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct BmpHeader {
    quint32 pixelsAt = 0;
    quint32 headerBytes = 0;
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way they run
    bool topDown = false;
    int bits = 0;
    quint32 compression = kRgb;
    quint32 coloursUsed = 0;
    std::array<quint32, 4> masks{}; // red, green, blue, alpha
};

bool knownHeaderSize(quint32 size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The header, or a zero width for a file ours do not read.
BmpHeader headerOf(const QByteArray& bytes) {
    BmpHeader h;
    if (bytes.size() < 26 || !bytes.startsWith("BM"))
        return h;
    ByteCursor in(bytes, kFormat);
    in.seek(10);
    h.pixelsAt = in.little32();
    h.headerBytes = in.little32();
    if (!knownHeaderSize(h.headerBytes))
        return h;
    if (h.headerBytes == 12) {
        h.width = in.little16();
        h.height = in.little16();
        in.skip(2);
        h.bits = in.little16();
    } else {
        if (bytes.size() < 14 + 40)
            return {};
        h.width = qint32(in.little32());
        const auto height = qint32(in.little32());
        h.topDown = height < 0;
        h.height = height < 0 ? -qint64(height) : qint64(height);
        in.skip(2);
        h.bits = in.little16();
        h.compression = in.little32();
        in.skip(12);
        h.coloursUsed = in.little32();
    }
    const bool palette = h.bits == 1 || h.bits == 4 || h.bits == 8;
    const bool fields = h.bits == 16 || h.bits == 32;
    const bool readable =
        (h.compression == kRgb && (palette || fields || h.bits == 24)) ||
        (h.compression == kRle8 && h.bits == 8) || (h.compression == kRle4 && h.bits == 4) ||
        ((h.compression == kBitFields || h.compression == kAlphaBitFields) && fields);
    if (!readable || h.width <= 0 || h.height <= 0)
        return {};
    return h;
}

// Where the bit fields are and what they hold; the palette follows them.
qint64 readMasks(const QByteArray& bytes, BmpHeader& h) {
    ByteCursor in(bytes, kFormat);
    const qint64 afterHeader = 14 + qint64(h.headerBytes);
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        const int count = h.compression == kAlphaBitFields ? 4 : 3;
        in.seek(14 + 40);
        for (int i = 0; i < count; ++i)
            h.masks[size_t(i)] = in.little32();
        if (h.headerBytes >= 56)
            h.masks[3] = in.little32();
        return h.headerBytes == 40 ? afterHeader + 4 * count : afterHeader;
    }
    if (h.bits == 16)
        h.masks = {0x7c00, 0x03e0, 0x001f, 0};
    else if (h.bits == 32)
        h.masks = {0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000}; // ImageMagick's alpha too
    return afterHeader;
}

// A field's value widened to 8 bits as ImageMagick widens it: set at the top of 16 bits, its
// bits repeated below, then scaled to 8 bits.
uchar widened(quint32 pixel, quint32 mask) {
    if (mask == 0)
        return 0;
    const int low = std::countr_zero(mask);
    const int bits = std::min(16, std::popcount(mask));
    quint32 value = (((pixel & mask) >> low) & ((1u << bits) - 1)) << (16 - bits);
    for (int filled = bits; filled < 16; filled *= 2)
        value |= value >> filled;
    value &= 0xffff;
    if (bits <= 8)
        return uchar(value >> 8);
    return uchar(((value + 128) - ((value + 128) >> 8)) >> 8);
}

using Palette = std::vector<std::array<uchar, 3>>;

Palette paletteOf(const QByteArray& bytes, const BmpHeader& h, qint64 at) {
    const qint64 wanted = h.coloursUsed != 0 && h.coloursUsed < (1u << h.bits)
                              ? qint64(h.coloursUsed)
                              : qint64(1) << h.bits;
    const int entry = h.headerBytes == 12 ? 3 : 4;
    // A palette cut short by the pixels' start has the colours before it.
    const qint64 room = (qint64(h.pixelsAt) - at) / entry;
    const qint64 count = room > 0 ? std::min(wanted, room) : wanted;
    ByteCursor in(bytes, kFormat);
    in.seek(at);
    Palette palette(size_t(count), {0, 0, 0});
    for (auto& colour : palette) {
        const uchar* bgr = in.take(entry);
        colour = {bgr[2], bgr[1], bgr[0]};
    }
    return palette;
}

// The palette indices of an RLE8 or RLE4 bitmap, rows in the file's order; what its codes
// skip stays index 0. Runs are cut at the end of the picture, as ImageMagick cuts them.
std::vector<uchar> rleIndices(ByteCursor& in, const BmpHeader& h) {
    const qint64 width = h.width;
    const qint64 total = width * h.height;
    std::vector<uchar> indices(size_t(total), 0);
    const bool four = h.compression == kRle4;
    qint64 x = 0;
    qint64 y = 0;
    const auto place = [&](uchar index) {
        const qint64 at = y * width + x;
        if (at >= 0 && at < total)
            indices[size_t(at)] = index;
        ++x;
    };
    while (y < h.height) {
        const int count = in.u8();
        const int code = in.u8();
        if (count > 0) {
            for (int i = 0; i < count && y * width + x < total; ++i)
                place(four ? uchar(i % 2 == 0 ? code >> 4 : code & 0x0f) : uchar(code));
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            x += in.u8();
            y += in.u8();
        } else {
            const int bytes = four ? (code + 1) / 2 : code;
            const uchar* literal = in.take(bytes);
            for (int i = 0; i < code && y * width + x < total; ++i)
                place(four ? uchar(i % 2 == 0 ? literal[i / 2] >> 4 : literal[i / 2] & 0x0f)
                           : literal[i]);
            in.skip(bytes % 2);
        }
    }
    return indices;
}

uchar indexAt(const uchar* row, qint64 x, int bits) {
    if (bits == 8)
        return row[x];
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (int(x % perByte) + 1);
    return uchar((row[x / perByte] >> shift) & ((1 << bits) - 1));
}

void fillFromPalette(Picture& picture, const BmpHeader& h, const Palette& palette,
                     const std::vector<uchar>& rle, ByteCursor& in) {
    const qint64 stride = (h.width * h.bits + 31) / 32 * 4;
    for (qint64 fileRow = 0; fileRow < h.height; ++fileRow) {
        const uchar* row = rle.empty() ? in.take(stride) : rle.data() + size_t(fileRow * h.width);
        const int bits = rle.empty() ? h.bits : 8;
        uchar* out = picture.row(int(h.topDown ? fileRow : h.height - 1 - fileRow));
        for (qint64 x = 0; x < h.width; ++x) {
            const uchar index = indexAt(row, x, bits);
            // An index beyond the palette is its first colour, as ImageMagick reads it.
            const auto& colour = palette[index < palette.size() ? index : 0];
            std::copy(colour.begin(), colour.end(), out + x * 3);
        }
    }
}

void fillDirect(Picture& picture, const BmpHeader& h, ByteCursor& in) {
    const qint64 stride = (h.width * h.bits + 31) / 32 * 4;
    const int bands = picture.bands();
    for (qint64 fileRow = 0; fileRow < h.height; ++fileRow) {
        const uchar* row = in.take(stride);
        uchar* out = picture.row(int(h.topDown ? fileRow : h.height - 1 - fileRow));
        for (qint64 x = 0; x < h.width; ++x, out += bands) {
            if (h.bits == 24) {
                const uchar* bgr = row + x * 3;
                out[0] = bgr[2];
                out[1] = bgr[1];
                out[2] = bgr[0];
                continue;
            }
            const quint32 pixel = h.bits == 16 ? qFromLittleEndian<quint16>(row + x * 2)
                                               : qFromLittleEndian<quint32>(row + x * 4);
            for (int c = 0; c < bands; ++c)
                out[c] = widened(pixel, h.masks[size_t(c)]);
        }
    }
}

} // namespace

bool readsBmp(const QByteArray& head) {
    return headerReads(head, headerOf);
}

vips::VImage decodedBmp(const QByteArray& bytes, const Limits& limits) {
    BmpHeader h = headerOf(bytes);
    if (h.width <= 0)
        damaged(kFormat, "a header ours do not read");
    const qint64 paletteAt = readMasks(bytes, h);
    const bool palette = h.bits <= 8;
    const int bands = palette || h.bits == 24 || h.masks[3] == 0 ? 3 : 4;
    if (limits.exceededBy(double(h.width), double(h.height), bands))
        return {};
    const Palette colours = palette ? paletteOf(bytes, h, paletteAt) : Palette();
    ByteCursor in(bytes, kFormat);
    in.seek(h.pixelsAt);
    // Every row of an uncompressed bitmap is in the file before any memory is taken for it.
    if (h.compression != kRle8 && h.compression != kRle4 &&
        (h.width * h.bits + 31) / 32 * 4 * h.height > in.left())
        damaged(kFormat, "the file ends early");
    const std::vector<uchar> rle =
        h.compression == kRle8 || h.compression == kRle4 ? rleIndices(in, h) : std::vector<uchar>();
    Picture picture(int(h.width), int(h.height), bands);
    if (palette)
        fillFromPalette(picture, h, colours, rle, in);
    else
        fillDirect(picture, h, in);
    return picture.image();
}

} // namespace quillmorph::classic
