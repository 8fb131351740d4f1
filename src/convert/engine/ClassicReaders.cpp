#include "engine/ClassicReaders.h"

#include "engine/ClassicReading.h"

#include <algorithm>
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

DecodedClassic decodedClassic(ClassicFormat format, const QByteArray& bytes, double maxPixels,
                              double maxRowBytes) {
    const classic::Limits limits{maxPixels, maxRowBytes};
    vips::VImage image;
    switch (format) {
    case ClassicFormat::Bmp:
        image = classic::decodedBmp(bytes, limits);
        break;
    case ClassicFormat::Psd:
        image = classic::decodedPsd(bytes, limits);
        break;
    case ClassicFormat::Pict:
        image = classic::decodedPict(bytes, limits);
        break;
    case ClassicFormat::SunRaster:
        image = classic::decodedSunRaster(bytes, limits);
        break;
    case ClassicFormat::None:
        classic::damaged("file", "not a format of ours");
    }
    if (image.is_null())
        return {vips::VImage(), true};
    return {image, false};
}

} // namespace quillmorph
