#include "batch/ConversionPlan.h"
#include "TestImages.h"
#include "engine/Animation.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace quillmorph {
namespace {

SourceHeader still(int width, int height, const char* loader = "VipsForeignLoadJpegFile") {
    SourceHeader h;
    h.loader = loader;
    h.width = width;
    h.height = height;
    h.bytesPerPixel = 3;
    return h;
}

SourceHeader animation(const char* loader, int frames) {
    SourceHeader h = still(320, 240, loader);
    h.pages = frames;
    return h;
}

struct Choice {
    const char* format = "JPEG";
    std::optional<BoxSize> box = BoxSize{600, 450}; // nothing: size conversion off
    FitMode mode = FitMode::Pad;
    bool noEnlarge = false;
    qint64 limit = 0;
    bool byEye = false;
};

ConversionOptions optionsOf(const Choice& choice) {
    ConversionOptions options;
    options.format = formatChoiceFor(QLatin1String(choice.format));
    options.sizeConversion = choice.box.has_value();
    if (choice.box)
        options.box = choice.box;
    options.fitMode = choice.mode;
    options.noEnlarge = choice.noEnlarge;
    options.sizeLimitBytes = choice.limit;
    options.qualityByEye = choice.byEye;
    return options;
}

ConversionPlan planOf(const SourceHeader& header, const Choice& choice) {
    return planFor(header, optionsOf(choice), discThresholdBytes());
}

// Source shape × options: the box, the mode and size it is fitted with, its frames, how it is
// encoded, whether it may shrink for the limit and whether it is judged by eye.
TEST(ConversionPlanTest, EachSourceAndChoiceGivesItsPlan) {
    const Choice percent{"JPEG", BoxSize{0, 0, 50}};
    const Choice oneSide{"JPEG", BoxSize{600, 0}};
    const Choice own{"JPEG", std::nullopt, FitMode::Pad, false, 20000};
    const Choice fitLimited{"JPEG", BoxSize{600, 450}, FitMode::Fit, false, 20000};
    const Choice padLimited{"JPEG", BoxSize{600, 450}, FitMode::Pad, false, 20000};
    const struct {
        const char* what;
        SourceHeader source;
        Choice choice;
        bool boxed;
        int boxWidth, boxHeight;
        FitMode mode;
        int outputWidth, outputHeight;
        int frames; // 1: not animated
        Encoding how;
        bool mayShrink;
        bool judged;
    } rows[] = {
        // clang-format off
        {"a still JPEG into a box", still(4000, 3000), {}, true, 600, 450, FitMode::Pad, 600, 450, 1, Encoding::Fixed, false, false},
        {"a smaller picture, never enlarged", still(300, 200), {"JPEG", BoxSize{600, 450}, FitMode::Fit, true}, true, 600, 450, FitMode::Fit, 300, 200, 1, Encoding::Fixed, false, false},
        {"a percent box", still(4000, 3000), percent, true, 2000, 1500, FitMode::Fit, 2000, 1500, 1, Encoding::Fixed, false, false},
        {"one side", still(4000, 3000), oneSide, true, 600, 450, FitMode::Fit, 600, 450, 1, Encoding::Fixed, false, false},
        {"own size, a size limit", still(4000, 3000), own, false, 0, 0, FitMode::Pad, 4000, 3000, 1, Encoding::SizeLimit, true, false},
        {"fit, a size limit", still(4000, 2000), fitLimited, true, 600, 450, FitMode::Fit, 600, 300, 1, Encoding::SizeLimit, true, false},
        {"pad into a fixed box, a size limit", still(4000, 2000), padLimited, true, 600, 450, FitMode::Pad, 600, 450, 1, Encoding::SizeLimit, false, false},
        {"an animated GIF into GIF", animation("VipsForeignLoadNsgifFile", 5), {"GIF"}, true, 600, 450, FitMode::Pad, 600, 450, 5, Encoding::Fixed, false, false},
        {"an animated GIF into JPEG", animation("VipsForeignLoadNsgifFile", 5), {"JPEG"}, true, 600, 450, FitMode::Pad, 600, 450, 1, Encoding::Fixed, false, false},
        {"an animated WebP into WEBP by eye", animation("VipsForeignLoadWebpFile", 3), {"WEBP", BoxSize{600, 450}, FitMode::Pad, false, 0, true}, true, 600, 450, FitMode::Pad, 600, 450, 3, Encoding::ByEye, false, false},
        {"its first frame into JPEG by eye", animation("VipsForeignLoadWebpFile", 3), {"JPEG", BoxSize{600, 450}, FitMode::Pad, false, 0, true}, true, 600, 450, FitMode::Pad, 600, 450, 1, Encoding::ByEye, false, true},
        {"a 7 px picture by eye", still(7, 100), {"JPEG", std::nullopt, FitMode::Pad, false, 0, true}, false, 0, 0, FitMode::Pad, 7, 100, 1, Encoding::ByEye, false, false},
        {"a strip fitted 6 px high by eye", still(4000, 40), {"JPEG", BoxSize{600, 450}, FitMode::Fit, false, 0, true}, true, 600, 450, FitMode::Fit, 600, 6, 1, Encoding::ByEye, false, false},
        {"the strip padded by eye", still(4000, 40), {"JPEG", BoxSize{600, 450}, FitMode::Pad, false, 0, true}, true, 600, 450, FitMode::Pad, 600, 450, 1, Encoding::ByEye, false, true},
        {"over 8 MP by eye", still(4000, 2500), {"JPEG", std::nullopt, FitMode::Pad, false, 0, true}, false, 0, 0, FitMode::Pad, 4000, 2500, 1, Encoding::ByEye, false, false},
        {"a lossless format by eye", still(4000, 3000), {"PNG", BoxSize{600, 450}, FitMode::Pad, false, 0, true}, true, 600, 450, FitMode::Pad, 600, 450, 1, Encoding::Fixed, false, false},
        {"a lossless format by eye, a size limit", still(4000, 3000), {"PNG", std::nullopt, FitMode::Pad, false, 20000, true}, false, 0, 0, FitMode::Pad, 4000, 3000, 1, Encoding::SizeLimit, true, false},
        {"BMP, a size limit it cannot meet", still(4000, 3000), {"BMP", std::nullopt, FitMode::Pad, false, 20000}, false, 0, 0, FitMode::Pad, 4000, 3000, 1, Encoding::Fixed, false, false},
        {"by eye and a size limit", still(4000, 3000), {"WEBP", BoxSize{0, 450}, FitMode::Fill, false, 20000, true}, true, 600, 450, FitMode::Fit, 600, 450, 1, Encoding::ByEyeAndSizeLimit, true, true},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ConversionPlan plan = planOf(row.source, row.choice);
        EXPECT_EQ(plan.format, optionsOf(row.choice).format.row);
        EXPECT_FALSE(plan.noBox);
        EXPECT_EQ(plan.fit.sizeConversion, row.boxed);
        EXPECT_EQ(plan.fit.boxWidth, row.boxWidth);
        EXPECT_EQ(plan.fit.boxHeight, row.boxHeight);
        EXPECT_EQ(plan.fit.mode, row.mode);
        EXPECT_EQ(plan.fit.noEnlarge, row.choice.noEnlarge);
        EXPECT_EQ(plan.outputWidth, row.outputWidth);
        EXPECT_EQ(plan.outputHeight, row.outputHeight);
        EXPECT_EQ(plan.animated, row.frames > 1);
        EXPECT_EQ(plan.frames, row.frames);
        EXPECT_EQ(plan.how, row.how);
        EXPECT_EQ(plan.mayShrink, row.mayShrink);
        EXPECT_EQ(plan.judgedByEye, row.judged);
        // The metric's bytes are counted exactly for the pictures it judges.
        EXPECT_EQ(plan.cost.judgingBytes > 0, row.judged);
        EXPECT_GT(plan.cost.workingBytes, plan.cost.judgingBytes);
    }
}

TEST(ConversionPlanTest, AMissingBoxOrFormatIsCarriedToTheStepThatNeedsIt) {
    ConversionOptions options = optionsOf({});
    options.box.reset();
    EXPECT_TRUE(planFor(still(800, 600), options, discThresholdBytes()).noBox);
    options = optionsOf({});
    options.format = formatChoiceFor(QStringLiteral("XYZ"));
    const ConversionPlan plan = planFor(still(800, 600), options, discThresholdBytes());
    EXPECT_EQ(plan.format, nullptr);
    EXPECT_FALSE(plan.noBox);
    EXPECT_EQ(plan.how, Encoding::Fixed);
}

// Whether a picture may be made smaller to meet the size limit: only where nothing fixes its
// size. Quality by eye changes nothing.
TEST(ConversionPlanTest, APictureMayShrinkForTheSizeLimitOnlyWhereNoBoxFixesItsSize) {
    const struct {
        const char* what;
        bool sizeConversion;
        BoxSize box;
        bool pad, fit, fill; // may shrink in each mode
    } rows[] = {
        {"a fixed box", true, {600, 450}, false, true, false},
        {"a width only", true, {600, 0}, true, true, true},
        {"a height only", true, {0, 450}, true, true, true},
        {"a percent", true, {0, 0, 50}, true, true, true},
        {"size conversion off", false, {600, 450}, true, true, true},
    };
    for (const auto& row : rows) {
        for (const bool byEye : {false, true}) {
            for (const auto& [mode, expected] : {std::pair{FitMode::Pad, row.pad},
                                                 {FitMode::Fit, row.fit},
                                                 {FitMode::Fill, row.fill}}) {
                ConversionOptions options;
                options.sizeConversion = row.sizeConversion;
                options.box = row.box;
                options.fitMode = mode;
                options.qualityByEye = byEye;
                options.sizeLimitBytes = 20 * 1024;
                EXPECT_EQ(planFor(still(4000, 3000), options, discThresholdBytes()).mayShrink,
                          expected)
                    << row.what << ", mode " << int(mode) << (byEye ? ", by eye" : "");
            }
        }
    }
}

// The size the plan judges by eye is the size FitAndPad really leaves, in every mode.
TEST(ConversionPlanTest, ThePlannedSizeIsTheSizeThePictureIsFittedTo) {
    QTemporaryDir dir;
    const QString strip =
        test::writeImage(test::solid(400, 4, {200, 40, 40}), dir.filePath(QStringLiteral("s.png")));
    const QString small =
        test::writeImage(test::solid(50, 30, {200, 40, 40}), dir.filePath(QStringLiteral("t.png")));
    for (const QString& file : {strip, small}) {
        for (const FitMode mode : {FitMode::Pad, FitMode::Fit, FitMode::Fill}) {
            for (const bool noEnlarge : {false, true}) {
                for (const std::optional<BoxSize>& box :
                     {std::optional<BoxSize>{BoxSize{60, 45}}, std::optional<BoxSize>{},
                      std::optional<BoxSize>{BoxSize{0, 0, 150}}}) {
                    SCOPED_TRACE(file.toStdString() + " mode " + std::to_string(int(mode)));
                    LeadImage LEAD1;
                    LeadImage LEAD_work;
                    ASSERT_EQ(LEAD1.Load(file), status::kOk);
                    const ConversionPlan plan =
                        planOf(LEAD1.header(), {"JPEG", box, mode, noEnlarge, 0, true});
                    ASSERT_TRUE(FitAndPad(LEAD1, LEAD_work, plan.fit, [](PadStep) {}).ok());
                    EXPECT_EQ(int(LEAD1.width()), plan.outputWidth);
                    EXPECT_EQ(int(LEAD1.height()), plan.outputHeight);
                }
            }
        }
    }
}

} // namespace
} // namespace quillmorph
