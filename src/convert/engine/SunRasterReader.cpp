#include "engine/ClassicReading.h"

#include <array>
#include <vector>

// Sun rasters as ImageMagick reads them: 8 bits through the colour map or grey without one, 24
// bits BGR (RGB in the RGB and encoded kinds), 32 bits with alpha first; raw or run-length
// encoded.

namespace quillmorph::classic {

namespace {

constexpr const char* kFormat = "sun";
constexpr quint32 kMagic = 0x59a66a95;

enum Type : quint32 { kOld = 0, kStandard = 1, kEncoded = 2, kRgbOrder = 3 };

struct SunHeader {
    qint64 width = 0;
    qint64 height = 0;
    int depth = 0;
    quint32 type = kStandard;
    quint32 mapType = 0;
    quint32 mapBytes = 0;
};

// The header, or a zero width for a raster ours do not read.
SunHeader headerOf(const QByteArray& bytes) {
    if (bytes.size() < 32)
        return {};
    ByteCursor in(bytes, kFormat);
    if (in.big32() != kMagic)
        return {};
    SunHeader h;
    h.width = in.big32();
    h.height = in.big32();
    h.depth = int(in.big32());
    in.skip(4); // the data's length, which old rasters leave zero
    h.type = in.big32();
    h.mapType = in.big32();
    h.mapBytes = in.big32();
    const bool depthRead = h.depth == 8 || h.depth == 24 || h.depth == 32;
    // ImageMagick refuses the old kind, whose length field may be zero.
    if (!depthRead || h.type == kOld || h.type > kRgbOrder || h.mapType > 1 ||
        (h.mapType == 1) != (h.mapBytes > 0) || h.width <= 0 || h.height <= 0)
        return {};
    return h;
}

// Run-length encoded data unpacked until it fills size bytes: 0x80 n v is n + 1 times v,
// 0x80 0 a single 0x80.
std::vector<uchar> unpackedRuns(ByteCursor& in, qint64 size) {
    std::vector<uchar> out;
    // A run of three bytes gives at most 256: room for what the rest of the file can give.
    out.reserve(size_t(std::min<qint64>(size, 86 * qint64(in.left()))));
    while (qint64(out.size()) < size) {
        const uchar value = in.u8();
        if (value != 0x80) {
            out.push_back(value);
            continue;
        }
        const int count = in.u8();
        const uchar repeated = count == 0 ? uchar(0x80) : in.u8();
        out.insert(out.end(), size_t(std::min<qint64>(count + 1, size - qint64(out.size()))),
                   repeated);
    }
    return out;
}

} // namespace

bool readsSunRaster(const QByteArray& head) {
    return headerReads(head, headerOf);
}

vips::VImage decodedSunRaster(const QByteArray& bytes, const Limits& limits) {
    const SunHeader h = headerOf(bytes);
    if (h.width <= 0)
        damaged(kFormat, "a header ours do not read");
    const bool mapped = h.depth == 8 && h.mapType == 1;
    // ImageMagick gives grey as RGB.
    const int bands = h.depth == 32 ? 4 : 3;
    if (limits.exceededBy(double(h.width), double(h.height), bands))
        return {};
    ByteCursor in(bytes, kFormat);
    in.seek(32);
    std::vector<std::array<uchar, 3>> map;
    if (h.mapType == 1) {
        const qint64 entries = h.mapBytes / 3;
        const uchar* planes = in.take(h.mapBytes);
        for (qint64 i = 0; i < entries && i < 256; ++i)
            map.push_back({planes[i], planes[entries + i], planes[2 * entries + i]});
    }
    const qint64 rowBytes = (h.width * (h.depth / 8) + 1) / 2 * 2;
    std::vector<uchar> unpacked;
    if (h.type == kEncoded) {
        unpacked = unpackedRuns(in, rowBytes * h.height);
    } else if (rowBytes * h.height > in.left()) {
        damaged(kFormat, "the file ends early");
    }
    Picture picture(int(h.width), int(h.height), bands);
    // ImageMagick takes BGR from the standard kinds only, RGB from an encoded one too.
    const bool rgbOrder = h.type == kRgbOrder || h.type == kEncoded;
    for (qint64 y = 0; y < h.height; ++y) {
        const uchar* row =
            h.type == kEncoded ? unpacked.data() + size_t(y * rowBytes) : in.take(rowBytes);
        uchar* out = picture.row(int(y));
        for (qint64 x = 0; x < h.width; ++x) {
            if (h.depth == 8) {
                if (!mapped) {
                    std::fill_n(out + x * 3, 3, row[x]);
                    continue;
                }
                // An index beyond the map is its first colour, as ImageMagick reads it.
                const auto& colour = map[row[x] < map.size() ? row[x] : 0];
                std::copy(colour.begin(), colour.end(), out + x * 3);
                continue;
            }
            const uchar* p = row + x * (h.depth / 8);
            uchar* q = out + x * bands;
            if (h.depth == 32)
                q[3] = *p++;
            q[0] = rgbOrder ? p[0] : p[2];
            q[1] = p[1];
            q[2] = rgbOrder ? p[2] : p[0];
        }
    }
    return picture.image();
}

} // namespace quillmorph::classic
