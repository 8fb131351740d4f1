#include "FormatWriters.h"

#include "JfifTarget.h"
#include "PsdWriter.h"
#include "SystemError.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <memory>

namespace quillmorph {

using vips::VImage;
using vips::VOption;

namespace {

QByteArray jfifBytes(const VImage& image, int quality, bool strip) {
    void* buffer = nullptr;
    size_t size = 0;
    image.write_to_buffer(".jpg", &buffer, &size,
                          VImage::option()->set("Q", quality)->set("strip", strip));
    const std::unique_ptr<void, decltype(&g_free)> owned(buffer, &g_free);
    return withJfifMarker(QByteArray(static_cast<const char*>(buffer), qsizetype(size)));
}

// Streamed into the file as it is encoded: a whole-picture JPEG at quality 100 is megabytes,
// which a memory buffer grows into by copies and fresh pages for every file.
void writeJfif(const VImage& image, const FilePath& path, int quality, bool strip) {
    const JfifTarget jfif(vips::VTarget::new_to_file(path.c_str()));
    image.jpegsave_target(jfif.target(), VImage::option()->set("Q", quality)->set("strip", strip));
}

// A libvips blob's bytes, copied, and the blob released.
QByteArray takeBlob(VipsBlob* blob) {
    const std::unique_ptr<VipsArea, decltype(&vips_area_unref)> owned(VIPS_AREA(blob),
                                                                      &vips_area_unref);
    size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    return QByteArray(static_cast<const char*>(data), qsizetype(size));
}

// Savers write every kind of metadata the image holds or none: the EXIF goes onto an image
// that holds nothing else.
bool stripsAll(const OutputFormat& format, const QByteArray& exif) {
    return exif.isEmpty() || !format.carriesExif;
}

// ImageMagick will not write to a descriptor's name, so it encodes to memory.
void writeWithMagick(const VImage& image, const FilePath& path, const char* format) {
    writeBytes(path, takeBlob(image.magicksave_buffer(
                         VImage::option()->set("format", format)->set("strip", true))));
}

} // namespace

void writeImage(const VImage& rgb8, const FilePath& file, const OutputFormat& format,
                int qualityFactor, const QByteArray& exif) {
    const int quality = jpegQualityFromFactor(qualityFactor);
    const bool strip = stripsAll(format, exif);
    const VImage image = strip ? rgb8 : withOnlyExif(rgb8, exif);
    switch (format.writer) {
    case Writer::Jfif:
        writeJfif(image, file, quality, strip);
        return;
    case Writer::Vips: {
        VOption* options =
            VImage::option()->set("in", image)->set("filename", file.c_str())->set("strip", strip);
        if (format.usesQuality)
            options->set("Q", quality);
        VImage::call_option_string(format.saver, format.options, options);
        return;
    }
    case Writer::Magick:
        writeWithMagick(rgb8, file, format.saver);
        return;
    case Writer::Psd:
        // ImageMagick's Q16 build writes 16-bit PSD; we promise 8 bits per channel.
        writePsd(rgb8, file);
        return;
    }
}

QByteArray encodedAtQuality(const VImage& rgb8, const OutputFormat& format, int quality,
                            bool palette, const QByteArray& exif) {
    const bool strip = stripsAll(format, exif);
    const VImage image = strip ? rgb8 : withOnlyExif(rgb8, exif);
    if (format.writer == Writer::Jfif)
        return jfifBytes(image, quality, strip);
    if (format.writer != Writer::Vips)
        throw vips::VError("no encoder quality for " + std::string(format.name));
    VipsBlob* blob = nullptr;
    // libvips 8.14 hands a three-band picture to libimagequant as if it had four bands, which
    // reads past the pixels; an opaque alpha gives it the layout it expects and adds no tRNS.
    const VImage input = palette ? image.bandjoin_const({255}) : image;
    VOption* options =
        VImage::option()->set("in", input)->set("buffer", &blob)->set("strip", strip);
    if (format.usesQuality || palette)
        options->set("Q", quality);
    if (palette)
        options->set("palette", true);
    VImage::call_option_string((std::string(format.saver) + "_buffer").c_str(), format.options,
                               options);
    return takeBlob(blob);
}

void writeBytes(const FilePath& file, const QByteArray& bytes) {
    QFile out;
    openForWriting(out, file);
    if (out.write(bytes) != bytes.size() || !out.flush())
        throw FileWriteError(out.errorString().toStdString());
}

bool canWrite(const OutputFormat& format) {
    switch (format.writer) {
    case Writer::Jfif:
        // Streamed into files; into memory when held to a file-size limit.
        return vips_type_find("VipsOperation", "jpegsave_target") != 0 &&
               vips_type_find("VipsOperation", "jpegsave_buffer") != 0;
    case Writer::Vips:
        return vips_type_find("VipsOperation", format.saver) != 0;
    case Writer::Magick:
        return vips_type_find("VipsOperation", "magicksave_buffer") != 0;
    case Writer::Psd:
        return true;
    }
    return false;
}

int jpegQualityFromFactor(int qualityFactor) {
    const double q = std::round(100.0 - (qualityFactor - 2) / 2.52);
    return int(std::clamp(q, 1.0, 100.0));
}

} // namespace quillmorph
