#include "batch/ConversionOptions.h"
#include "engine/FitGeometry.h"

#include <gtest/gtest.h>

namespace quillmorph {
namespace {

struct FitCase {
    int boxW, boxH;
    float sw, sh;
    float left, top, width, height;
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.sw << "x" << c.sh << " in " << c.boxW << "x" << c.boxH;
}

class PlanFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PlanFitTest, PlacesTheScaledImageInsideTheBox) {
    const FitCase c = GetParam();
    const FitPlan plan = planFit(c.boxW, c.boxH, c.sw, c.sh);
    EXPECT_EQ(plan.left, c.left);
    EXPECT_EQ(plan.top, c.top);
    EXPECT_EQ(plan.width, c.width);
    EXPECT_EQ(plan.height, c.height);
    EXPECT_LE(plan.left + plan.width, float(c.boxW));
    EXPECT_LE(plan.top + plan.height, float(c.boxH));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanFitTest,
    ::testing::Values(FitCase{640, 480, 800, 400, 0, 80, 640, 320},  // wide, shrunk
                      FitCase{640, 480, 100, 50, 0, 80, 640, 320},   // enlarged
                      FitCase{600, 450, 450, 600, 131, 0, 337, 450}, // portrait
                      FitCase{640, 480, 150, 100, 0, 26, 640, 426},  // a hair above the box
                      FitCase{640, 480, 640, 480, 0, 0, 640, 480},   // exact fit
                      FitCase{600, 450, 1, 30000, 299, 0, 1, 450},   // never below one pixel
                      FitCase{600, 450, 30000, 1, 0, 224, 600, 1},
                      FitCase{333, 333, 333, 333, 0, 0, 333, 333}));

TEST(PlanFitTest, TieBetweenRatiosTakesTheHeightRatio) {
    const FitPlan plan = planFit(200, 100, 400, 200);
    EXPECT_FLOAT_EQ(plan.scale, 0.5f);
    EXPECT_FLOAT_EQ(plan.scaledWidth, 200.0f);
    EXPECT_FLOAT_EQ(plan.scaledHeight, 100.0f);
}

TEST(PlanFitTest, ScaledSizeIsComputedInSinglePrecision) {
    const FitPlan plan = planFit(640, 480, 150, 100);
    EXPECT_EQ(plan.scale, 640.0f / 150.0f);
    EXPECT_EQ(plan.scaledWidth, (640.0f / 150.0f) * 150.0f);
    EXPECT_GT(plan.scaledWidth, 640.0f); // the hair the placement must absorb
}

struct ScaleCase {
    FitMode mode;
    int boxW, boxH, sw, sh;
    bool noEnlarge;
    ScalePlan plan;
};

void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.sw << "x" << c.sh << (c.mode == FitMode::Fill ? " filling " : " in ") << c.boxW << "x"
        << c.boxH << (c.noEnlarge ? ", never enlarged" : "");
}

class PlanScaleTest : public ::testing::TestWithParam<ScaleCase> {};

// The kept part is the middle of the scaled picture and the same part of the source.
TEST_P(PlanScaleTest, KeepsTheMiddleOfThePictureInBothPixelGrids) {
    const ScaleCase& c = GetParam();
    EXPECT_EQ(planScale(c.mode, c.boxW, c.boxH, c.sw, c.sh, c.noEnlarge), c.plan);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanScaleTest,
    ::testing::Values(
        ScaleCase{FitMode::Fill, 640, 480, 4000, 2000, false,
                  {0.24, 960, 480, 160, 0, 640, 480, 666, 0, 2667, 2000}},
        ScaleCase{FitMode::Fill, 50, 50, 100, 300, false, {0.5, 50, 150, 0, 50, 50, 50, 0, 100, 100, 100}},
        ScaleCase{FitMode::Fill, 50, 100, 101, 100, false, {1, 101, 100, 25, 0, 50, 100, 25, 0, 50, 100}},
        ScaleCase{FitMode::Fill, 640, 480, 1000, 200, true, {1, 1000, 200, 180, 0, 640, 200, 180, 0, 640, 200}},
        ScaleCase{FitMode::Fit, 640, 480, 4000, 2000, false, {0.16, 640, 320, 0, 0, 640, 320, 0, 0, 4000, 2000}}));

TEST(BoxSideTest, RoundsHalfToEvenAndRefusesOutOfRange) {
    EXPECT_EQ(boxSideFromText(QStringLiteral("600.5")), 600);
    EXPECT_EQ(boxSideFromText(QStringLiteral("601.5")), 602);
    EXPECT_EQ(boxSideFromText(QStringLiteral(" 640 ")), 640);
    EXPECT_EQ(boxSideFromText(QStringLiteral("1")), 1);
    EXPECT_EQ(boxSideFromText(QStringLiteral("32767")), 32767);
    EXPECT_EQ(boxSideFromText(QStringLiteral("0.5")), std::nullopt);
    EXPECT_EQ(boxSideFromText(QStringLiteral("0")), std::nullopt);
    EXPECT_EQ(boxSideFromText(QStringLiteral("-5")), std::nullopt);
    EXPECT_EQ(boxSideFromText(QStringLiteral("32768")), std::nullopt);
    EXPECT_EQ(boxSideFromText(QStringLiteral("")), std::nullopt);
    EXPECT_EQ(boxSideFromText(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(boxSideFromText(QStringLiteral("inf")), std::nullopt);
    EXPECT_EQ(boxFromText(QStringLiteral("640"), QStringLiteral(" 480")), (BoxSize{640, 480}));
    EXPECT_EQ(boxFromText(QStringLiteral("640"), QStringLiteral("0")), std::nullopt);
    EXPECT_EQ(boxSideFromImage(337.5f), 338);
    EXPECT_EQ(boxSideFromImage(336.5f), 336);
}

// The size boxes' other forms, and the box each gives a 4000 × 3000 picture.
TEST(BoxSideTest, PercentsAndOneSideFollowThePicture) {
    const struct {
        const char* width;
        const char* height;
        std::optional<BoxSize> box;
        BoxSize forPicture;
    } rows[] = {
        {"50%", "450", BoxSize{0, 0, 50}, {2000, 1500}},
        {" 12.5 % ", "", BoxSize{0, 0, 12.5f}, {500, 375}},
        {"", "50%", BoxSize{0, 0, 50}, {2000, 1500}},
        {"50%", "50%", BoxSize{0, 0, 50}, {2000, 1500}},
        {"1000%", "*", BoxSize{0, 0, 1000}, {32767, 30000}},
        {"1280", "*", BoxSize{1280, 0}, {1280, 960}},
        {"1280", " ", BoxSize{1280, 0}, {1280, 960}},
        {"*", "720", BoxSize{0, 720}, {960, 720}},
        {"640", "480", BoxSize{640, 480}, {640, 480}},
        {"50%", "25%", std::nullopt, {}},
        {"0%", "", std::nullopt, {}},
        {"1001%", "", std::nullopt, {}},
        {"%", "", std::nullopt, {}},
        {"*", "*", std::nullopt, {}},
        {"", "", std::nullopt, {}},
        {"abc", "*", std::nullopt, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.width) + " x " + row.height);
        const auto box = boxFromText(QString::fromUtf8(row.width), QString::fromUtf8(row.height));
        EXPECT_EQ(box, row.box);
        if (box) {
            EXPECT_EQ(box->forPicture(4000, 3000), row.forPicture);
        }
    }
    // Never below a pixel, whatever the shape.
    EXPECT_EQ((BoxSize{0, 0, 1}).forPicture(30, 5000), (BoxSize{1, 50}));
}

} // namespace
} // namespace quillmorph
