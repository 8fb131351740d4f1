#include "engine/Butteraugli.h"
#include "engine/ClassicWriters.h"
#include "engine/FormatWriters.h"
#include "engine/JxlCodec.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
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

// A libvips as the Windows build's: without ImageMagick's saver nor JPEG XL.
class WithoutMagickOrJxlTest : public ::testing::Test {
protected:
    void SetUp() override { block(true); }
    void TearDown() override { block(false); }
    static void block(bool state) {
        for (const char* name :
             {"VipsForeignSaveMagick", "VipsForeignSaveJxl", "VipsForeignLoadJxl"})
            vips_operation_block_set(name, state);
    }
    QTemporaryDir dir_;
};

TEST_F(WithoutMagickOrJxlTest, OurWritersAndReaderStandIn) {
    for (const char* missing : {"magicksave_buffer", "jxlsave_target", "jxlload_source"})
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

} // namespace
} // namespace quillmorph
