#include "engine/ClassicReaders.h"

#include "engine/ClassicReading.h"

#include <algorithm>
#include <new>
#include <string>

namespace quillmorph {

namespace classic {

void damaged(const char* format, const char* what) {
    throw vips::VError(std::string(format) + ": damaged file: " + what);
}

Picture::Picture(int width, int height, int bands) : image_(vips_image_new_memory()) {
    vips_image_init_fields(
        image_.get_image(), width, height, bands, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE,
        bands < 3 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    if (vips_image_write_prepare(image_.get_image()) != 0)
        throw vips::VError();
    // Parts a file leaves unsaid (an RLE bitmap's skipped pixels) stay black.
    for (int y = 0; y < height; ++y)
        std::fill_n(row(y), VIPS_IMAGE_SIZEOF_LINE(image_.get_image()), uchar(0));
}

void unpackBits(ByteCursor& in, uchar* out, qsizetype size) {
    qsizetype done = 0;
    while (done < size) {
        const auto head = qint8(in.u8());
        if (head == -128)
            continue;
        const qsizetype count = head >= 0 ? head + 1 : 1 - head;
        if (count > size - done)
            damaged(in.format(), "a run beyond its row");
        if (head >= 0) {
            const uchar* literal = in.take(count);
            std::copy_n(literal, count, out + done);
        } else {
            std::fill_n(out + done, count, in.u8());
        }
        done += count;
    }
}

} // namespace classic

ClassicFormat classicFormatOf(const QByteArray& head) {
    if (classic::readsBmp(head))
        return ClassicFormat::Bmp;
    if (classic::readsPsd(head))
        return ClassicFormat::Psd;
    if (classic::readsSunRaster(head))
        return ClassicFormat::SunRaster;
    if (classic::readsPict(head))
        return ClassicFormat::Pict;
    return ClassicFormat::None;
}

const char* classicLoaderName(ClassicFormat format) {
    switch (format) {
    case ClassicFormat::Bmp:
        return "Bmp";
    case ClassicFormat::Psd:
        return "Psd";
    case ClassicFormat::Pict:
        return "Pict";
    case ClassicFormat::SunRaster:
        return "Sun";
    case ClassicFormat::None:
        break;
    }
    return "";
}

namespace {

vips::VImage decodedWithin(ClassicFormat format, const QByteArray& bytes,
                           const classic::Limits& limits) {
    switch (format) {
    case ClassicFormat::Bmp:
        return classic::decodedBmp(bytes, limits);
    case ClassicFormat::Psd:
        return classic::decodedPsd(bytes, limits);
    case ClassicFormat::Pict:
        return classic::decodedPict(bytes, limits);
    case ClassicFormat::SunRaster:
        return classic::decodedSunRaster(bytes, limits);
    case ClassicFormat::None:
        break;
    }
    classic::damaged("file", "not a format of ours");
}

} // namespace

DecodedClassic decodedClassic(ClassicFormat format, const QByteArray& bytes, double maxPixels,
                              double maxRowBytes) {
    vips::VImage image;
    try {
        image = decodedWithin(format, bytes, {maxPixels, maxRowBytes});
    } catch (const std::bad_alloc&) {
        // A small RLE bitmap may cover a picture of a billion pixels.
        throw vips::VError("out of memory decoding the picture");
    }
    if (image.is_null())
        return {vips::VImage(), true};
    return {image, false};
}

} // namespace quillmorph
