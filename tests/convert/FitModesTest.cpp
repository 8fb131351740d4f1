#include "FitAndPad.h"
#include "TestImages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using test::Rgb;
using vips::VImage;

const Rgb kRed{200, 40, 40};
const Rgb kGreen{40, 200, 40};
const Rgb kBlue{0, 0, 255}; // the margin
const Rgb kGrey{128, 128, 128};

enum class Source {
    Landscape, // 800 × 400, red, a green frame 40 wide
    Portrait,  // 450 × 600, red, a green frame 45 wide
    Small,     // 300 × 200, red, a green frame 20 wide
    Strip,     // 1 × 30000, red
    Cmyk,      // the landscape one as a CMYK JPEG, which the engine decodes whole
    Busy,      // 800 × 400 grey with a green block along its right 100 columns
    Clear,     // 800 × 400, transparent
};

struct ModeCase {
    Source source;
    FitMode mode;
    bool noEnlarge;
    CropAnchor crop;
    int width, height;
    // The colour at the top-left, top-right, bottom-left and bottom-right corners, the centre,
    // the middle of the left edge and the middle of the top edge: R, G, B (margin), K (grey).
    const char* colours;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << "source " << int(c.source) << " mode " << int(c.mode) << " noEnlarge " << c.noEnlarge
        << " crop " << int(c.crop);
}

VImage framed(int width, int height, int frame) {
    return test::solid(width, height, kGreen)
        .insert(test::solid(width - 2 * frame, height - 2 * frame, kRed), frame, frame);
}

QString sourceFile(Source source, const QTemporaryDir& dir) {
    const auto file = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
    switch (source) {
    case Source::Landscape:
        return test::writeImage(framed(800, 400, 40), file("landscape.png"));
    case Source::Portrait:
        return test::writeImage(framed(450, 600, 45), file("portrait.png"));
    case Source::Small:
        return test::writeImage(framed(300, 200, 20), file("small.png"));
    case Source::Strip:
        return test::writeImage(test::solid(1, 30000, kRed), file("strip.png"));
    case Source::Cmyk:
        return test::writeImage(
            framed(800, 400, 40)
                .icc_transform("cmyk", VImage::option()->set("input_profile", "srgb")),
            file("cmyk.jpg"));
    case Source::Busy:
        return test::writeImage(
            test::solid(800, 400, kGrey).insert(test::solid(100, 400, kGreen), 700, 0),
            file("busy.png"));
    case Source::Clear:
        return test::writeImage(test::solid(800, 400, kRed, 0), file("clear.png"));
    }
    return {};
}

// The one of the four colours the pixel is nearest to, as its letter.
char colourAt(const VImage& image, int x, int y) {
    const Rgb pixel = test::pixelAt(image, x, y);
    const std::pair<char, Rgb> named[]{{'R', kRed}, {'G', kGreen}, {'B', kBlue}, {'K', kGrey}};
    char nearest = '?';
    double best = 40; // further from all four is none of them
    for (const auto& [letter, colour] : named) {
        const double d = test::colourDistance(pixel, colour);
        if (d < best) {
            best = d;
            nearest = letter;
        }
    }
    return nearest;
}

class FitModesTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(FitModesTest, ThePictureMeetsTheBoxAsTheModeSays) {
    const ModeCase c = GetParam();
    QTemporaryDir dir;
    LeadImage LEAD1;
    LeadImage LEAD_work;
    ASSERT_EQ(LEAD1.Load(sourceFile(c.source, dir)), status::kOk);
    const FitRequest request{true, 600, 450, 0xFF0000, c.mode, c.crop, c.noEnlarge};
    QStringList reports;
    const auto report = [&](Failure::Kind) { reports << QStringLiteral("reported"); };
    ASSERT_EQ(FitAndPad(LEAD1, LEAD_work, request, report), status::kOk);
    const QString out = dir.filePath(QStringLiteral("out.png"));
    ASSERT_EQ(LEAD1.Save(out, *outputFormatFor(FormatCode::Png), 2), status::kOk);
    EXPECT_TRUE(reports.isEmpty());

    const VImage image = test::readImage(out);
    ASSERT_EQ(image.width(), c.width);
    ASSERT_EQ(image.height(), c.height);
    const int r = c.width - 1;
    const int b = c.height - 1;
    const std::pair<int, int> points[]{{0, 0},         {r, 0},     {0, b},    {r, b},
                                       {r / 2, b / 2}, {0, b / 2}, {r / 2, 0}};
    QByteArray seen;
    for (const auto& [x, y] : points)
        seen += colourAt(image, x, y);
    EXPECT_EQ(seen, QByteArray(c.colours));
}

constexpr auto kPad = FitMode::Pad;
constexpr auto kFit = FitMode::Fit;
constexpr auto kFill = FitMode::Fill;
constexpr auto kCentre = CropAnchor::Centre;

INSTANTIATE_TEST_SUITE_P(
    ThreeModesAndNeverEnlarge, FitModesTest,
    ::testing::Values(
        // 800 × 400 in 600 × 450: pad and fit at 0.75; fill at 1.125 crops the sides, and
        // without enlarging keeps 600 × 400 of the middle.
        ModeCase{Source::Landscape, kPad, false, kCentre, 600, 450, "BBBBRGB"},
        ModeCase{Source::Landscape, kPad, true, kCentre, 600, 450, "BBBBRGB"},
        ModeCase{Source::Landscape, kFit, false, kCentre, 600, 300, "GGGGRGG"},
        ModeCase{Source::Landscape, kFit, true, kCentre, 600, 300, "GGGGRGG"},
        ModeCase{Source::Landscape, kFill, false, kCentre, 600, 450, "GGGGRRG"},
        ModeCase{Source::Landscape, kFill, true, kCentre, 600, 400, "GGGGRRG"},
        // 450 × 600: 337.5 wide, a pad's placement rounds down, a fit's size to the nearest.
        ModeCase{Source::Portrait, kPad, false, kCentre, 600, 450, "BBBBRBG"},
        ModeCase{Source::Portrait, kPad, true, kCentre, 600, 450, "BBBBRBG"},
        ModeCase{Source::Portrait, kFit, false, kCentre, 338, 450, "GGGGRGG"},
        ModeCase{Source::Portrait, kFit, true, kCentre, 338, 450, "GGGGRGG"},
        ModeCase{Source::Portrait, kFill, false, kCentre, 600, 450, "GGGGRGR"},
        ModeCase{Source::Portrait, kFill, true, kCentre, 450, 450, "GGGGRGR"},
        // 300 × 200, smaller than the box: enlarged, or kept at its own size.
        ModeCase{Source::Small, kPad, false, kCentre, 600, 450, "BBBBRGB"},
        ModeCase{Source::Small, kPad, true, kCentre, 600, 450, "BBBBRBB"},
        ModeCase{Source::Small, kFit, false, kCentre, 600, 400, "GGGGRGG"},
        ModeCase{Source::Small, kFit, true, kCentre, 300, 200, "GGGGRGG"},
        ModeCase{Source::Small, kFill, false, kCentre, 600, 450, "GGGGRGG"},
        ModeCase{Source::Small, kFill, true, kCentre, 300, 200, "GGGGRGG"},
        // 1 × 30000: a pad's one column in the middle; a fill enlarges the middle of the strip.
        ModeCase{Source::Strip, kPad, false, kCentre, 600, 450, "BBBBRBR"},
        ModeCase{Source::Strip, kPad, true, kCentre, 600, 450, "BBBBRBR"},
        ModeCase{Source::Strip, kFit, false, kCentre, 1, 450, "RRRRRRR"},
        ModeCase{Source::Strip, kFit, true, kCentre, 1, 450, "RRRRRRR"},
        ModeCase{Source::Strip, kFill, false, kCentre, 600, 450, "RRRRRRR"},
        ModeCase{Source::Strip, kFill, true, kCentre, 1, 450, "RRRRRRR"},
        // CMYK is decoded whole, not shrunk on load; the modes are the same.
        ModeCase{Source::Cmyk, kFit, false, kCentre, 600, 300, "GGGGRGG"},
        ModeCase{Source::Cmyk, kFill, false, kCentre, 600, 450, "GGGGRRG"},
        // The busiest part: the green block a centred fill cuts away.
        ModeCase{Source::Busy, kFill, false, kCentre, 600, 450, "KKKKKKK"},
        ModeCase{Source::Busy, kFill, false, CropAnchor::Attention, 600, 450, "KGKGKKK"},
        // Without a margin, transparency still lands on the margin colour.
        ModeCase{Source::Clear, kFit, false, kCentre, 600, 300, "BBBBBBB"},
        ModeCase{Source::Clear, kFill, false, kCentre, 600, 450, "BBBBBBB"}));

} // namespace
} // namespace quillmorph
