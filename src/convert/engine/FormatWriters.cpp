#include "engine/FormatWriters.h"

#include "engine/Animation.h"
#include "engine/ClassicWriters.h"
#include "engine/JfifTarget.h"
#include "engine/JxlCodec.h"
#include "engine/PsdWriter.h"
#include "engine/VipsAbilities.h"

#include <QByteArray>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace quillmorph {

using vips::VError;
using vips::VImage;
using vips::VOption;
using vips::VTarget;

namespace {

// How a format's encoder is asked: its own quality (1…100) and, for PNG, a palette.
struct Encoding {
    int quality = 100;
    bool palette = false;
};

void putBytes(const VTarget& target, const QByteArray& bytes) {
    if (vips_target_write(target.get_target(), bytes.constData(), size_t(bytes.size())) != 0 ||
        vips_target_end(target.get_target()) != 0)
        throw VError();
}

// A libvips blob's bytes, copied, and the blob released.
QByteArray takeBlob(VipsBlob* blob) {
    const std::unique_ptr<VipsArea, decltype(&vips_area_unref)> owned(VIPS_AREA(blob),
                                                                      &vips_area_unref);
    size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    return QByteArray(static_cast<const char*>(data), qsizetype(size));
}

// What a saver writes besides the pixels: libvips 8.15 replaced strip with keep, which the
// savers read first; the image holds no metadata but the EXIF kept, so none or that is kept.
VOption* keeping(VOption* options, bool strip) {
    if (!vipsAtLeast(8, 15))
        return options->set("strip", strip);
    constexpr int kKeepNone = 0; // VIPS_FOREIGN_KEEP_NONE, VIPS_FOREIGN_KEEP_EXIF
    constexpr int kKeepExif = 1;
    return options->set("keep", strip ? kKeepNone : kKeepExif);
}

// ImageMagick writes only to a name or to memory. A libvips without it (the Windows build's)
// gets the same bytes from writers of ours.
void encodeWithMagick(const VImage& image, const VTarget& target, const OutputFormat& format) {
    if (!hasVipsOperation("magicksave_buffer")) {
        if (format.code == FormatCode::Bmp)
            writeBmp(image, target);
        else if (format.code == FormatCode::Pct)
            writePict(image, target);
        else
            writeSunRaster(image, target);
        return;
    }
    putBytes(target, takeBlob(image.magicksave_buffer(
                         keeping(VImage::option()->set("format", format.saver), true))));
}

constexpr int kAnimatedGifEffort = 4;

// The bytes a memory target was given once it has been ended.
QByteArray bytesOf(const VTarget& memory) {
    VipsBlob* blob = nullptr;
    g_object_get(memory.get_target(), "blob", &blob, nullptr);
    if (!blob)
        throw VError("the encoder left no bytes");
    return takeBlob(blob);
}

// libvips 8.14.0 and 8.14.1's webpsave writes an EXIF chunk of its own (orientation,
// resolution, pixel size) whatever strip says: taken out of the RIFF container, with its flag
// in VP8X. A container this does not understand is left as the encoder made it.
QByteArray withoutExifChunk(const QByteArray& webp) {
    constexpr qsizetype kHeader = 12;
    constexpr qsizetype kChunkHeader = 8;
    constexpr char kExifFlag = 0x08;
    if (webp.size() < kHeader || !webp.startsWith("RIFF") || webp.mid(8, 4) != "WEBP")
        return webp;
    QByteArray kept = webp.left(kHeader);
    qsizetype at = kHeader;
    while (at + kChunkHeader <= webp.size()) {
        const quint32 size = qFromLittleEndian<quint32>(webp.constData() + at + 4);
        const qsizetype whole = kChunkHeader + qsizetype(size) + qsizetype(size & 1);
        if (whole > webp.size() - at)
            return webp;
        if (webp.mid(at, 4) != "EXIF")
            kept += webp.mid(at, whole);
        at += whole;
    }
    if (at != webp.size())
        return webp;
    if (kept.mid(kHeader, 4) == "VP8X" && kept.size() > kHeader + kChunkHeader)
        kept[kHeader + kChunkHeader] = char(kept[kHeader + kChunkHeader] & ~kExifFlag);
    qToLittleEndian(quint32(kept.size() - kChunkHeader), kept.data() + 4);
    return kept;
}

std::string targetSaver(const OutputFormat& format) {
    return std::string(format.saver) + "_target";
}

// A saver of libvips' own, given image, its options and the quality.
void saveWithVips(const VImage& image, const VTarget& target, const OutputFormat& format,
                  const Encoding& how, int quality, bool strip) {
    // libvips 8.14 hands a three-band picture to libimagequant as if it had four bands,
    // which reads past the pixels; an opaque alpha gives it the layout it expects and adds
    // no tRNS. 8.18 makes the same bytes with it as without, and names no mend: kept for all.
    const bool fewerColours = how.palette && format.code == FormatCode::Gif;
    const VImage input = how.palette && !fewerColours ? image.bandjoin_const({255}) : image;
    VOption* options = keeping(VImage::option()->set("in", input)->set("target", target), strip);
    if (fewerColours) {
        // The palette's bits are what shrinks a GIF most (18-30 % a bit), from 7 down to 1.
        options->set("bitdepth", std::clamp(1 + (quality - 1) * 7 / 99, 1, 7));
    } else {
        if (format.usesQuality || how.palette)
            options->set("Q", quality);
        if (how.palette)
            options->set("palette", true);
    }
    // Every frame of an animation is given a palette of its own: libimagequant's effort 4
    // takes a third of the CPU of libvips' 7 for 6 % more error (docs/performance.md).
    if (format.code == FormatCode::Gif && image.get_typeof("page-height") != 0)
        options->set("effort", kAnimatedGifEffort);
    VImage::call_option_string(targetSaver(format).c_str(), format.options, options);
}

// The one place a format's bytes are made; a file and memory differ only in the target, which
// every writer ends. A JPEG streams as it is encoded: at quality 100 a whole picture is
// megabytes, which a memory buffer would grow into by copies.
void encode(const VImage& rgb8, const VTarget& target, const OutputFormat& format,
            const Encoding& how, const QByteArray& exif) {
    // Whatever a saver makes of strip (libvips 8.14's webpsave ignores it and wrote a photo's
    // GPS position and serial numbers), it is handed an image that holds nothing but the EXIF
    // we kept, and an animation's frame layout.
    const bool strip = exif.isEmpty() || !format.carriesExif;
    const VImage image = withAnimationOf(withOnlyExif(rgb8, strip ? QByteArray() : exif), rgb8);
    const int quality = std::max(how.quality, format.leastQuality);
    switch (format.writer) {
    case Writer::Jfif: {
        const JfifTarget jfif(target);
        image.jpegsave_target(jfif.target(), keeping(VImage::option()->set("Q", quality), strip));
        return;
    }
    case Writer::Vips: {
        if (format.code == FormatCode::Jxl && !hasVipsOperation(targetSaver(format).c_str())) {
            writeJxl(image, target, quality);
            return;
        }
        // 8.14.2 mended webpsave's strip.
        if (strip && format.code == FormatCode::Webp && !vipsAtLeast(8, 14, 2)) {
            // libwebp builds the whole file in memory anyway; one copy more mends it.
            const VTarget memory = VTarget::new_to_memory();
            saveWithVips(image, memory, format, how, quality, strip);
            putBytes(target, withoutExifChunk(bytesOf(memory)));
            return;
        }
        saveWithVips(image, target, format, how, quality, strip);
        return;
    }
    case Writer::Magick:
        encodeWithMagick(image, target, format);
        return;
    case Writer::Psd:
        // ImageMagick's Q16 build writes 16-bit PSD; we promise 8 bits per channel.
        writePsd(image, target);
        return;
    }
}

QByteArray encodedInMemory(const VImage& rgb8, const OutputFormat& format, const Encoding& how,
                           const QByteArray& exif) {
    const VTarget target = VTarget::new_to_memory();
    encode(rgb8, target, format, how, exif);
    return bytesOf(target);
}

} // namespace

void writeImage(const VImage& rgb8, const FilePath& file, const OutputFormat& format,
                int qualityFactor, const QByteArray& exif) {
    encode(rgb8, VTarget::new_to_file(file.c_str()), format, {jpegQualityFromFactor(qualityFactor)},
           exif);
}

QByteArray encodedImage(const VImage& rgb8, const OutputFormat& format, int qualityFactor,
                        const QByteArray& exif) {
    return encodedInMemory(rgb8, format, {jpegQualityFromFactor(qualityFactor)}, exif);
}

QByteArray encodedAtQuality(const VImage& rgb8, const OutputFormat& format, int quality,
                            bool palette, const QByteArray& exif) {
    if (format.writer != Writer::Jfif && format.writer != Writer::Vips)
        throw VError("no encoder quality for " + std::string(format.name));
    return encodedInMemory(rgb8, format, {quality, palette}, exif);
}

void writeBytes(const FilePath& file, const QByteArray& bytes) {
    putBytes(VTarget::new_to_file(file.c_str()), bytes);
}

bool canWrite(const OutputFormat& format) {
    switch (format.writer) {
    case Writer::Jfif:
        return hasVipsOperation("jpegsave_target");
    case Writer::Vips:
        return format.code == FormatCode::Jxl || hasVipsOperation(targetSaver(format).c_str());
    case Writer::Magick:
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
