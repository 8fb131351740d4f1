#include "batch/ConversionCost.h"
#include "AnimatedGif.h"
#include "Bombs.h"
#include "Saving.h"
#include "engine/Animation.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

constexpr double kMB = 1024.0 * 1024;

SourceHeader header(const std::string& loader, int width, int height, int bytesPerPixel = 3) {
    SourceHeader h;
    h.loader = loader;
    h.width = width;
    h.height = height;
    h.bytesPerPixel = bytesPerPixel;
    return h;
}

// The costs of the plan the batch makes for a file of header converted with options.
PlannedCost costOf(const SourceHeader& header, const ConversionOptions& options,
                   double discThreshold = discThresholdBytes()) {
    return planFor(header, options, discThreshold).cost;
}
double workingBytes(const SourceHeader& header, const ConversionOptions& options) {
    return costOf(header, options).workingBytes;
}
double unpackedBytes(const SourceHeader& header, const ConversionOptions& options) {
    return costOf(header, options).unpackedBytes;
}
double temporaryFolderBytes(const SourceHeader& header, const ConversionOptions& options,
                            double discThreshold) {
    return costOf(header, options, discThreshold).temporaryFolderBytes;
}

ConversionOptions into(const char* format, bool box = true) {
    ConversionOptions options;
    options.sizeConversion = box;
    options.format = formatChoiceFor(QLatin1String(format));
    return options;
}

// Loaders are reached by name, from memory or through a descriptor: a family must cost the
// same whichever, never drop to the cost of a loader nobody measured.
TEST(ConversionCostTest, AFormatCostsTheSameHoweverItsFileIsOpened) {
    for (const char* family : {"Jpeg", "Png", "Nsgif", "Webp", "Tiff", "Heif", "Jxl", "Svg", "Pdf", "Magick"}) {
        const std::string named = std::string("VipsForeignLoad") + family + "File";
        for (const char* way : {"Buffer", "Source"}) {
            const std::string other = std::string("VipsForeignLoad") + family + way;
            EXPECT_EQ(loaderFamily(other), family);
            for (const bool box : {true, false}) {
                EXPECT_EQ(workingBytes(header(other, 4000, 3000), into("JPEG", box)),
                          workingBytes(header(named, 4000, 3000), into("JPEG", box)))
                    << other << (box ? " into a box" : " at own size");
            }
        }
        const auto differs = [&](bool box) {
            return workingBytes(header(named, 4000, 3000), into("JPEG", box)) !=
                   workingBytes(header("VipsForeignLoadMatrixFile", 4000, 3000), into("JPEG", box));
        };
        EXPECT_TRUE(differs(true) || differs(false)) << family << " has its own measured cost";
    }
    EXPECT_EQ(loaderFamily("VipsForeignLoadVipsFile"), "Vips");
    EXPECT_EQ(loaderFamily("VipsForeignLoadRaw"), "Raw");
}

// Peaks measured with GNU time -f %M less the program's own 46 MB (docs/reliability.md): the
// estimate may not be below what converting really held, nor wildly above it.
TEST(ConversionCostTest, EstimatesCoverWhatConvertingReallyHeld) {
    SourceHeader progressive = header("VipsForeignLoadJpegFile", 31622, 31622);
    progressive.interlaced = progressive.chromaSubsampled = true;
    SourceHeader interlacedAlpha = header("VipsForeignLoadPngFile", 4000, 3000, 4);
    interlacedAlpha.interlaced = interlacedAlpha.alpha = true;
    SourceHeader jxlAlpha = header("VipsForeignLoadJxlFile", 4000, 3000, 4);
    jxlAlpha.alpha = true;
    SourceHeader gif = header("VipsForeignLoadNsgifFile", 4000, 3000, 4);
    gif.alpha = true;
    // Long GIFs whose frames are few pixels: the loader and the parts hold their files.
    const auto longGif = [](int side, int frames, qint64 fileBytes) {
        SourceHeader h = header("VipsForeignLoadNsgifFile", side, side, 4);
        h.pages = frames;
        h.fileBytes = fileBytes;
        return h;
    };
    ConversionOptions webpBox = into("WEBP");
    webpBox.box = BoxSize{100, 100};
    const struct {
        const char* what;
        SourceHeader source;
        ConversionOptions options;
        double measuredMB;
    } peaks[] = {
        {"a 29-byte GIF of 20000 x 20000 into 600 x 450", header("VipsForeignLoadNsgifFile", 20000, 20000), into("JPEG"), 1617},
        {"a 12 MP GIF into 600 x 450", gif, into("JPEG"), 129},
        {"a 691-byte progressive JPEG of 31622 x 31622", progressive, into("JPEG"), 2880},
        {"an interlaced 12 MP PNG with alpha into 600 x 450", interlacedAlpha, into("JPEG"), 115},
        {"a 12 MP JPEG XL with alpha into 600 x 450", jxlAlpha, into("JPEG"), 430},
        {"a 12 MP BMP (ImageMagick) into 600 x 450", header("VipsForeignLoadMagickFile", 4000, 3000), into("JPEG"), 257},
        {"a 12 MP HEIC at own size", header("VipsForeignLoadHeifFile", 4000, 3000), into("JPEG", false), 72},
        {"a 12 MP WebP at own size", header("VipsForeignLoadWebpFile", 4000, 3000), into("JPEG", false), 88},
        {"a 12 MP JPEG at own size into JXL", header("VipsForeignLoadJpegFile", 4000, 3000), into("JXL", false), 565},
        {"a 12 MP JPEG at own size into AVIF", header("VipsForeignLoadJpegFile", 4000, 3000), into("AVIF", false), 323},
        {"a 12 MP JPEG at own size into BMP", header("VipsForeignLoadJpegFile", 4000, 3000), into("BMP", false), 167},
        {"a 181 MB GIF of 4200 frames read in parts", longGif(196, 4200, 183045201), webpBox, 517},
        {"a 409 MB GIF of 4200 frames read in parts", longGif(295, 4200, 414532401), webpBox, 790},
        {"a 170 MB GIF of 4000 frames read whole", longGif(196, 4000, 174328801), webpBox, 328},
    };
    for (const auto& peak : peaks) {
        const double estimate = workingBytes(peak.source, peak.options) / kMB;
        EXPECT_GE(estimate, peak.measuredMB) << peak.what;
        EXPECT_LE(estimate, 3 * peak.measuredMB) << peak.what;
    }
}

// Judging by eye holds the metric's planes for every output pixel: 240 bytes each were measured
// at 1.2 and 4.9 megapixels. A lossless format is not judged.
TEST(ConversionCostTest, ChoosingTheQualityByEyeCountsTheMetricsMemory) {
    for (const char* format : {"JPEG", "PNG"}) {
        ConversionOptions options = into(format);
        const double plain = workingBytes(header("VipsForeignLoadJpegFile", 4000, 3000), options);
        options.qualityByEye = true;
        const double perPixel =
            (workingBytes(header("VipsForeignLoadJpegFile", 4000, 3000), options) - plain) /
            (600 * 450);
        EXPECT_TRUE(format[0] == 'J' ? perPixel >= 240 && perPixel < 300 : perPixel == 0)
            << format << ' ' << perPixel;
    }
    // An animation and a picture over 8 megapixels are not judged: they cost nothing more.
    SourceHeader animation = header("VipsForeignLoadGifFile", 640, 480);
    animation.pages = 3;
    const SourceHeader large = header("VipsForeignLoadJpegFile", 4000, 2500);
    for (const SourceHeader& unjudged : {animation, large}) {
        ConversionOptions options = into("WEBP", false);
        const double plain = workingBytes(unjudged, options);
        options.qualityByEye = true;
        EXPECT_EQ(workingBytes(unjudged, options), plain) << unjudged.width;
    }
}

TEST(ConversionCostTest, TheBudgetAndTheRefusalFollowTheMemoryLeft) {
    EXPECT_EQ(bytesInFlightBudget(0), kMinBytesInFlight) << "not known";
    EXPECT_EQ(bytesInFlightBudget(22e9), kMaxBytesInFlight);
    EXPECT_EQ(bytesInFlightBudget(1e9), 250e6);
    EXPECT_EQ(bytesInFlightBudget(300e6), 150e6) << "never more than half of what there is";
    EXPECT_TRUE(tooDearForMemory(4.1e9, 8e9));
    EXPECT_FALSE(tooDearForMemory(3.9e9, 8e9));
    EXPECT_FALSE(tooDearForMemory(1e12, 0)) << "not known: nothing is refused";
}

// A long screen recording: a thousand frames, each a patch over the last, converted with every
// frame into the box, its estimate (all frames held for a file-size limit) within the least
// budget; and one of more frames than libvips' GIF loader reads, read to its last.
TEST(ConversionCostTest, AThousandFramesFitTheBudgetAndEveryFrameOfALongerGifIsRead) {
    QTemporaryDir dir;
    const auto patchAt = [](int i) {
        return test::GifPatch{(i * 24) % 456, (i / 19 * 24) % 246, 24, 24, 1 + i % 3, 40};
    };
    std::vector<test::GifPatch> patches{{0, 0, 480, 270, 0, 40}};
    for (int i = 1; i < 1000; ++i)
        patches.push_back(patchAt(i));
    const std::vector<test::Rgb> palette{{200, 40, 40}, {40, 200, 40}, {0, 0, 255}, {240, 240, 0}};
    const QString gif = test::writeBytes(dir.filePath(QStringLiteral("long.gif")),
                                         test::gifOfPatches(480, 270, palette, patches, 0));
    LeadImage LEAD1;
    ASSERT_EQ(LEAD1.Load(gif), status::kOk);
    ASSERT_EQ(LEAD1.header().pages, 1000);
    ConversionOptions options = into("WEBP");
    options.box = BoxSize{160, 90};
    options.sizeLimitBytes = 1024 * 1024;
    EXPECT_LT(workingBytes(LEAD1.header(), options), bytesInFlightBudget(0));

    ASSERT_EQ(FitAnimation(LEAD1, {true, 160, 90, 0xFFFFFF, FitMode::Fit}).status, status::kOk);
    QByteArray webp;
    ASSERT_EQ(test::encodeToMemory(LEAD1, *outputFormatFor(FormatCode::Webp), 2, webp),
              status::kOk);
    const vips::VImage frames = vips::VImage::new_from_buffer(
        webp.constData(), size_t(webp.size()), "", vips::VImage::option()->set("n", -1));
    ASSERT_EQ(frames.get_int("n-pages"), 1000);
    const test::GifPatch last = patchAt(999);
    const int x = (last.left + 12) / 3;
    const int y = (last.top + 12) / 3;
    EXPECT_TRUE(test::near(test::pixelAt(frames, x, y), palette[0], 12));
    EXPECT_TRUE(
        test::near(test::pixelAt(frames, x, 999 * 90 + y), palette[size_t(last.colour)], 12));

    // Past the loader's last frame the file is read in parts: every frame, every delay.
    std::vector<test::GifPatch> endless;
    for (int i = 0; i < 4100; ++i)
        endless.push_back({0, 0, 2, 2, i % 3, 10 + 10 * (i % 2)});
    LeadImage recording;
    ASSERT_EQ(recording.Load(test::writeBytes(dir.filePath(QStringLiteral("endless.gif")),
                                              test::gifOfPatches(2, 2, palette, endless, 0))),
              status::kOk);
    EXPECT_EQ(recording.header().pages, 4100);
    ASSERT_EQ(FitAnimation(recording, {true, 1, 1, 0xFFFFFF, FitMode::Fit}).status, status::kOk);
    ASSERT_EQ(test::encodeToMemory(recording, *outputFormatFor(FormatCode::Webp), 2, webp),
              status::kOk);
    const vips::VImage all = vips::VImage::new_from_buffer(
        webp.constData(), size_t(webp.size()), "", vips::VImage::option()->set("n", -1));
    ASSERT_EQ(all.get_int("n-pages"), 4100);
    const std::vector<int> delays = all.get_array_int("delay");
    ASSERT_EQ(delays.size(), 4100U);
    EXPECT_EQ(std::count(delays.begin(), delays.end(), 20), 2050) << "alternate, as they were";
    EXPECT_EQ(delays[4099], 20);
    EXPECT_TRUE(test::near(test::pixelAt(all, 0, 4099), palette[4099 % 3], 12));
}

// Animated WebPs of single-pixel frames, 1 and 25 KB: libvips unpacks every frame whole at
// canvas size, four bands, before it gives a pixel (a still first frame shrinks on load into a
// box); beyond its disc threshold into the temporary folder, whose free space then refuses the
// file. Their headers are read, nothing is decoded.
TEST(ConversionCostTest, AnAnimatedWebpCostsWhatItsLoaderUnpacksIntoTheTemporaryFolder) {
    QTemporaryDir dir;
    const struct {
        const char* what;
        int side;
        int frames;
        const char* format;
        bool box; // into 600 x 450
        double unpackedMB;
    } rows[] = {
        {"20 frames of 4000 x 4000 at own size", 4000, 20, "WEBP", false, 4000.0 * 4000 * 4 * 20 / kMB},
        {"20 frames of 4000 x 4000 into the box", 4000, 20, "GIF", true, 4000.0 * 4000 * 4 * 20 / kMB},
        {"the first of them into JPEG", 4000, 20, "JPEG", false, 4000.0 * 4000 * 4 / kMB},
        {"the first of them into the box", 4000, 20, "JPEG", true, 450.0 * 450 * 4 / kMB},
        {"500 frames of 16383 x 16383 into the box", 16383, 500, "WEBP", true, 16383.0 * 16383 * 4 * 500 / kMB},
        {"the first of them at own size", 16383, 500, "PNG", false, 16383.0 * 16383 * 4 / kMB},
        {"two frames of 1000 x 1000", 1000, 2, "WEBP", false, 1000.0 * 1000 * 4 * 2 / kMB},
    };
    const double threshold = discThresholdBytes();
    ASSERT_EQ(threshold, 100 * kMB) << "libvips' own, unless VIPS_DISC_THRESHOLD says otherwise";
    for (const auto& row : rows) {
        LeadImage LEAD1;
        ASSERT_EQ(LEAD1.Load(test::writeBytes(dir.filePath(QStringLiteral("a.webp")),
                                              test::webpAnimationDeclaring(row.side, row.side, row.frames))),
                  status::kOk);
        ASSERT_EQ(LEAD1.header().pages, row.frames);
        ConversionOptions options = into(row.format, row.box);
        options.box = BoxSize{600, 450};
        const double unpacked = unpackedBytes(LEAD1.header(), options) / kMB;
        EXPECT_NEAR(unpacked, row.unpackedMB, row.unpackedMB / 100) << row.what;
        const double onDisc = temporaryFolderBytes(LEAD1.header(), options, threshold) / kMB;
        EXPECT_EQ(onDisc, row.unpackedMB * kMB > threshold ? unpacked : 0) << row.what;
        EXPECT_EQ(tooDearForTemporarySpace(onDisc * kMB, 64 * kMB), onDisc > 0) << row.what;
        EXPECT_FALSE(tooDearForTemporarySpace(onDisc * kMB, 1e13)) << row.what;
        EXPECT_FALSE(tooDearForTemporarySpace(onDisc * kMB, 0)) << "not known: " << row.what;
        // What stays in memory is the animation's, counted with the rest of its working bytes.
        if (onDisc == 0 && keepsAnimation(LEAD1.header(), *options.format.row)) {
            EXPECT_GE(workingBytes(LEAD1.header(), options), unpacked * kMB) << row.what;
        }
    }
}

} // namespace
} // namespace quillmorph
