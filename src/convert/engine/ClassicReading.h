#pragma once

#include <QByteArray>
#include <QtEndian>
#include <vips/vips8>

// What our readers of the old formats share (ClassicReaders.h): a cursor that never reads past
// the file, the picture they fill, PackBits.

namespace quillmorph::classic {

// Throws the error a damaged file of format gives (a load failure, never a crash).
[[noreturn]] void damaged(const char* format, const char* what);

// Reads the bytes of a file in place; every read is checked against its end first.
class ByteCursor {
public:
    ByteCursor(const QByteArray& bytes, const char* format) : bytes_(bytes), format_(format) {}

    qsizetype at() const { return at_; }
    qsizetype left() const { return bytes_.size() - at_; }
    void seek(qint64 to) {
        if (to < 0 || to > bytes_.size())
            damaged(format_, "an offset beyond the end of the file");
        at_ = qsizetype(to);
    }
    void skip(qint64 count) { seek(qint64(at_) + count); }
    // count bytes from here, which it then passes.
    const uchar* take(qint64 count) {
        if (count < 0 || count > left())
            damaged(format_, "the file ends early");
        const auto* here = reinterpret_cast<const uchar*>(bytes_.constData()) + at_;
        at_ += qsizetype(count);
        return here;
    }
    quint8 u8() { return *take(1); }
    quint16 big16() { return qFromBigEndian<quint16>(take(2)); }
    quint32 big32() { return qFromBigEndian<quint32>(take(4)); }
    quint16 little16() { return qFromLittleEndian<quint16>(take(2)); }
    quint32 little32() { return qFromLittleEndian<quint32>(take(4)); }
    const char* format() const { return format_; }

private:
    const QByteArray& bytes_;
    const char* format_;
    qsizetype at_ = 0;
};

// True when header reads head as a picture of the format: a header that is short, damaged or
// of a kind the reader does not take says no rather than fail.
template <typename Header>
bool headerReads(const QByteArray& head, Header (*header)(const QByteArray&)) {
    try {
        return header(head).width > 0;
    } catch (const vips::VError&) {
        return false;
    }
}

// A picture of 8-bit samples, filled row by row in memory libvips allocated.
class Picture {
public:
    // width × height of bands (1 grey, 2 grey and alpha, 3 RGB, 4 RGBA), set to zero.
    Picture(int width, int height, int bands);
    uchar* row(int y) { return VIPS_IMAGE_ADDR(image_.get_image(), 0, y); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    int bands() const { return image_.bands(); }
    const vips::VImage& image() const { return image_; }

private:
    vips::VImage image_;
};

// Unpacks PackBits from in until out holds size bytes. Throws on a run past either end.
void unpackBits(ByteCursor& in, uchar* out, qsizetype size);

// The largest picture a caller takes (LeadImage.h's limits).
struct Limits {
    double maxPixels;
    double maxRowBytes;
    // A picture of width × height × bands is beyond them.
    bool exceededBy(double width, double height, int bands) const {
        return width * height > maxPixels || width * bands > maxRowBytes;
    }
};

// Per format: whether ours read a file that begins with head, and its picture. The decoders
// return a null image when limits refuse the picture.
bool readsBmp(const QByteArray& head);
bool readsPsd(const QByteArray& head);
bool readsPict(const QByteArray& head);
bool readsSunRaster(const QByteArray& head);
vips::VImage decodedBmp(const QByteArray& bytes, const Limits& limits);
vips::VImage decodedPsd(const QByteArray& bytes, const Limits& limits);
vips::VImage decodedPict(const QByteArray& bytes, const Limits& limits);
vips::VImage decodedSunRaster(const QByteArray& bytes, const Limits& limits);

} // namespace quillmorph::classic
