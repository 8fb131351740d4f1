#include "engine/ClassicReading.h"

#include <vector>

// A Photoshop document's merged picture (the one after its layers) as ImageMagick reads it:
// 8-bit grey or RGB, whatever channels follow the colours.

namespace quillmorph::classic {

namespace {

constexpr const char* kFormat = "psd";

enum Mode : quint16 { kGrey = 1, kRgb = 3 };

struct PsdHeader {
    int channels = 0;
    qint64 height = 0;
    qint64 width = 0;
    quint16 mode = 0;
};

// The header, or a zero width for a document ours do not read.
PsdHeader headerOf(const QByteArray& bytes) {
    if (bytes.size() < 26 || !bytes.startsWith("8BPS"))
        return {};
    ByteCursor in(bytes, kFormat);
    in.seek(4);
    if (in.big16() != 1)
        return {}; // a large document (PSB)
    in.skip(6);
    PsdHeader h;
    h.channels = in.big16();
    h.height = in.big32();
    h.width = in.big32();
    const quint16 depth = in.big16();
    h.mode = in.big16();
    const int colours = h.mode == kGrey ? 1 : 3;
    if (depth != 8 || (h.mode != kGrey && h.mode != kRgb) || h.channels < colours ||
        h.channels > 56 || h.width <= 0 || h.height <= 0)
        return {};
    return h;
}

// Passes a section that begins with its length.
void skipSection(ByteCursor& in) {
    in.skip(in.big32());
}

} // namespace

bool readsPsd(const QByteArray& head) {
    return headerReads(head, headerOf);
}

vips::VImage decodedPsd(const QByteArray& bytes, const Limits& limits) {
    const PsdHeader h = headerOf(bytes);
    if (h.width <= 0)
        damaged(kFormat, "a header ours do not read");
    const int colours = h.mode == kGrey ? 1 : 3;
    // ImageMagick leaves the merged picture's further channels aside, its alpha too.
    const int bands = colours;
    if (limits.exceededBy(double(h.width), double(h.height), bands))
        return {};
    ByteCursor in(bytes, kFormat);
    in.seek(26);
    skipSection(in); // colour mode data
    skipSection(in); // image resources
    skipSection(in); // layers and masks
    const quint16 compression = in.big16();
    if (compression > 1)
        damaged(kFormat, "a compression ours do not read");
    const qint64 rows = qint64(bands) * h.height;
    std::vector<quint16> packedLengths;
    if (compression == 1) {
        // Every channel's row lengths come first, also of the channels not read.
        ByteCursor lengths = in;
        in.skip(2 * qint64(h.channels) * h.height);
        packedLengths.reserve(size_t(rows));
        for (qint64 i = 0; i < rows; ++i)
            packedLengths.push_back(lengths.big16());
    } else if (qint64(h.channels) * h.height * h.width > in.left()) {
        damaged(kFormat, "the file ends early");
    }
    Picture picture(int(h.width), int(h.height), bands);
    std::vector<uchar> plane(size_t(h.width));
    for (int channel = 0; channel < bands; ++channel) {
        for (qint64 y = 0; y < h.height; ++y) {
            const uchar* row = plane.data();
            if (compression == 1) {
                const QByteArray packed =
                    QByteArray::fromRawData(reinterpret_cast<const char*>(in.take(
                                                packedLengths[size_t(channel * h.height + y)])),
                                            packedLengths[size_t(channel * h.height + y)]);
                ByteCursor runs(packed, kFormat);
                unpackBits(runs, plane.data(), h.width);
            } else {
                row = in.take(h.width);
            }
            uchar* out = picture.row(int(y)) + channel;
            for (qint64 x = 0; x < h.width; ++x)
                out[x * bands] = row[x];
        }
    }
    return picture.image();
}

} // namespace quillmorph::classic
