#include "engine/ClassicReading.h"

#include <array>
#include <vector>

// Macintosh PICT 2 as ImageMagick reads it, as far as one picture goes: a PackBitsRect of
// 1 to 8 bits through its colour table, or a DirectBitsRect of 32 bits packed by component
// planes (what our writer and ImageMagick's write).

namespace quillmorph::classic {

namespace {

constexpr const char* kFormat = "pict";
// Where the opcodes start: after the 512 bytes left to an application, the size and the frame.
constexpr qsizetype kOpcodesAt = 522;

struct Rect {
    qint64 width = 0;
    qint64 height = 0;
};

Rect rectOf(ByteCursor& in) {
    const auto top = qint16(in.big16());
    const auto left = qint16(in.big16());
    const auto bottom = qint16(in.big16());
    const auto right = qint16(in.big16());
    return {qint64(right) - left, qint64(bottom) - top};
}

struct PixMap {
    Rect bounds;
    qint64 rowBytes = 0;
    int packType = 0;
    int pixelSize = 0;
    int components = 0;
};

// The pixmap's fields after its row bytes and bounds.
PixMap pixMapOf(ByteCursor& in, quint16 rowBytes) {
    PixMap map;
    map.rowBytes = rowBytes & 0x7fff;
    map.bounds = rectOf(in);
    in.skip(2); // version
    map.packType = in.big16();
    in.skip(4 + 4 + 4 + 2); // packed size, resolutions, pixel type
    map.pixelSize = in.big16();
    map.components = in.big16();
    in.skip(2 + 4 + 4 + 4); // component size, plane bytes, table, reserved
    return map;
}

// One row of a pixmap: line bytes, as they are when fewer than eight, else PackBits after a
// count of one byte (two past 200).
void rowInto(ByteCursor& in, uchar* line, qint64 lineBytes, qint64 countBytesAbove) {
    if (lineBytes < 8) {
        const uchar* raw = in.take(lineBytes);
        std::copy_n(raw, lineBytes, line);
        return;
    }
    const qint64 packed = lineBytes > countBytesAbove ? in.big16() : in.u8();
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(in.take(packed)), qsizetype(packed));
    ByteCursor runs(bytes, kFormat);
    unpackBits(runs, line, lineBytes);
}

bool sizeRead(const Rect& r) {
    return r.width > 0 && r.height > 0;
}

void skipRects(ByteCursor& in) {
    in.skip(8 + 8 + 2); // source, destination, transfer mode
}

vips::VImage directBits(ByteCursor& in, const Limits& limits) {
    in.skip(4); // base address
    const PixMap map = pixMapOf(in, in.big16());
    if (!sizeRead(map.bounds) || map.pixelSize != 32 || map.packType != 4 ||
        (map.components != 3 && map.components != 4))
        damaged(kFormat, "a pixmap ours do not read");
    if (limits.exceededBy(double(map.bounds.width), double(map.bounds.height), 4))
        return {};
    skipRects(in);
    Picture picture(int(map.bounds.width), int(map.bounds.height), 3);
    const qint64 width = map.bounds.width;
    const qint64 lineBytes = width * map.components;
    std::vector<uchar> line(static_cast<size_t>(lineBytes));
    // With four planes the first is alpha, which ImageMagick leaves aside too.
    const qint64 first = map.components == 4 ? width : 0;
    for (int y = 0; y < picture.height(); ++y) {
        rowInto(in, line.data(), lineBytes, 200);
        uchar* out = picture.row(y);
        for (qint64 x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c)
                out[x * 3 + c] = line[size_t(first + c * width + x)];
        }
    }
    return picture.image();
}

uchar indexAt(const uchar* row, qint64 x, int bits) {
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (int(x % perByte) + 1);
    return uchar((row[x / perByte] >> shift) & ((1 << bits) - 1));
}

vips::VImage packBits(ByteCursor& in, const Limits& limits) {
    const quint16 rowBytes = in.big16();
    if ((rowBytes & 0x8000) == 0)
        damaged(kFormat, "a bitmap ours do not read");
    const PixMap map = pixMapOf(in, rowBytes);
    const int bits = map.pixelSize;
    if (!sizeRead(map.bounds) || (bits != 1 && bits != 2 && bits != 4 && bits != 8) ||
        map.rowBytes * 8 < map.bounds.width * bits)
        damaged(kFormat, "a pixmap ours do not read");
    if (limits.exceededBy(double(map.bounds.width), double(map.bounds.height), 3))
        return {};
    in.skip(4); // seed
    const bool byPosition = (in.big16() & 0x8000) != 0;
    const int entries = in.big16() + 1;
    std::vector<std::array<uchar, 3>> table(256, {0, 0, 0});
    for (int i = 0; i < entries; ++i) {
        const int value = in.big16();
        std::array<uchar, 3> colour{};
        for (uchar& c : colour) {
            const quint32 wide = in.big16();
            c = uchar(((wide + 128) - ((wide + 128) >> 8)) >> 8);
        }
        const int index = byPosition ? i : value;
        if (index >= 0 && index < 256)
            table[size_t(index)] = colour;
    }
    skipRects(in);
    Picture picture(int(map.bounds.width), int(map.bounds.height), 3);
    std::vector<uchar> line(size_t(map.rowBytes));
    for (int y = 0; y < picture.height(); ++y) {
        rowInto(in, line.data(), map.rowBytes, 200);
        uchar* out = picture.row(y);
        for (qint64 x = 0; x < map.bounds.width; ++x) {
            const auto& colour = table[indexAt(line.data(), x, bits)];
            std::copy(colour.begin(), colour.end(), out + x * 3);
        }
    }
    return picture.image();
}

} // namespace

bool readsPict(const QByteArray& head) {
    static constexpr char kVersion2[] = {0x00, 0x11, 0x02, char(0xff), 0x0c, 0x00};
    return head.size() >= kOpcodesAt + qsizetype(sizeof kVersion2) &&
           head.mid(kOpcodesAt, sizeof kVersion2) == QByteArray(kVersion2, sizeof kVersion2);
}

vips::VImage decodedPict(const QByteArray& bytes, const Limits& limits) {
    if (!readsPict(bytes))
        damaged(kFormat, "a header ours do not read");
    ByteCursor in(bytes, kFormat);
    in.seek(kOpcodesAt);
    for (;;) {
        // Opcodes of version 2 start on even bytes.
        in.seek((in.at() + 1) / 2 * 2);
        const quint16 op = in.big16();
        switch (op) {
        case 0x0000: // nothing
        case 0x001e: // default highlight
            break;
        case 0x0011: // version
        case 0x00a0: // short comment
            in.skip(2);
            break;
        case 0x0c00: // extended header
            in.skip(24);
            break;
        case 0x0001: { // clip region: its size counts itself
            const int size = in.big16();
            if (size < 2)
                damaged(kFormat, "a region of no size");
            in.skip(size - 2);
            break;
        }
        case 0x00a1: // long comment
            in.skip(2);
            in.skip(in.big16());
            break;
        case 0x0098:
            return packBits(in, limits);
        case 0x009a:
            return directBits(in, limits);
        default:
            damaged(kFormat, "an opcode ours do not read");
        }
    }
}

} // namespace quillmorph::classic
