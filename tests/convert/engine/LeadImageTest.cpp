#include "Fifo.h"
#include "GObjectWarnings.h"
#include "Saving.h"
#include "TestImages.h"
#include "engine/ColourTransforms.h"
#include "engine/Encoding.h"
#include "engine/FileSource.h"
#include "engine/FitAndPad.h"
#include "engine/FormatWriters.h"
#include "engine/JfifTarget.h"
#include "engine/LeadImage.h"
#include "engine/SizeLimit.h"
#include "files/PartialOutput.h"
#include "files/SourceFile.h"

#include <QDir>
#include <QtEndian>
#include <QFile>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using test::Rgb;
using vips::VImage;

class LeadImageTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QStringList filesIn(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden);
    }
    QTemporaryDir dir_;
};

TEST_F(LeadImageTest, LoadTellsMissingEmptyAndFolderApart) {
    LeadImage image;
    EXPECT_EQ(image.Load(path(QStringLiteral("missing.jpg"))), status::kFileNotFound);
    EXPECT_EQ(image.Load(dir_.path()), status::kNotAFile);
    test::writeBytes(path(QStringLiteral("empty.png")), {});
    EXPECT_EQ(image.Load(path(QStringLiteral("empty.png"))), status::kEmptyFile);
#ifndef _WIN32 // QFile::link makes a shortcut there, a file of its own
    ASSERT_TRUE(QFile::link(path(QStringLiteral("gone.png")), path(QStringLiteral("link.png"))));
    EXPECT_EQ(image.Load(path(QStringLiteral("link.png"))), status::kFileNotFound);
    EXPECT_TRUE(image.isEmpty());
#endif

    // Headers past the limits: too many pixels, or rows too long to hold a strip of them.
    QByteArray v = test::readBytes(test::writeImage(VImage::black(1, 1), path(QStringLiteral("big.v"))));
    struct Header {
        quint32 width, height, bands;
    };
    for (const Header h : {Header{40000, 40000, 1}, Header{10000000, 62, 257}}) {
        const quint32 header[] = {qToLittleEndian(h.width), qToLittleEndian(h.height), qToLittleEndian(h.bands)};
        v.replace(4, sizeof header, reinterpret_cast<const char*>(header), sizeof header);
        test::writeBytes(path(QStringLiteral("big.v")), v);
        EXPECT_EQ(image.Load(path(QStringLiteral("big.v"))), status::kImageTooLarge) << h.width;
    }
}

// What the cost model reads of a file before it is decoded (ConversionCost.h).
TEST_F(LeadImageTest, TheHeaderTellsHowTheFileWillBeDecoded) {
    VImage turned = test::solid(40, 20, {1, 2, 3});
    turned.set("orientation", 6);
    const struct {
        QString file;
        std::function<void(const QString&)> write;
        SourceHeader expected;
    } files[] = {
        {QStringLiteral("progressive.jpg"), [](const QString& f) { test::solid(40, 20, {1, 2, 3}).jpegsave(f.toUtf8().constData(), VImage::option()->set("interlace", true)->set("Q", 75)); },
         {"VipsForeignLoadJpegFile", 40, 20, true, 3, false, true, false}},
        {QStringLiteral("full.jpg"), [](const QString& f) { test::solid(40, 20, {1, 2, 3}).jpegsave(f.toUtf8().constData(), VImage::option()->set("Q", 95)); },
         {"VipsForeignLoadJpegFile", 40, 20, false, 3, false, false, false}},
        {QStringLiteral("turned.jpg"), [&](const QString& f) { test::writeImage(turned, f); },
         {"VipsForeignLoadJpegFile", 20, 40, false, 3, false, true, true}},
        {QStringLiteral("interlaced.png"), [](const QString& f) { test::solid(40, 20, {1, 2, 3}, 128).pngsave(f.toUtf8().constData(), VImage::option()->set("interlace", true)); },
         {"VipsForeignLoadPngFile", 40, 20, true, 4, true, false, false}},
        {QStringLiteral("deep.png"), [](const QString& f) { test::writeImage(VImage::black(40, 20).cast(VIPS_FORMAT_USHORT).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16)), f); },
         {"VipsForeignLoadPngFile", 40, 20, false, 2, false, false, false}},
        {QStringLiteral("frame.gif"), [](const QString& f) { test::writeImage(test::solid(40, 20, {1, 2, 3}), f); },
         {"VipsForeignLoadNsgifFile", 40, 20, false, 4, true, false, false}},
    };
    for (const auto& f : files) {
        f.write(path(f.file));
        LeadImage image;
        ASSERT_EQ(image.Load(path(f.file)), status::kOk) << f.file.toStdString();
        const SourceHeader& h = image.header();
        EXPECT_EQ(h.loader, f.expected.loader) << f.file.toStdString();
        EXPECT_EQ(h.width, f.expected.width) << f.file.toStdString();
        EXPECT_EQ(h.height, f.expected.height) << f.file.toStdString();
        EXPECT_EQ(h.interlaced, f.expected.interlaced) << f.file.toStdString();
        EXPECT_EQ(h.bytesPerPixel, f.expected.bytesPerPixel) << f.file.toStdString();
        EXPECT_EQ(h.alpha, f.expected.alpha) << f.file.toStdString();
        EXPECT_EQ(h.chromaSubsampled, f.expected.chromaSubsampled) << f.file.toStdString();
        EXPECT_EQ(h.turned, f.expected.turned) << f.file.toStdString();
    }
}

// Shrinking on load, turning upright and telling damage apart read the file again: from the
// file loaded, never from whatever its path names by then (a pipe would block that read).
TEST_F(LeadImageTest, ASourceSwappedAfterLoadingIsStillReadFromTheFileLoaded) {
#ifdef _WIN32
    GTEST_SKIP() << test::kNoFifos << "; a held source cannot be renamed there (SourceFileWindows)";
#endif
    const QString source = path(QStringLiteral("photo.jpg"));
    for (const int orientation : {1, 6}) {
        SCOPED_TRACE(orientation);
        VImage red = test::solid(400, 200, {230, 10, 10});
        red.set("orientation", orientation);
        QFile::remove(source);
        test::writeImage(red, source);
        LeadImage image;
        ASSERT_EQ(image.Load(source), status::kOk);
        ASSERT_TRUE(QFile::rename(source, path(QStringLiteral("moved%1.jpg").arg(orientation))));
        ASSERT_TRUE(test::makeFifo(source));
        const QString output = path(QStringLiteral("out%1.png").arg(orientation));
        auto converted = std::async(std::launch::async, [&] {
            return image.Size(50, 50).status == status::kOk &&
                   test::save(image, output, *outputFormatFor(FormatCode::Png), 2) == status::kOk;
        });
        if (converted.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            test::releaseFifoReader(source); // let the reader go
            FAIL() << "waited for a writer of the pipe";
        }
        EXPECT_TRUE(converted.get());
        EXPECT_TRUE(test::near(test::pixelAt(test::readImage(output), 25, 25), {230, 10, 10}));
    }
}

TEST_F(LeadImageTest, LoadRaisesOnlyForFilesNoLoaderKnows) {
    LeadImage image;
    test::writeBytes(path(QStringLiteral("note.jpg")), "just some words, not a picture\n");
    EXPECT_THROW(image.Load(path(QStringLiteral("note.jpg"))), NotAnImageError);

    // A real JPEG header with its data cut away is an image, only a damaged one.
    const QByteArray jpeg = test::readBytes(test::writeImage(
        VImage::gaussnoise(400, 300).cast(VIPS_FORMAT_UCHAR), path(QStringLiteral("whole.jpg"))));
    test::writeBytes(path(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() / 2));
    EXPECT_NO_THROW(EXPECT_EQ(image.Load(path(QStringLiteral("cut.jpg"))), status::kOk));
}

TEST_F(LeadImageTest, NamesEndingInABracketAreReadLiterally) {
    const QString odd = path(QStringLiteral("shot[1]"));
    test::writeImage(test::solid(30, 20, {1, 2, 3}), path(QStringLiteral("shot.png")));
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("shot.png")), odd));
    LeadImage image;
    ASSERT_EQ(image.Load(odd), status::kOk);
    EXPECT_EQ(image.width(), 30.0f);
    ASSERT_EQ(image.Size(15, 10).status, status::kOk);
    EXPECT_EQ(image.width(), 15.0f);

    ASSERT_EQ(test::save(image, path(QStringLiteral("shot.png")), *outputFormatFor(FormatCode::Png), 2), status::kOk);
    EXPECT_TRUE(test::near(test::pixelAt(test::readImage(path(QStringLiteral("shot.png"))), 14, 9), Rgb{1, 2, 3}, 0));

    // Where libvips would split the name it is given, loaders read through what was opened.
    EngineStatus st = status::kOk;
    const std::shared_ptr<const SourceFile> file = SourceFile::open(odd, st);
    ASSERT_EQ(st, status::kOk);
    const VImage whole = VImage::new_from_source(sourceReading(file), "");
    EXPECT_EQ(whole.width(), 30);
    EXPECT_TRUE(test::near(test::pixelAt(whole, 29, 19), Rgb{1, 2, 3}, 0));
    const VImage small = VImage::thumbnail_source(sourceReading(file), 6);
    EXPECT_EQ(small.width(), 6);
    EXPECT_TRUE(test::near(test::pixelAt(small, 5, 3), Rgb{1, 2, 3}, 0));
    char head[8] = {};
    EXPECT_EQ(file->readAt(1, head, 3), 3);
    EXPECT_EQ(QByteArray(head, 3), "PNG");
    EXPECT_EQ(file->readAt(file->size(), head, 8), 0);
}

// 30000 × 30000 declared in 116 bytes: a 7 × 5 box asks the SVG loader for a scale below the
// least it takes; it must never be asked (it would refuse and render the whole page).
TEST_F(LeadImageTest, AVectorPictureShrinksFarBelowAThousandthOfItsSize) {
    test::writeBytes(path(QStringLiteral("vast.svg")),
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"30000\" height=\"30000\">"
                     "<rect width=\"30000\" height=\"30000\" fill=\"#e60a0a\"/></svg>");
    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("vast.svg"))), status::kOk);
    const test::GObjectWarnings warnings;
    ASSERT_EQ(image.Size(7, 5).status, status::kOk);
    ASSERT_EQ(test::save(image, path(QStringLiteral("small.png")), *outputFormatFor(FormatCode::Png), 2), status::kOk);
    EXPECT_EQ(warnings.seen(), 0);
    const VImage out = test::readImage(path(QStringLiteral("small.png")));
    EXPECT_EQ(out.width(), 7);
    EXPECT_EQ(out.height(), 5);
    EXPECT_TRUE(test::near(test::pixelAt(out, 3, 2), Rgb{230, 10, 10}));
}

// libvips' HEIF loader keeps the EXIF it read in memory that goes with the loaded image, which
// a crop by attention lets go of; the WebP writer reads the EXIF even when it leaves it out.
// The read after free shows in the AddressSanitizer build.
TEST_F(LeadImageTest, AnAttentionCropOfAHeifWithExifEncodes) {
#ifdef _WIN32
    const QString photo = path(QStringLiteral("photo.avif")); // libvips there has no HEVC
#else
    const QString photo = path(QStringLiteral("photo.heic"));
#endif
    test::writeImage(test::solid(64, 48, {200, 30, 30}), photo);
    LeadImage image;
    ASSERT_EQ(image.Load(photo), status::kOk);
    ASSERT_EQ(image.Crop(0, 0, 24, 20, CropAnchor::Attention).status, status::kOk);
    QByteArray bytes;
    ASSERT_EQ(test::encodeToMemory(image, *outputFormatFor(FormatCode::Webp), 2, bytes), status::kOk);
    const VImage back = VImage::new_from_buffer(bytes.constData(), size_t(bytes.size()), "");
    EXPECT_EQ(back.width(), 24);
    EXPECT_EQ(back.height(), 20);
    EXPECT_TRUE(test::near(test::pixelAt(back, 12, 10), Rgb{200, 30, 30}, 16));
}

TEST_F(LeadImageTest, ExifOrientationIsApplied) {
    VImage tall = test::solid(40, 20, {200, 0, 0});
    tall.set("orientation", 6);
    test::writeImage(tall, path(QStringLiteral("rotated.jpg")));
    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("rotated.jpg"))), status::kOk);
    EXPECT_EQ(image.width(), 20.0f);
    EXPECT_EQ(image.height(), 40.0f);
    ASSERT_EQ(image.Size(10, 20).status, status::kOk);
    ASSERT_EQ(test::save(image, path(QStringLiteral("upright.png")), *outputFormatFor(FormatCode::Png), 2), status::kOk);
    const VImage out = test::readImage(path(QStringLiteral("upright.png")));
    EXPECT_EQ(out.width(), 10);
    EXPECT_EQ(out.height(), 20);
}

TEST_F(LeadImageTest, SizeHitsTheRequestedPixelsExactly) {
    test::writeImage(test::solid(1001, 999, {0, 0, 255}), path(QStringLiteral("odd.jpg")));
    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("odd.jpg"))), status::kOk);
    ASSERT_EQ(image.Size(337.9f, 450.2f).status, status::kOk);
    EXPECT_EQ(image.width(), 337.0f);
    EXPECT_EQ(image.height(), 450.0f);
    ASSERT_EQ(image.Size(0.2f, 3).status, status::kOk); // never below one pixel
    EXPECT_EQ(image.width(), 1.0f);
    EXPECT_EQ(image.Size(-1, 3).status, status::kBadDimensions);
    EXPECT_EQ(LeadImage().Size(5, 5).status, status::kNoImage);
}

TEST_F(LeadImageTest, CopyIsIndependentOfLaterChanges) {
    test::writeImage(test::solid(80, 60, {0, 200, 0}), path(QStringLiteral("g.png")));
    LeadImage main;
    LeadImage work;
    ASSERT_EQ(main.Load(path(QStringLiteral("g.png"))), status::kOk);
    work.copyFrom(main);
    ASSERT_EQ(main.Size(10, 10).status, status::kOk);
    ASSERT_EQ(main.Fill(0x0000FF), status::kOk);
    EXPECT_EQ(work.width(), 80.0f);
    ASSERT_EQ(test::save(work, path(QStringLiteral("work.png")), *outputFormatFor(FormatCode::Png), 2), status::kOk);
    EXPECT_TRUE(test::near(test::pixelAt(test::readImage(path(QStringLiteral("work.png"))), 5, 5),
                           Rgb{0, 200, 0}, 0));
}

TEST_F(LeadImageTest, CombineClipsAndFlattensOntoTheFill) {
    test::writeImage(test::solid(20, 20, {0, 0, 0}, 0), path(QStringLiteral("clear.png")));
    LeadImage canvas;
    LeadImage piece;
    ASSERT_EQ(piece.Load(path(QStringLiteral("clear.png"))), status::kOk);
    canvas.copyFrom(piece);
    ASSERT_EQ(canvas.Size(50, 40).status, status::kOk);
    ASSERT_EQ(canvas.Fill(0x00FF00), status::kOk); // green, 0x00BBGGRR
    ASSERT_EQ(canvas.Combine(40, -5, 20, 20, piece, 0, 0), status::kOk);
    ASSERT_EQ(test::save(canvas, path(QStringLiteral("c.png")), *outputFormatFor(FormatCode::Png), 2), status::kOk);
    const VImage out = test::readImage(path(QStringLiteral("c.png")));
    EXPECT_EQ(out.width(), 50);
    EXPECT_EQ(out.height(), 40);
    EXPECT_EQ(out.bands(), 3);
    // A transparent piece shows the margin colour through it, also where it was clipped.
    EXPECT_TRUE(test::near(test::pixelAt(out, 45, 5), Rgb{0, 255, 0}, 0));
    EXPECT_TRUE(test::near(test::pixelAt(out, 0, 39), Rgb{0, 255, 0}, 0));
}

struct FormatCase {
    FormatCode code;
    const char* suffix;
    QByteArray magic;
    int magicOffset;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.suffix;
}

class SaveFormatTest : public LeadImageTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(SaveFormatTest, WritesTheFormatAndReloadsAtTheSameSize) {
    const FormatCase c = GetParam();
    test::writeImage(test::solid(61, 47, {250, 120, 10}), path(QStringLiteral("src.png")));
    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("src.png"))), status::kOk);
    const QString out = path(QStringLiteral("out") + QLatin1String(c.suffix));
    ASSERT_EQ(test::save(image, out, *outputFormatFor(c.code), 2), status::kOk);

    const QByteArray bytes = test::readBytes(out);
    EXPECT_EQ(bytes.mid(c.magicOffset, c.magic.size()).toHex(), c.magic.toHex());
    // libvips for Windows reads no BMP, PSD, PCT, RAS or JXL: there the engine's own readers
    // do, and OwnWritersTest holds ours to ImageMagick's pixels on Linux.
    const VImage back = test::readPicture(out);
    EXPECT_EQ(back.width(), 61);
    EXPECT_EQ(back.height(), 47);
    EXPECT_TRUE(test::near(test::pixelAt(back, 30, 20), Rgb{250, 120, 10}, 12));
    EXPECT_EQ(filesIn(dir_.path()).filter(QStringLiteral(".part")).size(), 0);

    // Into memory, the same encoding gives the file's bytes.
    LeadImage again;
    ASSERT_EQ(again.Load(path(QStringLiteral("src.png"))), status::kOk);
    QByteArray memory;
    ASSERT_EQ(test::encodeToMemory(again, *outputFormatFor(c.code), 2, memory), status::kOk);
    EXPECT_TRUE(memory == bytes) << memory.size() << " bytes in memory, " << bytes.size() << " in the file";
}

INSTANTIATE_TEST_SUITE_P(
    AllTwelve, SaveFormatTest,
    ::testing::Values(FormatCase{FormatCode::Bmp, ".bmp", "BM", 0},
                      FormatCase{FormatCode::Gif, ".gif", "GIF8", 0},
                      FormatCase{FormatCode::Jpeg, ".jpg", QByteArray::fromHex("ffd8ffe000104a464946"), 0},
                      FormatCase{FormatCode::Png, ".png", QByteArray::fromHex("89504e470d0a1a0a"), 0},
                      FormatCase{FormatCode::Psd, ".psd", QByteArray::fromHex("38425053000100000000000000030000002f0000003d00080003"), 0},
                      FormatCase{FormatCode::Cmp, ".cmp", QByteArray::fromHex("ffd8ffe000104a464946"), 0},
                      FormatCase{FormatCode::Pct, ".pct", QByteArray::fromHex("00000000002f003d001102ff"), 514},
                      FormatCase{FormatCode::Ras, ".ras", QByteArray::fromHex("59a66a95"), 0},
                      FormatCase{FormatCode::Webp, ".webp", "WEBPVP8", 8},
                      FormatCase{FormatCode::Avif, ".avif", "ftypavif", 4},
                      FormatCase{FormatCode::Jxl, ".jxl", QByteArray::fromHex("ff0a"), 0},
                      FormatCase{FormatCode::Tiff, ".tif", QByteArray::fromHex("49492a00"), 0}));

TEST_F(LeadImageTest, SaveStripsMetadataAndWritesEightBitSrgb) {
    VImage deep = VImage::black(32, 32)
                      .cast(VIPS_FORMAT_USHORT)
                      .new_from_image(std::vector<double>{1000, 30000, 65535})
                      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
    test::writeImage(deep, path(QStringLiteral("deep.png")));
    VImage tagged = test::solid(32, 32, {9, 9, 9});
    tagged.set("orientation", 1);
    test::writeImage(tagged, path(QStringLiteral("tagged.jpg")));

    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("deep.png"))), status::kOk);
    ASSERT_EQ(test::save(image, path(QStringLiteral("deep-out.png")), *outputFormatFor(FormatCode::Png), 2), status::kOk);
    const VImage out = test::readImage(path(QStringLiteral("deep-out.png")));
    EXPECT_EQ(out.format(), VIPS_FORMAT_UCHAR);
    EXPECT_TRUE(test::near(test::pixelAt(out, 1, 1), Rgb{4, 117, 255}, 1));

    ASSERT_EQ(image.Load(path(QStringLiteral("tagged.jpg"))), status::kOk);
    ASSERT_EQ(test::save(image, path(QStringLiteral("tagged-out.jpg")), *outputFormatFor(FormatCode::Jpeg), 2), status::kOk);
    const VImage jpeg = test::readImage(path(QStringLiteral("tagged-out.jpg")));
    EXPECT_EQ(jpeg.get_typeof("exif-data"), 0u);
    EXPECT_EQ(jpeg.get_typeof("icc-profile-data"), 0u);
}

// The colour pure sRGB green would have in another space, tagged with that space's profile.
VImage greenIn(const char* profile, int depth = 8) {
    return test::solid(64, 48, {0, 200, 0})
        .icc_transform(profile, VImage::option()->set("input_profile", "srgb")->set("depth", depth));
}

TEST_F(LeadImageTest, ProfilesAreAppliedBeforeTheyAreDropped) {
    VImage broken = test::solid(64, 48, {0, 200, 0}).copy();
    QByteArray noise(2000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    vips_image_set_blob_copy(broken.get_image(), "icc-profile-data", noise.constData(), size_t(noise.size()));
    const VImage cmyk = VImage::black(64, 48).new_from_image(std::vector<double>{200, 20, 220, 10}).copy(
        VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK));
    const Rgb cmykGreen = test::pixelAt(
        cmyk.icc_transform("srgb", VImage::option()->set("input_profile", "cmyk")->set("intent", VIPS_INTENT_PERCEPTUAL)), 0, 0);
    const auto jpeg = [&](const VImage& in, const char* name, const char* profile = nullptr) {
        const QString file = path(QLatin1String(name));
        in.jpegsave(QFile::encodeName(file).constData(),
                    profile ? VImage::option()->set("Q", 98)->set("profile", profile) : VImage::option()->set("Q", 98));
        return file;
    };
    const std::vector<std::pair<QString, Rgb>> cases{
        {jpeg(greenIn("p3"), "p3.jpg"), {0, 200, 0}},
        {jpeg(greenIn("/usr/share/color/icc/colord/ProPhotoRGB.icc"), "prophoto.jpg"), {0, 200, 0}},
        {test::writeImage(greenIn("p3", 16), path(QStringLiteral("p3-16.png"))), {0, 200, 0}},
        {jpeg(broken, "broken.jpg"), {0, 200, 0}},
        {jpeg(cmyk, "cmyk.jpg"), cmykGreen},
        {jpeg(cmyk, "cmyk-tagged.jpg", "cmyk"), cmykGreen}};
    enum class Way { AsLoaded, Shrunk, SizedToItsOwnSize, PaddedAtOwnSize };
    for (const auto& [file, expected] : cases) {
        for (const Way way : {Way::AsLoaded, Way::Shrunk, Way::SizedToItsOwnSize, Way::PaddedAtOwnSize}) {
            LeadImage image;
            ASSERT_EQ(image.Load(file), status::kOk) << file.toStdString();
            if (way == Way::Shrunk) { // decodes at reduced scale
                ASSERT_EQ(image.Size(32, 24).status, status::kOk);
            } else if (way == Way::SizedToItsOwnSize) { // nothing to resample
                ASSERT_EQ(image.Size(image.width(), image.height()).status, status::kOk);
            } else if (way == Way::PaddedAtOwnSize) { // the loaded pixels go through a copy
                LeadImage work;
                ASSERT_EQ(FitAndPad(image, work, FitRequest{}, [](PadStep) { FAIL(); }).status, status::kOk);
            }
            const QString out = file + QStringLiteral("-%1.png").arg(int(way));
            ASSERT_EQ(test::save(image, out, *outputFormatFor(FormatCode::Png), 2), status::kOk);
            const Rgb got = test::pixelAt(test::readImage(out), 10, 10);
            EXPECT_LT(test::colourDistance(got, expected), 3.0) // a few levels of green
                << out.toStdString() << ": " << got[0] << ',' << got[1] << ',' << got[2];
        }
    }
}

TEST_F(LeadImageTest, JpegStreamedIntoItsFileHasTheBufferedEncodersBytesAndTheJfifMarker) {
    const auto channel = [] { return VImage::gaussnoise(300, 200, VImage::option()->set("mean", 128)->set("sigma", 50)); };
    const VImage noise = channel().bandjoin(channel()).bandjoin(channel()).cast(VIPS_FORMAT_UCHAR).copy(
        VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    test::writeImage(noise, path(QStringLiteral("noise.png")));
    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("noise.png"))), status::kOk);
    ASSERT_EQ(test::save(image, path(QStringLiteral("noise.jpg")), *outputFormatFor(FormatCode::Jpeg), 2), status::kOk);
    void* buffer = nullptr;
    size_t size = 0;
    test::readImage(path(QStringLiteral("noise.png"))).write_to_buffer(".jpg", &buffer, &size, VImage::option()->set("Q", 100)->set("strip", true));
    const QByteArray buffered(static_cast<const char*>(buffer), qsizetype(size));
    g_free(buffer);
    EXPECT_EQ(test::readBytes(path(QStringLiteral("noise.jpg"))), withJfifMarker(buffered));
    EXPECT_EQ(withJfifMarker(withJfifMarker(buffered)), withJfifMarker(buffered)); // never twice
}

TEST_F(LeadImageTest, BatchColourTransformsGiveLibvipsOwnPixels) {
    const auto channel = [] { return VImage::gaussnoise(64, 48, VImage::option()->set("mean", 128)->set("sigma", 70)); };
    const VImage noise = channel().bandjoin(channel()).bandjoin(channel()).cast(VIPS_FORMAT_UCHAR).copy(
        VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    ColourTransforms transforms; // one for every case: each profile's transform is reused
    for (const char* profile : {"p3", "/usr/share/color/icc/colord/ProPhotoRGB.icc", "p3"}) {
        const VImage tagged = noise.icc_transform(profile, VImage::option()->set("input_profile", "srgb"));
        for (const VImage& in : {tagged, tagged.bandjoin_const({200})}) {
            const std::optional<VImage> ours = transforms.intoSrgb(in);
            ASSERT_TRUE(ours.has_value()) << profile;
            const VImage libvips = in.icc_transform(
                "srgb", VImage::option()->set("embedded", true)->set("input_profile", "srgb")->set("intent", VIPS_INTENT_PERCEPTUAL));
            EXPECT_EQ(ours->bands(), in.bands());
            EXPECT_EQ((*ours - libvips).abs().max(), 0.0) << profile << ", " << in.bands() << " bands";
            EXPECT_EQ(ours->get_typeof("icc-profile-data"), 0u);
        }
    }
    EXPECT_FALSE(transforms.intoSrgb(noise).has_value()); // no profile: nothing to apply
}

TEST_F(LeadImageTest, QualityFactorDrivesTheLossyFormatsOnly) {
    VImage noise = VImage::gaussnoise(256, 256).cast(VIPS_FORMAT_UCHAR).bandjoin({VImage::gaussnoise(256, 256).cast(VIPS_FORMAT_UCHAR), VImage::gaussnoise(256, 256).cast(VIPS_FORMAT_UCHAR)});
    test::writeImage(noise.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
                     path(QStringLiteral("noise.png")));
    const auto sizeAt = [&](FormatCode code, int factor) {
        LeadImage image; // a load streams once
        EXPECT_EQ(image.Load(path(QStringLiteral("noise.png"))), status::kOk);
        const QString out = path(QStringLiteral("%1-%2").arg(int(code)).arg(factor));
        EXPECT_EQ(test::save(image, out, *outputFormatFor(code), factor), status::kOk);
        return QFileInfo(out).size();
    };
    for (const FormatCode code : {FormatCode::Jpeg, FormatCode::Webp, FormatCode::Avif, FormatCode::Jxl})
        EXPECT_GT(sizeAt(code, 2), 2 * sizeAt(code, 178)) << int(code); // quality 100 and 30
    EXPECT_EQ(sizeAt(FormatCode::Tiff, 2), sizeAt(FormatCode::Tiff, 178));
}

// Noise: every quality step changes the size, so a limit can be missed by one step.
TEST_F(LeadImageTest, ASizeLimitKeepsTheBestQualityThatFits) {
    const VImage picture = test::noise(240, 160).copy_memory();
    const OutputFormat& jpeg = *outputFormatFor(FormatCode::Jpeg);
    const OutputFormat& png = *outputFormatFor(FormatCode::Png);
    int encodes = 0;
    const auto within = [&](const OutputFormat& format, qint64 limit, bool sizeIsFree) {
        encodes = 0;
        return encodeWithin(picture, format, 90, {limit, sizeIsFree},
                            [&](const VImage& image, int quality, bool palette) {
                                ++encodes;
                                return encodedAtQuality(image, format, quality, palette);
                            });
    };
    const auto sizeAt = [&](int quality) { return encodedAtQuality(picture, jpeg, quality, false).size(); };

    LimitedEncoding roomy = within(jpeg, sizeAt(90), false);
    EXPECT_TRUE(roomy.within && roomy.quality == 90 && encodes == 1) << "a file that fits is encoded once";
    const qint64 limit = (sizeAt(40) + sizeAt(41)) / 2;
    const LimitedEncoding tight = within(jpeg, limit, false);
    ASSERT_TRUE(tight.within);
    EXPECT_LE(tight.bytes.size(), limit);
    EXPECT_GT(sizeAt(tight.quality + 1), limit) << "one quality step higher would fit too";
    EXPECT_LE(encodes, 8);

    // Not even quality 1 fits; a three-band JPEG's tables alone are some 600 bytes.
    const LimitedEncoding boxed = within(jpeg, 1000, false);
    EXPECT_FALSE(boxed.within);
    EXPECT_EQ(boxed.bytes.size(), sizeAt(1)) << "the smallest is kept";
    const LimitedEncoding free = within(jpeg, 1000, true);
    EXPECT_TRUE(free.within && free.bytes.size() <= 1000 && free.scale < 1);
    EXPECT_LT(VImage::new_from_buffer(free.bytes.constData(), size_t(free.bytes.size()), "").width(), 240);

    const qint64 lossless = encodedAtQuality(picture, png, 0, false).size();
    const LimitedEncoding palette = within(png, lossless / 2, false);
    ASSERT_TRUE(palette.within);
    EXPECT_EQ(palette.bytes.at(25), char(3)) << "IHDR colour type: a palette";

    // GIF: fewer colours. Noise of 256 greys keeps about a bit less per eighth of its size.
    const OutputFormat& gif = *outputFormatFor(FormatCode::Gif);
    const qint64 allColours = encodedAtQuality(picture, gif, 100, false).size();
    const LimitedEncoding fewer = within(gif, allColours * 2 / 3, false);
    ASSERT_TRUE(fewer.within);
    EXPECT_LE(fewer.bytes.size(), allColours * 2 / 3);
    EXPECT_LT(fewer.quality, 100);
    EXPECT_EQ(within(gif, allColours, false).quality, 100) << "what fits keeps every colour";

    QStringList limited;
    for (const OutputFormat& format : outputFormats()) {
        if (sizeLimitApplies(format))
            limited << QLatin1String(format.name);
    }
    EXPECT_EQ(limited.join(' '), QStringLiteral("JPEG PNG GIF CMP WEBP AVIF JXL"));
}

// libjxl refuses the distance libvips asks for below quality 5 and libvips then encodes at its
// default, thirty times larger: a search that tried 3 after 6 missed 5 and made the picture
// smaller. libjxl's sizes vary a little from run to run, so only their scale is compared.
TEST_F(LeadImageTest, AJxlSizeLimitTriesOnlyQualitiesTheEncoderHonours) {
    const VImage picture = test::noise(400, 300).copy_memory();
    const OutputFormat& jxl = *outputFormatFor(FormatCode::Jxl);
    const qsizetype least = encodedAtQuality(picture, jxl, 5, false).size();
    EXPECT_LT(encodedAtQuality(picture, jxl, 1, false).size(), 2 * least) << "below 5 is 5";
    QList<int> tried;
    const LimitedEncoding smallest =
        encodeWithin(picture, jxl, 100, {least / 2, false}, [&](const VImage& image, int quality, bool) {
            tried << quality;
            return encodedAtQuality(image, jxl, quality, false);
        });
    EXPECT_FALSE(smallest.within);
    EXPECT_LT(smallest.bytes.size(), 2 * least);
    EXPECT_EQ(*std::min_element(tried.begin(), tried.end()), 5);
}

TEST_F(LeadImageTest, SaveNeverReplacesAndLeavesNothingBehindOnFailure) {
    test::writeImage(test::solid(16, 16, {5, 5, 5}), path(QStringLiteral("s.png")));
    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("s.png"))), status::kOk);
    test::writeBytes(path(QStringLiteral("taken.png")), "keep me");
    EXPECT_EQ(test::save(image, path(QStringLiteral("taken.png")), *outputFormatFor(FormatCode::Png), 2), status::kOutputExists);
    EXPECT_EQ(test::readBytes(path(QStringLiteral("taken.png"))), "keep me");
    EXPECT_EQ(test::save(image, path(QStringLiteral("gone/x.png")), *outputFormatFor(FormatCode::Png), 2), status::kFolderMissing);
    EXPECT_EQ(outputFormatFor(FormatCode(99)), nullptr); // no row to hand to Save
    EXPECT_EQ(test::save(LeadImage(), path(QStringLiteral("y.png")), *outputFormatFor(FormatCode::Png), 2), status::kNoImage);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.tif"))));
}

TEST_F(LeadImageTest, DamagedDataSurfacesAsCorruptWithoutOutput) {
    const QByteArray jpeg = test::readBytes(
        test::writeImage(VImage::gaussnoise(300, 200).cast(VIPS_FORMAT_UCHAR), path(QStringLiteral("w.jpg"))));
    test::writeBytes(path(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() / 3));
    const QString folder = path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(folder));

    LeadImage image;
    ASSERT_EQ(image.Load(path(QStringLiteral("cut.jpg"))), status::kOk);
    EXPECT_EQ(test::save(image, folder + QStringLiteral("/cut.png"), *outputFormatFor(FormatCode::Png), 2), status::kCorruptData);
    ASSERT_EQ(image.Load(path(QStringLiteral("cut.jpg"))), status::kOk);
    ASSERT_EQ(image.Size(30, 20).status, status::kOk); // shrink-on-load path
    EXPECT_EQ(test::save(image, folder + QStringLiteral("/cut.jpg"), *outputFormatFor(FormatCode::Jpeg), 2), status::kCorruptData);
    EXPECT_TRUE(filesIn(folder).isEmpty()) << filesIn(folder).join(' ').toStdString();
    ASSERT_EQ(image.Load(path(QStringLiteral("cut.jpg"))), status::kOk);
    QByteArray bytes;
    EXPECT_EQ(test::encodeToMemory(image, *outputFormatFor(FormatCode::Psd), 2, bytes), status::kCorruptData);
    EXPECT_EQ(test::encodeToMemory(LeadImage(), *outputFormatFor(FormatCode::Png), 2, bytes), status::kNoImage);

    // Whichever step meets the damage, the engine charges it to the load.
    PartialOutput output;
    const Folder out = Folder::open(FilePath(folder));
    ASSERT_EQ(image.Load(path(QStringLiteral("cut.jpg"))), status::kOk);
    const StepStatus encoded = Encode(image, out, *outputFormatFor(FormatCode::Png), 2, output);
    EXPECT_EQ(std::pair(encoded.status, encoded.stage), std::pair(status::kCorruptData, Stage::Load));
    ASSERT_EQ(image.Load(path(QStringLiteral("cut.jpg"))), status::kOk);
    const StepStatus cropped = image.Crop(0, 0, 30, 20, CropAnchor::Attention);
    EXPECT_EQ(std::pair(cropped.status, cropped.stage), std::pair(status::kCorruptData, Stage::Load));
    EXPECT_EQ(image.Size(-1, 3).stage, Stage::Size);
    EXPECT_EQ(Encode(LeadImage(), out, *outputFormatFor(FormatCode::Png), 2, output).stage, Stage::Save);
}

} // namespace
} // namespace quillmorph
