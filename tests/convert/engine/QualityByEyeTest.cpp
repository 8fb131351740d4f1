#include "engine/QualityByEye.h"
#include "engine/Butteraugli.h"
#include "engine/FormatWriters.h"

#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using vips::VImage;

// The bytes lead with the quality, so that a result shows which encoding was kept.
QByteArray leadingQuality(const VImage&, int quality, bool) {
    return QByteArray::number(quality) + " ...";
}

int qualityOf(const QByteArray& bytes) {
    return bytes.left(bytes.indexOf(' ')).toInt();
}

// A distance that falls by 0.1 for each quality step up and reaches 0.6 at crossing.
double distanceAt(int quality, int crossing) {
    return 0.6 + 0.1 * (crossing - quality);
}

// Estimates that read right, 5 % low or 5 % high, scaling the distance by bias; 0: none.
constexpr double kNoEstimates = 0;
constexpr double kReadLow = 0.95;
constexpr double kReadHigh = 1.05;

ChosenByEye searchCrossingAt(int crossing, int ceiling, double bias = kNoEstimates) {
    static const VImage picture = VImage::black(8, 8, VImage::option()->set("bands", 3));
    const DistanceTo distance = [crossing](const QByteArray& bytes) {
        return std::optional<double>(distanceAt(qualityOf(bytes), crossing));
    };
    const EstimateAt estimate = [crossing, bias](int quality) {
        return std::optional<double>(bias * distanceAt(quality, crossing));
    };
    return chooseByEye(picture, *outputFormatFor(FormatCode::Jpeg), ceiling, 0.6, leadingQuality,
                       distance, bias == kNoEstimates ? EstimateAt() : estimate);
}

TEST(QualityByEyeTest, TheSearchFindsTheLowestQualityWithinTheThresholdWhereverItLies) {
    for (const double bias : {kNoEstimates, 1.0, kReadLow, kReadHigh}) {
        for (int crossing = 1; crossing <= 100; ++crossing) {
            SCOPED_TRACE(testing::Message() << "crossing " << crossing << ", estimates " << bias);
            const ChosenByEye chosen = searchCrossingAt(crossing, 100, bias);
            EXPECT_TRUE(chosen.looksTheSame);
            EXPECT_EQ(chosen.bytes, QByteArray::number(chosen.quality) + " ...");
            // Estimates that read high may keep the step above; the whole picture passes
            // either way.
            EXPECT_GE(chosen.quality, crossing);
            EXPECT_LE(chosen.quality, crossing + (bias == kReadHigh ? 1 : 0));
            if (bias == kNoEstimates) {
                // Near the usual answer a photo costs a few encodings; nowhere more than a
                // bisection of the whole range.
                EXPECT_LE(chosen.encodes, crossing >= 87 && crossing <= 94 ? 5 : 12);
                EXPECT_EQ(chosen.estimates, 0);
            } else {
                // With estimates, the whole picture is judged once, twice where they read low.
                EXPECT_LE(chosen.encodes, bias == kReadLow ? 2 : 1);
                EXPECT_LE(chosen.estimates, 12);
            }
        }
    }
}

TEST(QualityByEyeTest, OutOfReachTheCeilingIsKeptAndSaidToBe) {
    for (const double bias : {kNoEstimates, 1.0, kReadLow}) {
        SCOPED_TRACE(bias);
        const ChosenByEye chosen = searchCrossingAt(97, 93, bias);
        EXPECT_FALSE(chosen.looksTheSame);
        EXPECT_EQ(chosen.quality, 93);
        EXPECT_EQ(chosen.bytes, "93 ...");
        // Even the least quality passes: that is the choice.
        EXPECT_EQ(searchCrossingAt(-20, 100, bias).quality, 1);
    }
}

// A 160 × 120 picture: a soft gradient, or thin dark strokes on a light ground, as of text or
// twigs. (Fine grain would not do: the metric rightly lets noise hide the encoder's errors.)
VImage testPicture(bool detailed) {
    const VImage xy = VImage::xyz(160, 120);
    const VImage strokes = ((xy[0] % 7 < 1) | (xy[1] % 9 < 1)).ifthenelse(30, 230);
    const VImage picture =
        detailed
            ? VImage::bandjoin({strokes, strokes * 0.8 + 20, strokes * 0.6 + 50})
            : VImage::bandjoin({xy[0] * 1.2 + 40, xy[1] * 1.5 + 50, VImage::black(160, 120) + 120});
    return picture.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .copy_memory();
}

QualityEncoder realEncoder(const OutputFormat& format) {
    return [&format](const VImage& image, int quality, bool palette) {
        return encodedAtQuality(image, format, quality, palette);
    };
}

TEST(QualityByEyeTest, ASmoothPictureLooksTheSameAtALowerQualityThanADetailedOne) {
    // (AVIF puts both on 90, where libvips stops halving the colour.)
    for (const FormatCode code : {FormatCode::Jpeg, FormatCode::Jxl}) {
        const OutputFormat& format = *outputFormatFor(code);
        if (!canWrite(format))
            continue;
        SCOPED_TRACE(format.name);
        int qualities[2] = {};
        for (const bool detailed : {false, true}) {
            const VImage picture = testPicture(detailed);
            const LimitedEncoding result =
                encodeByEye(picture, format, 100, {}, realEncoder(format));
            qualities[detailed] = result.quality;
            // What was kept looks the same; one step lower does not.
            const Butteraugli metric(picture);
            EXPECT_LE(metric.distanceTo(result.bytes).value_or(99), kLooksTheSame);
            ASSERT_GT(result.quality, format.leastQuality);
            EXPECT_GT(
                metric.distanceTo(encodedAtQuality(picture, format, result.quality - 1, false)),
                kLooksTheSame);
        }
        EXPECT_LT(qualities[0], qualities[1]);
    }
}

TEST(QualityByEyeTest, WithASizeLimitTheSmallerOfTheTwoIsKept) {
    const OutputFormat& jpeg = *outputFormatFor(FormatCode::Jpeg);
    const VImage picture = testPicture(true);
    const LimitedEncoding byEye = encodeByEye(picture, jpeg, 100, {}, realEncoder(jpeg));
    // A generous limit changes nothing.
    const LimitedEncoding roomy =
        encodeByEye(picture, jpeg, 100, {byEye.bytes.size() + 1000, false}, realEncoder(jpeg));
    EXPECT_EQ(roomy.bytes, byEye.bytes);
    EXPECT_TRUE(roomy.within);
    // A tight one wins: below what looks the same, as the limit's own search finds it.
    const qint64 tight = byEye.bytes.size() * 2 / 3;
    const LimitedEncoding limited =
        encodeByEye(picture, jpeg, 100, {tight, false}, realEncoder(jpeg));
    EXPECT_TRUE(limited.within);
    EXPECT_LE(limited.bytes.size(), tight);
    EXPECT_LT(limited.quality, byEye.quality);
    EXPECT_EQ(limited.bytes,
              encodeWithin(picture, jpeg, 100, {tight, false}, realEncoder(jpeg)).bytes);
    EXPECT_TRUE(limited.judgedByEye);
    // One nothing can meet: the limit's smallest, smaller than what looks the same, said to be
    // over the limit.
    const LimitedEncoding hopeless =
        encodeByEye(picture, jpeg, 100, {100, false}, realEncoder(jpeg));
    EXPECT_FALSE(hopeless.within);
    EXPECT_LT(hopeless.bytes.size(), byEye.bytes.size());
    EXPECT_EQ(
        hopeless.bytes,
        encodeWithin(picture, jpeg, byEye.quality - 1, {100, false}, realEncoder(jpeg)).bytes);
    // An encoder whose lower qualities come out larger (padded past the end of the JPEG): what
    // looks the same is then the smaller, and kept.
    const QualityEncoder padded = [&](const VImage& image, int quality, bool palette) {
        return encodedAtQuality(image, jpeg, quality, palette) +
               QByteArray(10000 * (100 - quality), '\0');
    };
    const LimitedEncoding byEyePadded = encodeByEye(picture, jpeg, 100, {}, padded);
    const LimitedEncoding smaller = encodeByEye(picture, jpeg, 100, {100, false}, padded);
    EXPECT_FALSE(smaller.within);
    EXPECT_EQ(smaller.bytes, byEyePadded.bytes);
    EXPECT_EQ(smaller.quality, byEyePadded.quality);
}

TEST(QualityByEyeTest, TheDistanceOverSquaresIsTheLibrarysWithNoMarginLeftOut) {
    const VImage picture = testPicture(true);
    const QByteArray bytes =
        encodedAtQuality(picture, *outputFormatFor(FormatCode::Jpeg), 70, false);
    const double whole = Butteraugli(picture).distanceTo(bytes).value_or(-1);
    ASSERT_GT(whole, 0);
    EXPECT_NEAR(Butteraugli(picture, 40, 0).distanceTo(bytes).value_or(-1), whole, 1e-4 * whole);
}

// 1280 × 960: the gradient on the left, the strokes on the right, each stretched from the
// small pictures.
VImage largePicture() {
    const auto stretched = [](bool detailed) {
        return testPicture(detailed).resize(4, VImage::option()->set("kernel", "nearest"));
    };
    return VImage::arrayjoin(
               {stretched(false).crop(0, 0, 640, 480), stretched(true).crop(0, 0, 640, 480),
                stretched(true).crop(0, 0, 640, 480), stretched(false).crop(0, 0, 640, 480)},
               VImage::option()->set("across", 2))
        .copy_memory();
}

TEST(QualityByEyeTest, ASampleOfALargePictureForetellsItsDistanceAndTheWholeIsJudged) {
    EXPECT_TRUE(SampledButteraugli::worthSampling(768, 576));
    EXPECT_FALSE(SampledButteraugli::worthSampling(767, 576));
    EXPECT_FALSE(SampledButteraugli::worthSampling(383, 4000));
    const OutputFormat& jpeg = *outputFormatFor(FormatCode::Jpeg);
    const VImage picture = largePicture();
    const SampledButteraugli sample(picture);
    EXPECT_EQ(sample.sample().width(), 384);
    EXPECT_EQ(sample.sample().height(), 288);
    const Butteraugli metric(picture);
    for (const int quality : {60, 90}) {
        SCOPED_TRACE(quality);
        const double whole =
            metric.distanceTo(encodedAtQuality(picture, jpeg, quality, false)).value_or(-1);
        const double estimate =
            sample.distanceTo(encodedAtQuality(sample.sample(), jpeg, quality, false)).value_or(-1);
        EXPECT_NEAR(estimate, whole, 0.1 * whole);
    }
    // Whatever the sample foretold, what is kept was judged whole.
    const LimitedEncoding result = encodeByEye(picture, jpeg, 100, {}, realEncoder(jpeg));
    EXPECT_LE(metric.distanceTo(result.bytes).value_or(99), kLooksTheSame);
}

TEST(QualityByEyeTest, LosslessFormatsAndHugeOrTinyPicturesAreNotJudged) {
    EXPECT_FALSE(qualityByEyeApplies(*outputFormatFor(FormatCode::Png)));
    EXPECT_FALSE(qualityByEyeApplies(*outputFormatFor(FormatCode::Tiff)));
    const OutputFormat& jpeg = *outputFormatFor(FormatCode::Jpeg);
    EXPECT_TRUE(judgedByEye(jpeg, 4000, 2000));
    EXPECT_FALSE(judgedByEye(jpeg, 4000, 2001));
    EXPECT_TRUE(judgedByEye(jpeg, 8, 8));
    EXPECT_FALSE(judgedByEye(jpeg, 7, 100));
    // Over the size, the picture gets the ceiling, encoded once.
    int encodes = 0;
    const VImage wide = VImage::black(8001, 1000, VImage::option()->set("bands", 3));
    const LimitedEncoding result =
        encodeByEye(wide, jpeg, 77, {}, [&](const VImage& image, int quality, bool palette) {
            ++encodes;
            return leadingQuality(image, quality, palette);
        });
    EXPECT_EQ(result.bytes, "77 ...");
    EXPECT_EQ(encodes, 1);
    EXPECT_FALSE(result.judgedByEye);
    // An animation, its frames stacked, would be judged by its first frame alone: the ceiling.
    EXPECT_FALSE(judgedByEye(jpeg, 64, 64, 2));
    VImage frames = VImage::black(64, 128, VImage::option()->set("bands", 3)).copy();
    frames.set("page-height", 64);
    encodes = 0;
    const LimitedEncoding animation =
        encodeByEye(frames, *outputFormatFor(FormatCode::Webp), 77, {},
                    [&](const VImage& image, int quality, bool palette) {
                        ++encodes;
                        return leadingQuality(image, quality, palette);
                    });
    EXPECT_EQ(animation.bytes, "77 ...");
    EXPECT_EQ(encodes, 1);
    EXPECT_FALSE(animation.judgedByEye);
}

} // namespace
} // namespace quillmorph
