#include "engine/Butteraugli.h"
#include "engine/ByteOrder.h"
#include "engine/ClassicReaders.h"
#include "engine/ClassicWriters.h"
#include "engine/FormatWriters.h"
#include "engine/JxlCodec.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
#include "engine/PsdWriter.h"
#include "engine/VipsAbilities.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quillmorph {
namespace {

using vips::VImage;
using vips::VTarget;

// A picture dear to pack: every pixel differs from its neighbours, but for a flat band wider
// than one PackBits group (runs, and literals either side of them).
VImage busyPicture(int width, int height, bool grey) {
    const VImage xy = VImage::xyz(width, height);
    const VImage x = xy.extract_band(0);
    const VImage y = xy.extract_band(1);
    const auto channel = [&](int a, int b) { return (x * a + y * b).remainder_const({251}); };
    VImage picture = grey ? channel(37, 11)
                          : VImage::bandjoin({channel(37, 11), channel(5, 53), channel(91, 7)});
    if (width > 150) {
        picture = picture.copy_memory();
        picture.draw_rect(std::vector<double>(size_t(picture.bands()), 200.0), 20, 0, 140, height,
                          VImage::option()->set("fill", true));
    }
    return picture.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation",
                                    grey ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
}

VImage threeBands(const VImage& image) {
    if (image.bands() != 1)
        return image;
    return VImage::bandjoin({image, image, image})
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// True when a and b hold the same pixels, grey spread over three bands.
bool samePixels(const VImage& a, const VImage& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    const VImage a3 = threeBands(a).cast(VIPS_FORMAT_UCHAR);
    const VImage b3 = threeBands(b).extract_band(0, VImage::option()->set("n", 3));
    return (a3.cast(VIPS_FORMAT_INT) - b3.cast(VIPS_FORMAT_INT)).abs().max() == 0;
}

template <typename Writer> QByteArray written(Writer write, const VImage& picture) {
    const VTarget target = VTarget::new_to_memory();
    write(picture, target);
    VipsBlob* blob = nullptr;
    g_object_get(target.get_target(), "blob", &blob, nullptr);
    size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

// bytes decoded whole by the loader named.
VImage decoded(const QByteArray& bytes, VImage (*load)(VipsBlob*, vips::VOption*)) {
    const std::unique_ptr<VipsArea, decltype(&vips_area_unref)> blob(
        VIPS_AREA(vips_blob_copy(bytes.constData(), size_t(bytes.size()))), &vips_area_unref);
    return load(reinterpret_cast<VipsBlob*>(blob.get()), nullptr).copy_memory();
}

// ImageMagick tells a PICT by its name only.
VImage magickDecoded(const QByteArray& bytes, FormatCode code) {
    const QTemporaryDir dir;
    const QString name =
        dir.filePath(QStringLiteral("file") + QLatin1String(outputFormatFor(code)->extension));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return VImage();
    file.close();
    return VImage::magickload(QFile::encodeName(name).constData()).copy_memory();
}

struct ClassicCase {
    FormatCode code;
    void (*write)(const VImage&, const VTarget&);
    int width;
    int height;
    bool grey;
    const char* digest; // of the file's bytes: where ImageMagick is missing, its bytes' digest
};

QByteArray digestOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16);
}

bool haveImageMagick() {
    return hasVipsOperation("magicksave_buffer") && hasVipsOperation("magickload");
}

void PrintTo(const ClassicCase& c, std::ostream* os) {
    *os << outputFormatFor(c.code)->name << ' ' << c.width << 'x' << c.height
        << (c.grey ? " grey" : " RGB");
}

class ClassicWriterTest : public ::testing::TestWithParam<ClassicCase> {};

// Ours give ImageMagick's bytes, and both decode to the picture; ImageMagick's reader takes a
// PICT line of fewer than eight bytes as unpacked, which its own writer packs: there ours
// differ, and only ours decode right. Without ImageMagick, the digest of the bytes it wrote
// stands for them.
TEST_P(ClassicWriterTest, GivesImageMagicksBytesAndThePicturesPixels) {
    const ClassicCase c = GetParam();
    const VImage picture = busyPicture(c.width, c.height, c.grey);
    const QByteArray ours = written(c.write, picture);
    EXPECT_EQ(digestOf(ours).toStdString(), c.digest);
    if (!haveImageMagick())
        return;
    EXPECT_TRUE(samePixels(picture, magickDecoded(ours, c.code)));

    const QByteArray magick = encodedImage(threeBands(picture), *outputFormatFor(c.code), 2);
    if (c.code == FormatCode::Pct && c.width * 3 < 8) {
        EXPECT_NE(ours, magick);
        EXPECT_FALSE(samePixels(picture, magickDecoded(magick, c.code)));
    } else {
        EXPECT_EQ(ours.toHex().toStdString(), magick.toHex().toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    ThreeFormats, ClassicWriterTest,
    ::testing::Values(
        ClassicCase{FormatCode::Bmp, writeBmp, 61, 9, false, "f89f33a778cc9a3d"},
        ClassicCase{FormatCode::Bmp, writeBmp, 301, 5, true, "92ecd534f66f3fdd"},
        ClassicCase{FormatCode::Bmp, writeBmp, 1, 3, false, "d201c3b7a38740d3"},
        ClassicCase{FormatCode::Pct, writePict, 61, 9, false, "d2b74b440f3002a1"},
        ClassicCase{FormatCode::Pct, writePict, 301, 5, true, "cb229e8e0aa54e9b"},
        ClassicCase{FormatCode::Pct, writePict, 67, 4, false, "fd84bcc4f2f7bfbe"},
        ClassicCase{FormatCode::Pct, writePict, 66, 4, true, "569e4c1f6e1fb46e"},
        ClassicCase{FormatCode::Pct, writePict, 3, 2, false, "43af618d3979a421"},
        ClassicCase{FormatCode::Pct, writePict, 2, 3, false, "dbde295b769bb7f7"},
        ClassicCase{FormatCode::Ras, writeSunRaster, 61, 9, false, "06d6d949c8d7d86d"},
        ClassicCase{FormatCode::Ras, writeSunRaster, 301, 5, true, "1ffedcf1c4e804d7"},
        ClassicCase{FormatCode::Ras, writeSunRaster, 1, 3, true, "42883e06eac65edb"}));

TEST(ClassicWriterTest, BitmapRowsArePaddedAndSizesCounted) {
    const VImage picture = busyPicture(61, 9, false);
    const QByteArray bmp = written(writeBmp, picture);
    ASSERT_EQ(bmp.size(), 54 + 184 * 9);
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 2), quint32(bmp.size()));
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 10), 54u);
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 22), 9); // bottom row first
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 34), 184u * 9);
    EXPECT_EQ(bmp[54 + 183], '\0');
    // The bottom row's first pixel, blue first.
    const std::vector<double> bottomLeft = picture.getpoint(0, 8);
    EXPECT_EQ(quint8(bmp[54]), quint8(bottomLeft[2]));
    EXPECT_EQ(quint8(bmp[56]), quint8(bottomLeft[0]));
}

// bytes decoded by libvips' loader, or by ours where libvips has none.
VImage jxlDecoded(const QByteArray& bytes) {
    if (!hasVipsOperation("jxlload_buffer"))
        return decodedJxl(bytes, 1e9, 1e9).image;
    return decoded(bytes, &VImage::jxlload_buffer);
}

// How far libjxl's Butteraugli finds a decoded JPEG XL from its picture.
double distanceSeen(const VImage& picture, const VImage& back) {
    return Butteraugli(threeBands(picture)).distanceTo(threeBands(back)).value_or(1e9);
}

class JxlWriterTest : public ::testing::TestWithParam<int> {};

// libjxl given the settings jxlsave gives it makes the same file, whose pixels are within the
// quality's distance of the picture.
TEST_P(JxlWriterTest, GivesJxlsavesBytes) {
    const int quality = GetParam();
    const OutputFormat& jxl = *outputFormatFor(FormatCode::Jxl);
    for (const bool grey : {false, true}) {
        const VImage picture = busyPicture(67, 41, grey);
        const QByteArray ours =
            written([&](const VImage& p, const VTarget& t) { writeJxl(p, t, quality); }, picture);
        EXPECT_EQ(ours, encodedAtQuality(picture, jxl, quality, false)) << grey;
        const VImage back = jxlDecoded(ours);
        ASSERT_EQ(back.bands(), picture.bands());
        EXPECT_LE(distanceSeen(picture, back), 0.4 + jxlDistanceForQuality(quality)) << grey;
    }
}

INSTANTIATE_TEST_SUITE_P(Qualities, JxlWriterTest, ::testing::Values(5, 29, 75, 100));

TEST(JxlWriterTest, DistanceFollowsTheQuality) {
    EXPECT_DOUBLE_EQ(jxlDistanceForQuality(100), 0.1);
    EXPECT_DOUBLE_EQ(jxlDistanceForQuality(30), 6.4);
    EXPECT_NEAR(jxlDistanceForQuality(5), 21.865, 0.001);
}

TEST(JxlReaderTest, DecodesAsJxlloadDoes) {
    for (const bool grey : {false, true}) {
        const VImage picture = busyPicture(67, 41, grey);
        const QByteArray file =
            encodedAtQuality(picture, *outputFormatFor(FormatCode::Jxl), 90, false);
        ASSERT_TRUE(looksLikeJxl(file));
        const DecodedJxl ours = decodedJxl(file, 1e9, 1e9);
        ASSERT_FALSE(ours.tooLarge);
        EXPECT_LE(distanceSeen(picture, ours.image), 0.4 + jxlDistanceForQuality(90));
        const VImage theirs = jxlDecoded(file);
        EXPECT_EQ(ours.image.bands(), theirs.bands());
        EXPECT_EQ(ours.image.format(), theirs.format());
        EXPECT_EQ(ours.image.interpretation(), theirs.interpretation());
        EXPECT_TRUE(samePixels(theirs, ours.image)) << grey;
        EXPECT_EQ(ours.image.get_int(VIPS_META_ORIENTATION), 1);
    }
}

TEST(JxlReaderTest, RefusesTooLargeDamagedAndForeignBytes) {
    const QByteArray file =
        encodedAtQuality(busyPicture(67, 41, false), *outputFormatFor(FormatCode::Jxl), 90, false);
    EXPECT_TRUE(decodedJxl(file, 67 * 41 - 1, 1e9).tooLarge);
    EXPECT_TRUE(decodedJxl(file, 1e9, 67 * 3 - 1).tooLarge);
    EXPECT_FALSE(decodedJxl(file, 67 * 41, 67 * 3).tooLarge);
    EXPECT_THROW(decodedJxl(file.left(file.size() / 2), 1e9, 1e9), vips::VError);
    EXPECT_FALSE(looksLikeJxl(QByteArray("\x89PNG\r\n\x1a\n", 8)));
    EXPECT_THROW(decodedJxl(QByteArray("\x89PNG\r\n\x1a\n", 8), 1e9, 1e9), vips::VError);
}

// Files laid out by hand, as other programs write them.
template <typename T>
QByteArray le(qint64 v) {
    QByteArray out;
    bytes::appendLittle<T>(out, T(v));
    return out;
}
template <typename T>
QByteArray be(qint64 v) {
    QByteArray out;
    bytes::appendBig<T>(out, T(v));
    return out;
}
QByteArray hex(const char* digits) {
    return QByteArray::fromHex(digits);
}

// A bitmap of an info header of infoBytes: masks (red, green, blue, alpha) inside a longer one,
// after a 40-byte one for bit fields; palette entries blue, green, red, zero.
QByteArray bmpFile(int width, int height, int bits, quint32 compression, const QByteArray& palette,
                   const QByteArray& pixels, quint32 infoBytes = 40,
                   std::vector<quint32> masks = {}) {
    QByteArray info = le<quint32>(infoBytes) + le<quint32>(width) + le<quint32>(height) + le<quint16>(1) + le<quint16>(bits) +
                      le<quint32>(compression) + le<quint32>(pixels.size()) + le<quint32>(2835) + le<quint32>(2835) +
                      le<quint32>(palette.size() / 4) + le<quint32>(0);
    QByteArray fields;
    for (const quint32 mask : masks)
        fields += le<quint32>(mask);
    if (infoBytes > 40) {
        fields = fields.leftJustified(16, '\0');
        fields += le<quint32>(0x73524742); // sRGB
        info += fields.leftJustified(qsizetype(infoBytes) - 40, '\0');
    } else {
        info += fields;
    }
    const QByteArray head = QByteArray("BM") + le<quint32>(14 + info.size() + palette.size() + pixels.size()) +
                            le<quint32>(0) + le<quint32>(14 + info.size() + palette.size());
    return head + info + palette + pixels;
}

QByteArray coreBmpFile() {
    const QByteArray core = le<quint32>(12) + le<quint16>(2) + le<quint16>(1) + le<quint16>(1) + le<quint16>(1);
    const QByteArray palette = hex("0a141ec86432");
    return QByteArray("BM") + le<quint32>(14 + 12 + 6 + 4) + le<quint32>(0) + le<quint32>(14 + 12 + 6) + core + palette +
           hex("40000000");
}

// A document's merged picture; lengths of PackBits rows first when packed.
QByteArray psdFile(int width, int height, int channels, int mode, int compression,
                   const QByteArray& data) {
    return QByteArray("8BPS") + be<quint16>(1) + QByteArray(6, '\0') + be<quint16>(channels) + be<quint32>(height) +
           be<quint32>(width) + be<quint16>(8) + be<quint16>(mode) + be<quint32>(0) + be<quint32>(14) + "8BIM" + be<quint16>(4000) + be<quint16>(0) + be<quint32>(2) +
           be<quint16>(0) + be<quint32>(0) +
           be<quint16>(compression) + data;
}

QByteArray sunFile(int width, int height, int depth, int type, const QByteArray& map,
                   const QByteArray& data) {
    return be<quint32>(0x59a66a95) + be<quint32>(width) + be<quint32>(height) + be<quint32>(depth) + be<quint32>(data.size()) +
           be<quint32>(type) + be<quint32>(map.isEmpty() ? 0 : 1) + be<quint32>(map.size()) + map + data;
}

// A PICT 2 of one PackBitsRect of 8 bits: entries value, red, green, blue of 16 bits.
QByteArray pictFile(int width, int height, int rowBytes, const QByteArray& table, int entries,
                    const QByteArray& rows) {
    const QByteArray rect = be<quint16>(0) + be<quint16>(0) + be<quint16>(height) + be<quint16>(width);
    QByteArray out = QByteArray(512, '\0') + be<quint16>(0) + rect + be<quint16>(0x0011) + be<quint16>(0x02ff) +
                     be<quint16>(0x0c00) + QByteArray(24, '\0') + be<quint16>(0x001e) + be<quint16>(0x0001) +
                     be<quint16>(10) + rect + be<quint16>(0x0098) + be<quint16>(0x8000 | rowBytes) + rect + be<quint16>(0) +
                     be<quint16>(0) + be<quint32>(0) + be<quint32>(0x00480000) + be<quint32>(0x00480000) + be<quint16>(0) +
                     be<quint16>(8) + be<quint16>(1) + be<quint16>(8) + be<quint32>(0) + be<quint32>(0) + be<quint32>(0) + be<quint32>(0) +
                     be<quint16>(0) + be<quint16>(entries - 1) + table + rect + rect + be<quint16>(0) + rows;
    if (out.size() % 2 != 0)
        out += '\0';
    return out + be<quint16>(0x00ff);
}

struct ReaderCase {
    const char* name;
    FormatCode code; // the name ImageMagick is given the file by
    QByteArray (*file)();
    int width;
    int height;
    int bands;
    std::vector<int> samples; // rows top to bottom
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

VImage picturePainted(const ReaderCase& c) {
    std::vector<uchar> samples(c.samples.begin(), c.samples.end());
    return VImage(vips_image_new_from_memory_copy(samples.data(), samples.size(), c.width,
                                                  c.height, c.bands, VIPS_FORMAT_UCHAR));
}

bool sameSamples(const VImage& a, const VImage& b) {
    return a.width() == b.width() && a.height() == b.height() && a.bands() == b.bands() &&
           (a.cast(VIPS_FORMAT_INT) - b.cast(VIPS_FORMAT_INT)).abs().max() == 0;
}

class ClassicReaderTest : public ::testing::TestWithParam<ReaderCase> {};

// Ours give the pixels drawn into the file, and ImageMagick's loader gives the same ones.
TEST_P(ClassicReaderTest, GivesTheFilesPixelsAsImageMagickDoes) {
    const ReaderCase c = GetParam();
    const QByteArray file = c.file();
    const ClassicFormat format = classicFormatOf(file.left(kClassicHeadBytes));
    ASSERT_NE(format, ClassicFormat::None);
    const DecodedClassic ours = decodedClassic(format, file, 1e9, 1e9);
    ASSERT_FALSE(ours.tooLarge);
    const VImage drawn = picturePainted(c);
    EXPECT_TRUE(sameSamples(ours.image, drawn));
    if (!haveImageMagick())
        return;
    const VImage theirs = magickDecoded(file, c.code);
    EXPECT_EQ(theirs.bands(), c.bands);
    EXPECT_TRUE(sameSamples(theirs, drawn));
}

INSTANTIATE_TEST_SUITE_P(
    OldFormats, ClassicReaderTest,
    ::testing::Values(
        ReaderCase{"Bmp1BitBottomUp", FormatCode::Bmp,
                   [] { return bmpFile(3, 2, 1, 0, hex("1e140a003264c800"), hex("a0000000" "40000000")); },
                   3, 2, 3, {10, 20, 30, 200, 100, 50, 10, 20, 30, 200, 100, 50, 10, 20, 30, 200, 100, 50}},
        ReaderCase{"Bmp4BitTopDown", FormatCode::Bmp,
                   [] { return bmpFile(3, -2, 4, 0, hex("1e140a003264c800ffffff00"), hex("01200000" "21000000")); },
                   3, 2, 3, {10, 20, 30, 200, 100, 50, 255, 255, 255, 255, 255, 255, 200, 100, 50, 10, 20, 30}},
        ReaderCase{"Bmp8Bit", FormatCode::Bmp,
                   [] { return bmpFile(2, 2, 8, 0, hex("1e140a003264c800"), hex("01000000" "00010000")); },
                   2, 2, 3, {10, 20, 30, 200, 100, 50, 200, 100, 50, 10, 20, 30}},
        ReaderCase{"BmpRle8", FormatCode::Bmp,
                   [] { return bmpFile(4, 2, 8, 1, hex("1e140a003264c800ffffff00"), hex("0301" "0102" "0000" "0003020102" "00" "0101" "0001")); },
                   4, 2, 3, {255, 255, 255, 200, 100, 50, 255, 255, 255, 200, 100, 50,
                             200, 100, 50, 200, 100, 50, 200, 100, 50, 255, 255, 255}},
        ReaderCase{"BmpRle4", FormatCode::Bmp,
                   [] { return bmpFile(4, 2, 4, 2, hex("1e140a003264c800ffffff00"), hex("0412" "0000" "00042112" "0001")); },
                   4, 2, 3, {255, 255, 255, 200, 100, 50, 200, 100, 50, 255, 255, 255,
                             200, 100, 50, 255, 255, 255, 200, 100, 50, 255, 255, 255}},
        ReaderCase{"Bmp24BitTopDown", FormatCode::Bmp,
                   [] { return bmpFile(2, -2, 24, 0, {}, hex("0a141e326496" "0000" "010203fffefd" "0000")); },
                   2, 2, 3, {30, 20, 10, 150, 100, 50, 3, 2, 1, 253, 254, 255}},
        ReaderCase{"Bmp32Bit", FormatCode::Bmp,
                   [] { return bmpFile(2, 1, 32, 0, {}, hex("0a141e80" "32649600")); },
                   2, 1, 4, {30, 20, 10, 128, 150, 100, 50, 0}},
        ReaderCase{"Bmp32BitFieldsWithAlpha", FormatCode::Bmp,
                   [] { return bmpFile(2, 1, 32, 3, {}, hex("0a141e80" "326496ff"), 124, {0xff0000, 0xff00, 0xff, 0xff000000}); },
                   2, 1, 4, {30, 20, 10, 128, 150, 100, 50, 255}},
        ReaderCase{"Bmp16Bit555", FormatCode::Bmp,
                   [] { return bmpFile(2, 1, 16, 0, {}, hex("ff7f" "1f00")); },
                   2, 1, 3, {255, 255, 255, 0, 0, 255}},
        ReaderCase{"Bmp16BitFields565", FormatCode::Bmp,
                   [] { return bmpFile(3, 1, 16, 3, {}, hex("00f8" "e007" "2108" "0000"), 40, {0xf800, 0x07e0, 0x001f}); },
                   3, 1, 3, {255, 0, 0, 0, 255, 0, 8, 4, 8}},
        ReaderCase{"BmpCoreHeader", FormatCode::Bmp, coreBmpFile,
                   2, 1, 3, {30, 20, 10, 50, 100, 200}},
        ReaderCase{"PsdGreyRaw", FormatCode::Psd,
                   [] { return psdFile(3, 1, 1, 1, 0, hex("0080ff")); },
                   3, 1, 1, {0, 128, 255}},
        ReaderCase{"PsdRgbPackBits", FormatCode::Psd,
                   [] { return psdFile(3, 2, 3, 3, 1, hex("000200040002000200020002" "fe0a" "02010203" "fe14" "fe1e" "fe3c" "fe46")); },
                   3, 2, 3, {10, 20, 60, 10, 20, 60, 10, 20, 60, 1, 30, 70, 2, 30, 70, 3, 30, 70}},
        ReaderCase{"PsdRgbaRaw", FormatCode::Psd,
                   [] { return psdFile(2, 1, 4, 3, 0, hex("ff64" "8000" "40ff" "ff80")); },
                   2, 1, 3, {255, 128, 64, 100, 0, 255}},
        ReaderCase{"SunGrey", FormatCode::Ras,
                   [] { return sunFile(3, 1, 8, 1, {}, hex("0080ff00")); },
                   3, 1, 3, {0, 0, 0, 128, 128, 128, 255, 255, 255}},
        ReaderCase{"SunPalette", FormatCode::Ras,
                   [] { return sunFile(2, 2, 8, 1, hex("0ac8" "1464" "1e32"), hex("0100" "0001")); },
                   2, 2, 3, {200, 100, 50, 10, 20, 30, 10, 20, 30, 200, 100, 50}},
        ReaderCase{"SunBgr", FormatCode::Ras,
                   [] { return sunFile(3, 1, 24, 1, {}, hex("0a141e" "010203" "fffefd" "00")); },
                   3, 1, 3, {30, 20, 10, 3, 2, 1, 253, 254, 255}},
        ReaderCase{"SunRunLengths", FormatCode::Ras,
                   [] { return sunFile(3, 2, 24, 2, {}, hex("8008ff" "01" "8000" "03" "01" "800480" "0000")); },
                   3, 2, 3, {255, 255, 255, 255, 255, 255, 255, 255, 255, 128, 3, 1, 128, 128, 128, 128, 128, 0}},
        ReaderCase{"Sun32Bit", FormatCode::Ras,
                   [] { return sunFile(2, 1, 32, 1, {}, hex("ff0a141e" "80010203")); },
                   2, 1, 4, {30, 20, 10, 255, 3, 2, 1, 128}},
        ReaderCase{"SunRgbOrder", FormatCode::Ras,
                   [] { return sunFile(2, 1, 24, 3, {}, hex("0a141e010203")); },
                   2, 1, 3, {10, 20, 30, 1, 2, 3}},
        ReaderCase{"PictPackBitsRect", FormatCode::Pct,
                   [] { return pictFile(4, 2, 4, hex("0000ffff00000000" "00010000ffff0000" "000200000000ffff"), 3, hex("00010200" "02020201")); },
                   4, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 255, 0}},
        ReaderCase{"PictPackBitsRectPacked", FormatCode::Pct,
                   [] { return pictFile(10, 1, 10, hex("0000ffff00000000" "00010000ffff0000"), 2, hex("04" "f800" "0001")); },
                   10, 1, 3, {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0,
                              255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// Cut short anywhere (but in a PICT's end code or the byte before it), a file is refused as damaged; one
// whose header declares more than the limits is refused before any pixel is read.
TEST_P(ClassicReaderTest, RefusesTheFileCutShortOrBeyondTheLimits) {
    const ReaderCase c = GetParam();
    const QByteArray file = c.file();
    const ClassicFormat format = classicFormatOf(file.left(kClassicHeadBytes));
    EXPECT_TRUE(decodedClassic(format, file, c.width * c.height - 1, 1e9).tooLarge);
    EXPECT_TRUE(decodedClassic(format, file, 1e9, c.width * c.bands - 1).tooLarge);
    const qsizetype end = file.size() - (c.code == FormatCode::Pct ? 3 : 0);
    for (qsizetype keep = 0; keep < end; ++keep) {
        const QByteArray cut = file.left(keep);
        if (classicFormatOf(cut.left(kClassicHeadBytes)) != ClassicFormat::None) {
            EXPECT_THROW(decodedClassic(format, cut, 1e9, 1e9), vips::VError) << keep;
        }
    }
}

TEST(ClassicReaderTest, ReadsWhatOurWritersWrite) {
    using Write = void (*)(const VImage&, const VTarget&);
    const std::pair<FormatCode, Write> writers[] = {{FormatCode::Bmp, writeBmp},
                                                    {FormatCode::Pct, writePict},
                                                    {FormatCode::Ras, writeSunRaster},
                                                    {FormatCode::Psd, writePsd}};
    const std::tuple<int, int, bool> sizes[] = {{61, 9, false}, {301, 5, true}, {1, 3, false},
                                                {2, 3, false},  {3, 2, true},   {66, 4, true},
                                                {67, 4, false}};
    for (const auto& [code, write] : writers) {
        for (const auto& [width, height, grey] : sizes) {
            const VImage picture = threeBands(busyPicture(width, height, grey));
            const QByteArray file = written(write, picture);
            const ClassicFormat format = classicFormatOf(file.left(kClassicHeadBytes));
            ASSERT_NE(format, ClassicFormat::None) << int(code);
            const DecodedClassic ours = decodedClassic(format, file, 1e9, 1e9);
            EXPECT_EQ(ours.image.bands(), 3);
            EXPECT_TRUE(samePixels(picture, ours.image)) << int(code) << ' ' << width;
        }
    }
}

TEST(ClassicReaderTest, LeavesOtherFilesToOthers) {
    for (const QByteArray& other :
         {QByteArray("\x89PNG\r\n\x1a\n", 8), QByteArray("BM"), QByteArray(600, '\0'),
          bmpFile(2, 1, 16, 4, {}, hex("0000")), bmpFile(2, 1, 24, 0, {}, hex("00"), 64),
          psdFile(2, 1, 3, 3, 0, {}).replace(4, 2, be<quint16>(2)), psdFile(2, 1, 3, 4, 0, {}),
          psdFile(2, 1, 3, 3, 0, {}).replace(22, 2, be<quint16>(16)),
          sunFile(2, 1, 1, 1, {}, {}), sunFile(2, 1, 8, 5, {}, {}),
          sunFile(2, 1, 24, 0, {}, hex("0a141e010203"))})
        EXPECT_EQ(classicFormatOf(other), ClassicFormat::None) << other.left(8).toHex().toStdString();
}

// A libvips as the Windows build's: without ImageMagick nor JPEG XL.
class WithoutMagickOrJxlTest : public ::testing::Test {
protected:
    void SetUp() override { block(true); }
    void TearDown() override { block(false); }
    static void block(bool state) {
        for (const char* name :
             {"VipsForeignSaveMagick", "VipsForeignLoadMagick", "VipsForeignSaveJxl",
              "VipsForeignLoadJxl"})
            vips_operation_block_set(name, state);
    }
    QTemporaryDir dir_;
};

TEST_F(WithoutMagickOrJxlTest, OurWritersAndReaderStandIn) {
    for (const char* missing :
         {"magicksave_buffer", "magickload_buffer", "jxlsave_target", "jxlload_source"})
        EXPECT_FALSE(hasVipsOperation(missing)) << missing;
    for (const OutputFormat& format : outputFormats())
        EXPECT_TRUE(canWrite(format)) << format.name;
    // A PICT two pixels wide is where ours and ImageMagick's differ.
    const VImage narrow = busyPicture(2, 3, false);
    EXPECT_EQ(encodedImage(narrow, *outputFormatFor(FormatCode::Pct), 2),
              written(writePict, narrow));
    const VImage picture = busyPicture(61, 9, false);
    EXPECT_EQ(encodedImage(picture, *outputFormatFor(FormatCode::Bmp), 2),
              written(writeBmp, picture));
    EXPECT_EQ(encodedImage(picture, *outputFormatFor(FormatCode::Ras), 2),
              written(writeSunRaster, picture));
    const QByteArray jxl = encodedAtQuality(picture, *outputFormatFor(FormatCode::Jxl), 90, false);
    const QString name = dir_.filePath(QStringLiteral("picture.jxl"));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(jxl), jxl.size());
    file.close();

    // libvips' own, for what the engine makes of the file.
    block(false);
    EXPECT_EQ(jxl, encodedAtQuality(picture, *outputFormatFor(FormatCode::Jxl), 90, false));
    const std::optional<double> theirDistance = Butteraugli(picture).distanceTo(jxl);
    LeadImage theirs;
    ASSERT_EQ(theirs.Load(name), status::kOk);
    const VImage theirPixels = theirs.rgb8().copy_memory();
    block(true);

    EXPECT_EQ(Butteraugli(picture).distanceTo(jxl), theirDistance);
    LeadImage image;
    ASSERT_EQ(image.Load(name), status::kOk);
    EXPECT_EQ(image.header().loader, "Jxl");
    EXPECT_TRUE(samePixels(theirPixels, image.rgb8()));
    ASSERT_EQ(image.Size(30, 4).status, status::kOk);
    EXPECT_EQ(image.rgb8().width(), 30);
    EXPECT_EQ(image.rgb8().height(), 4);
}

// What our writers wrote, the engine loads through our readers, shrinking it too.
TEST_F(WithoutMagickOrJxlTest, OurReadersLoadTheOldFormats) {
    const VImage picture = busyPicture(61, 9, false);
    for (const FormatCode code : {FormatCode::Bmp, FormatCode::Psd, FormatCode::Pct, FormatCode::Ras}) {
        const OutputFormat& format = *outputFormatFor(code);
        const QString name = dir_.filePath(QStringLiteral("picture") + QLatin1String(format.extension));
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = encodedImage(picture, format, 2);
        ASSERT_EQ(file.write(bytes), bytes.size());
        file.close();
        LeadImage image;
        ASSERT_EQ(image.Load(name), status::kOk) << format.name;
        EXPECT_EQ(image.header().loader, classicLoaderName(classicFormatOf(bytes.left(kClassicHeadBytes))));
        EXPECT_EQ(image.header().fileBytes, bytes.size());
        EXPECT_TRUE(samePixels(picture, image.rgb8())) << format.name;
        ASSERT_EQ(image.Size(30, 4).status, status::kOk);
        EXPECT_EQ(image.rgb8().width(), 30);
    }
}

} // namespace
} // namespace quillmorph
