#include "engine/ClassicWriters.h"

#include "engine/ByteOrder.h"

#include <QByteArray>
#include <algorithm>
#include <glib.h>
#include <memory>

namespace quillmorph {

using vips::VError;
using vips::VImage;
using vips::VTarget;

namespace {

// The picture as packed RGB bytes, row after row, grey spread over the three.
class RgbPixels {
public:
    explicit RgbPixels(const VImage& image) {
        VImage rgb = image.bands() == 1 ? VImage::bandjoin({image, image, image}) : image;
        if (rgb.bands() > 3)
            rgb = rgb.extract_band(0, VImage::option()->set("n", 3));
        if (rgb.format() != VIPS_FORMAT_UCHAR)
            rgb = rgb.cast(VIPS_FORMAT_UCHAR);
        width_ = rgb.width();
        height_ = rgb.height();
        size_t size = 0;
        // write_to_memory hands over a g_malloc'ed block.
        block_.reset(static_cast<uchar*>(rgb.write_to_memory(&size)));
    }

    int width() const { return width_; }
    int height() const { return height_; }
    const uchar* row(int y) const { return block_.get() + size_t(y) * size_t(width_) * 3; }

private:
    struct Free {
        void operator()(uchar* p) const { g_free(p); }
    };
    std::unique_ptr<uchar, Free> block_;
    int width_ = 0;
    int height_ = 0;
};

void putBytes(const VTarget& target, const QByteArray& bytes) {
    if (vips_target_write(target.get_target(), bytes.constData(), size_t(bytes.size())) != 0)
        throw VError();
}

void endTarget(const VTarget& target) {
    if (vips_target_end(target.get_target()) != 0)
        throw VError();
}

// RGB row bytes, padded to a multiple of unit.
qsizetype paddedRow(int width, int unit) {
    const qsizetype bytes = qsizetype(width) * 3;
    return (bytes + unit - 1) / unit * unit;
}

// A PICT rectangle: top, left, bottom, right.
void putRect(QByteArray& out, int width, int height) {
    bytes::appendBig<quint16>(out, 0);
    bytes::appendBig<quint16>(out, 0);
    bytes::appendBig<quint16>(out, quint16(height));
    bytes::appendBig<quint16>(out, quint16(width));
}

QByteArray pictHeader(int width, int height) {
    QByteArray out(512, '\0'); // room for an application's own header
    bytes::appendBig<quint16>(out, 0x0200);     // the picture's size: ImageMagick's value, unread in version 2
    putRect(out, width, height);
    bytes::appendBig<quint16>(out, 0x0011); // version 2
    bytes::appendBig<quint16>(out, 0x02ff);
    bytes::appendBig<quint16>(out, 0x0c00); // extended header: no resolution
    bytes::appendBig<quint16>(out, 0xfffe);
    bytes::appendBig<quint16>(out, 0);
    bytes::appendBig<quint32>(out, 0);
    bytes::appendBig<quint32>(out, 0);
    putRect(out, width, height);
    bytes::appendBig<quint32>(out, 0);
    bytes::appendBig<quint16>(out, 0x0001); // clip region: the whole frame
    bytes::appendBig<quint16>(out, 0x000a);
    putRect(out, width, height);
    bytes::appendBig<quint16>(out, 0x009a);     // DirectBitsRect
    bytes::appendBig<quint32>(out, 0x000000ff); // base address
    // The field has 15 bits; a wider picture's value wraps, as ImageMagick's does.
    bytes::appendBig<quint16>(out, quint16(0x8000 | ((4 * width) & 0x7fff)));
    putRect(out, width, height);
    bytes::appendBig<quint16>(out, 0);            // pixmap version
    bytes::appendBig<quint16>(out, 4);            // packed by component planes
    bytes::appendBig<quint32>(out, 0);            // packed size
    bytes::appendBig<quint32>(out, 0);            // horizontal resolution
    bytes::appendBig<quint32>(out, 0);            // vertical resolution
    bytes::appendBig<quint16>(out, 16);           // direct pixels
    bytes::appendBig<quint16>(out, 32);           // bits a pixel
    bytes::appendBig<quint16>(out, 3);            // components
    bytes::appendBig<quint16>(out, 8);            // bits a component
    bytes::appendBig<quint32>(out, 0);            // plane bytes
    bytes::appendBig<quint32>(out, 0);            // colour table
    bytes::appendBig<quint32>(out, 0);            // reserved
    putRect(out, width, height); // source
    putRect(out, width, height); // destination
    bytes::appendBig<quint16>(out, 0x0040);       // transfer mode: dither copy
    return out;
}

// PackBits as ImageMagick's PICT writer packs, so that its bytes come out the same: the line is
// scanned from its end, runs of three or more repeat, the rest are literals, each group at
// most 128 bytes, the shorter group first.
QByteArray packBits(const QByteArray& line) {
    constexpr int kMostInGroup = 128;
    QByteArray reversed;
    reversed.reserve(line.size() + line.size() / kMostInGroup + 2);
    int literals = 0;
    const auto flush = [&](char value, int run) {
        if (run < 3) {
            for (; run > 0; --run) {
                reversed.append(value);
                if (++literals == kMostInGroup) {
                    reversed.append(char(kMostInGroup - 1));
                    literals = 0;
                }
            }
            return;
        }
        if (literals > 0)
            reversed.append(char(literals - 1));
        literals = 0;
        for (; run > 0; run -= std::min(run, kMostInGroup)) {
            reversed.append(value);
            reversed.append(char(257 - std::min(run, kMostInGroup)));
        }
    };
    qsizetype at = line.size() - 1;
    while (at >= 0) {
        const char value = line[at];
        int run = 0;
        for (; at >= 0 && line[at] == value; --at)
            ++run;
        flush(value, run);
    }
    if (literals > 0)
        reversed.append(char(literals - 1));
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

// One pixmap row: its red, green and blue planes, packed, after the packed length.
QByteArray pictRow(const uchar* rgb, int width) {
    QByteArray planes(qsizetype(width) * 3, '\0');
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c)
            planes[qsizetype(c) * width + x] = char(rgb[size_t(x) * 3 + c]);
    }
    // ImageMagick's reader takes a line of fewer than eight bytes as never packed.
    if (planes.size() < 8)
        return planes;
    const QByteArray packed = packBits(planes);
    QByteArray out;
    if (planes.size() > 200)
        bytes::appendBig<quint16>(out, quint16(packed.size()));
    else
        out.append(char(packed.size()));
    return out + packed;
}

} // namespace

void writeBmp(const VImage& rgb8, const VTarget& target) {
    const RgbPixels pixels(rgb8);
    const qsizetype rowBytes = paddedRow(pixels.width(), 4);
    const quint32 imageBytes = quint32(rowBytes * pixels.height());
    constexpr quint32 kHeaders = 14 + 40;
    QByteArray header("BM");
    bytes::appendLittle<quint32>(header, kHeaders + imageBytes);
    bytes::appendLittle<quint32>(header, 0);
    bytes::appendLittle<quint32>(header, kHeaders);
    bytes::appendLittle<quint32>(header, 40);
    bytes::appendLittle<quint32>(header, quint32(pixels.width()));
    bytes::appendLittle<quint32>(header, quint32(pixels.height())); // positive: bottom row first
    bytes::appendLittle<quint16>(header, 1);
    bytes::appendLittle<quint16>(header, 24);
    bytes::appendLittle<quint32>(header, 0); // uncompressed
    bytes::appendLittle<quint32>(header, imageBytes);
    bytes::appendLittle<quint32>(header, 0); // no resolution, as ImageMagick writes it from libvips
    bytes::appendLittle<quint32>(header, 0);
    bytes::appendLittle<quint32>(header, 0);
    bytes::appendLittle<quint32>(header, 0);
    putBytes(target, header);
    QByteArray row(rowBytes, '\0');
    for (int y = pixels.height() - 1; y >= 0; --y) {
        const uchar* src = pixels.row(y);
        for (int x = 0; x < pixels.width(); ++x) {
            for (int c = 0; c < 3; ++c)
                row[qsizetype(x) * 3 + c] = char(src[size_t(x) * 3 + 2 - c]);
        }
        putBytes(target, row);
    }
    endTarget(target);
}

void writePict(const VImage& rgb8, const VTarget& target) {
    const RgbPixels pixels(rgb8);
    putBytes(target, pictHeader(pixels.width(), pixels.height()));
    qsizetype written = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const QByteArray row = pictRow(pixels.row(y), pixels.width());
        written += row.size();
        putBytes(target, row);
    }
    QByteArray end;
    if (written % 2 != 0)
        end.append('\0'); // opcodes start on even bytes
    bytes::appendBig<quint16>(end, 0x00ff);
    putBytes(target, end);
    endTarget(target);
}

void writeSunRaster(const VImage& rgb8, const VTarget& target) {
    const RgbPixels pixels(rgb8);
    const qsizetype rowBytes = paddedRow(pixels.width(), 2);
    QByteArray header;
    bytes::appendBig<quint32>(header, 0x59a66a95);
    bytes::appendBig<quint32>(header, quint32(pixels.width()));
    bytes::appendBig<quint32>(header, quint32(pixels.height()));
    bytes::appendBig<quint32>(header, 24);
    bytes::appendBig<quint32>(header, quint32(rowBytes * pixels.height()));
    bytes::appendBig<quint32>(header, 3); // RGB rather than BGR order
    bytes::appendBig<quint32>(header, 0); // no colour map
    bytes::appendBig<quint32>(header, 0);
    putBytes(target, header);
    QByteArray row(rowBytes, '\0');
    for (int y = 0; y < pixels.height(); ++y) {
        std::copy_n(pixels.row(y), qsizetype(pixels.width()) * 3, row.begin());
        putBytes(target, row);
    }
    endTarget(target);
}

} // namespace quillmorph
