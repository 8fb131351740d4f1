#include "AnimatedGif.h"
#include "Saving.h"
#include "TestImages.h"
#include "engine/Animation.h"
#include "engine/FitAndPad.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using test::Rgb;
using vips::VImage;

enum class Source { Landscape, Portrait, Small, Strip, Cmyk, Busy, Clear };

struct ModeCase {
    Source source;
    FitMode mode;
    bool noEnlarge;
    CropAnchor crop;
    int width, height;
    // Red, Green, Blue (the margin) or grey (K) at the four corners (top-left, top-right,
    // bottom-left, bottom-right), the centre, the left edge's middle and the top edge's middle.
    const char* colours;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << int(c.source) << " mode " << int(c.mode) << (c.noEnlarge ? " never enlarge" : "");
}

const std::pair<char, Rgb> kColours[]{
    {'R', {200, 40, 40}}, {'G', {40, 200, 40}}, {'B', {0, 0, 255}}, {'K', {128, 128, 128}}};

VImage solid(char colour, int width, int height, int alpha = -1) {
    for (const auto& [letter, rgb] : kColours) {
        if (letter == colour)
            return test::solid(width, height, rgb, alpha);
    }
    return {};
}

// Red inside a green frame.
VImage framed(int width, int height, int frame) {
    return solid('G', width, height)
        .insert(solid('R', width - 2 * frame, height - 2 * frame), frame, frame);
}

QString sourceFile(Source source, const QTemporaryDir& dir) {
    const QString png = dir.filePath(QStringLiteral("source.png"));
    switch (source) {
    case Source::Landscape:
        return test::writeImage(framed(800, 400, 40), png);
    case Source::Portrait:
        return test::writeImage(framed(450, 600, 45), png);
    case Source::Small:
        return test::writeImage(framed(300, 200, 20), png);
    case Source::Strip:
        return test::writeImage(solid('R', 1, 30000), png);
    case Source::Cmyk: // decoded whole, never shrunk on load
        return test::writeImage(
            framed(800, 400, 40)
                .icc_transform("cmyk", VImage::option()->set("input_profile", "srgb")),
            dir.filePath(QStringLiteral("source.jpg")));
    case Source::Busy: // grey, with a green block along its right 100 columns
        return test::writeImage(solid('K', 800, 400).insert(solid('G', 100, 400), 700, 0), png);
    case Source::Clear:
        return test::writeImage(solid('R', 800, 400, 0), png);
    }
    return {};
}

// The letter of the colour nearest the pixel's ('?' when none is near: CMYK's round trip moves
// the green by about 30).
char colourAt(const VImage& image, int x, int y) {
    const Rgb pixel = test::pixelAt(image, x, y);
    std::pair<double, char> nearest{40, '?'};
    for (const auto& [letter, rgb] : kColours)
        nearest = std::min(nearest, {test::colourDistance(pixel, rgb), letter});
    return nearest.second;
}

class FitModesTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(FitModesTest, ThePictureMeetsTheBoxAsTheModeSays) {
    const ModeCase c = GetParam();
    QTemporaryDir dir;
    LeadImage LEAD1;
    LeadImage LEAD_work;
    ASSERT_EQ(LEAD1.Load(sourceFile(c.source, dir)), status::kOk);
    const FitRequest request{true, 600, 450, 0xFF0000, c.mode, c.crop, c.noEnlarge};
    ASSERT_EQ(FitAndPad(LEAD1, LEAD_work, request, [](PadStep) { ADD_FAILURE(); }).status,
              status::kOk);
    const QString out = dir.filePath(QStringLiteral("out.png"));
    ASSERT_EQ(test::save(LEAD1, out, *outputFormatFor(FormatCode::Png), 2), status::kOk);

    const VImage image = test::readImage(out);
    ASSERT_EQ(image.width(), c.width);
    ASSERT_EQ(image.height(), c.height);
    const int r = c.width - 1;
    const int b = c.height - 1;
    QByteArray seen;
    for (const auto& [x, y] :
         {std::pair{0, 0}, {r, 0}, {0, b}, {r, b}, {r / 2, b / 2}, {0, b / 2}, {r / 2, 0}})
        seen += colourAt(image, x, y);
    EXPECT_EQ(seen.toStdString(), c.colours);
}

constexpr auto kPad = FitMode::Pad;
constexpr auto kFit = FitMode::Fit;
constexpr auto kFill = FitMode::Fill;
constexpr auto kMiddle = CropAnchor::Centre;

// Into 600 × 450: the landscape at 0.75 (fill 1.125, cropping its sides), the portrait at 0.75
// (337.5 wide: a pad's placement rounds down, a fit's size to the nearest), the small one at 2
// (fill 2.25), the strip as a pad's one middle column or, filled, its middle enlarged.
INSTANTIATE_TEST_SUITE_P(
    ThreeModesAndNeverEnlarge, FitModesTest,
    ::testing::Values(ModeCase{Source::Landscape, kPad, false, kMiddle, 600, 450, "BBBBRGB"},
                      ModeCase{Source::Landscape, kPad, true, kMiddle, 600, 450, "BBBBRGB"},
                      ModeCase{Source::Landscape, kFit, false, kMiddle, 600, 300, "GGGGRGG"},
                      ModeCase{Source::Landscape, kFit, true, kMiddle, 600, 300, "GGGGRGG"},
                      ModeCase{Source::Landscape, kFill, false, kMiddle, 600, 450, "GGGGRRG"},
                      ModeCase{Source::Landscape, kFill, true, kMiddle, 600, 400, "GGGGRRG"},
                      ModeCase{Source::Portrait, kPad, false, kMiddle, 600, 450, "BBBBRBG"},
                      ModeCase{Source::Portrait, kPad, true, kMiddle, 600, 450, "BBBBRBG"},
                      ModeCase{Source::Portrait, kFit, false, kMiddle, 338, 450, "GGGGRGG"},
                      ModeCase{Source::Portrait, kFit, true, kMiddle, 338, 450, "GGGGRGG"},
                      ModeCase{Source::Portrait, kFill, false, kMiddle, 600, 450, "GGGGRGR"},
                      ModeCase{Source::Portrait, kFill, true, kMiddle, 450, 450, "GGGGRGR"},
                      ModeCase{Source::Small, kPad, false, kMiddle, 600, 450, "BBBBRGB"},
                      ModeCase{Source::Small, kPad, true, kMiddle, 600, 450, "BBBBRBB"},
                      ModeCase{Source::Small, kFit, false, kMiddle, 600, 400, "GGGGRGG"},
                      ModeCase{Source::Small, kFit, true, kMiddle, 300, 200, "GGGGRGG"},
                      ModeCase{Source::Small, kFill, false, kMiddle, 600, 450, "GGGGRGG"},
                      ModeCase{Source::Small, kFill, true, kMiddle, 300, 200, "GGGGRGG"},
                      ModeCase{Source::Strip, kPad, false, kMiddle, 600, 450, "BBBBRBR"},
                      ModeCase{Source::Strip, kPad, true, kMiddle, 600, 450, "BBBBRBR"},
                      ModeCase{Source::Strip, kFit, false, kMiddle, 1, 450, "RRRRRRR"},
                      ModeCase{Source::Strip, kFit, true, kMiddle, 1, 450, "RRRRRRR"},
                      ModeCase{Source::Strip, kFill, false, kMiddle, 600, 450, "RRRRRRR"},
                      ModeCase{Source::Strip, kFill, true, kMiddle, 1, 450, "RRRRRRR"},
                      ModeCase{Source::Cmyk, kFit, false, kMiddle, 600, 300, "GGGGRGG"},
                      ModeCase{Source::Cmyk, kFill, false, kMiddle, 600, 450, "GGGGRRG"},
                      // The busiest part: the green block a fill of the middle cuts away.
                      ModeCase{Source::Busy, kFill, false, kMiddle, 600, 450, "KKKKKKK"},
                      ModeCase{Source::Busy, kFill, false, CropAnchor::Attention, 600, 450,
                               "KGKGKKK"},
                      // Without a margin, transparency still lands on the margin colour.
                      ModeCase{Source::Clear, kFill, false, kMiddle, 600, 450, "BBBBBBB"}));

// Animations: the same modes, every frame, from a GIF whose later frames are patches.

const std::vector<Rgb> kPalette{{200, 40, 40}, {40, 200, 40}, {0, 0, 255}, {128, 128, 128}};

// Red; then green over the left half; then blue over the right half.
QString threeFrames(const QTemporaryDir& dir) {
    return test::writeBytes(
        dir.filePath(QStringLiteral("three.gif")),
        test::gifOfPatches(60, 40, kPalette,
                           {{0, 0, 60, 40, 0, 100}, {0, 0, 30, 40, 1, 250}, {30, 0, 30, 40, 2, 70}},
                           2));
}

struct AnimationCase {
    FitRequest request;
    int width, height;
    // Per frame: the colours at 3/8 and 5/8 across the middle row and at 7/8 across the top row.
    const char* colours;
};

void PrintTo(const AnimationCase& c, std::ostream* os) {
    *os << "mode " << int(c.request.mode) << (c.request.sizeConversion ? "" : " own size")
        << (c.request.noEnlarge ? " never enlarge" : "") << " crop " << int(c.request.crop);
}

class AnimationModesTest : public ::testing::TestWithParam<std::tuple<AnimationCase, FormatCode>> {
};

TEST_P(AnimationModesTest, EveryFrameMeetsTheBoxWithItsDelayAndLoop) {
    const auto& [c, code] = GetParam();
    QTemporaryDir dir;
    const VImage source =
        VImage::new_from_file(threeFrames(dir).toUtf8(), VImage::option()->set("n", -1));
    LeadImage LEAD1;
    ASSERT_EQ(LEAD1.Load(dir.filePath(QStringLiteral("three.gif"))), status::kOk);
    const OutputFormat& format = *outputFormatFor(code);
    ASSERT_TRUE(keepsAnimation(LEAD1.header(), format));
    ASSERT_EQ(FitAnimation(LEAD1, c.request).status, status::kOk);
    const QString out = dir.filePath(QStringLiteral("out") + QLatin1String(format.extension));
    ASSERT_EQ(test::save(LEAD1, out, format, 2), status::kOk);

    const VImage frames = VImage::new_from_file(out.toUtf8(), VImage::option()->set("n", -1));
    ASSERT_EQ(frames.get_int("n-pages"), 3);
    ASSERT_EQ(frames.width(), c.width);
    ASSERT_EQ(frames.get_int("page-height"), c.height);
    EXPECT_EQ(frames.get_array_int("delay"), source.get_array_int("delay"));
    EXPECT_EQ(frames.get_int("loop"), source.get_int("loop"));
    QByteArray seen;
    for (int frame = 0; frame < 3; ++frame) {
        const int top = frame * c.height;
        seen += colourAt(frames, c.width * 3 / 8, top + c.height / 2);
        seen += colourAt(frames, c.width * 5 / 8, top + c.height / 2);
        seen += colourAt(frames, c.width * 7 / 8, top + 1);
    }
    EXPECT_EQ(seen.toStdString(), c.colours);
}

FitRequest boxed(FitMode mode, bool noEnlarge = false, CropAnchor crop = kMiddle, int side = 120) {
    return {true, side, side, 0x808080, mode, crop, noEnlarge};
}

// 60 × 40 into 120 × 120: pad and fit at 2, fill at 3 (its sides cut), never enlarge at 1. On
// the flat first frame attention prefers no part, and libvips keeps the left edge. Into 30 × 30
// (shrunk while decoding): pad at 0.5, fill at 0.75.
INSTANTIATE_TEST_SUITE_P(
    ModesIntoGifAndWebp, AnimationModesTest,
    ::testing::Combine(
        ::testing::Values(AnimationCase{boxed(kPad), 120, 120, "RRKGRKGBK"},
                          AnimationCase{boxed(kPad, true), 120, 120, "RRKGRKGBK"},
                          AnimationCase{boxed(kFit), 120, 80, "RRRGRRGBB"},
                          AnimationCase{boxed(kFit, true), 60, 40, "RRRGRRGBB"},
                          AnimationCase{boxed(kFill), 120, 120, "RRRGRRGBB"},
                          AnimationCase{boxed(kFill, false, CropAnchor::Attention), 120, 120,
                                        "RRRGGRGGB"},
                          AnimationCase{{false, 0, 0, 0x808080}, 60, 40, "RRRGRRGBB"},
                          AnimationCase{boxed(kPad, false, kMiddle, 30), 30, 30, "RRKGRKGBK"},
                          AnimationCase{boxed(kFill, false, kMiddle, 30), 30, 30, "RRRGRRGBB"}),
        ::testing::Values(FormatCode::Gif, FormatCode::Webp)));

// Every output frame is the source frame as a browser shows it: patches laid over what the
// frames before left, a frame put back ("previous") or, with transparency, cleared
// ("background"), which lands on the margin colour.
TEST(AnimationTest, PatchedFramesComeOutWhole) {
    QTemporaryDir dir;
    const QString gif = test::writeBytes(dir.filePath(QStringLiteral("patches.gif")),
                                         test::gifOfPatches(40, 30, kPalette,
                                                            {{0, 0, 40, 30, 0, 100, 1},
                                                             {0, 0, 20, 30, 1, 100, 3},
                                                             {20, 10, 20, 10, 2, 100, 2, 7},
                                                             {0, 20, 10, 10, 1, 100, 1}},
                                                            0));
    const quint32 margin = 0x808080;
    const auto frame = [](const std::vector<std::tuple<int, int, int, int, int>>& rects) {
        VImage canvas = test::solid(40, 30, kPalette[3]);
        for (const auto& [x, y, w, h, colour] : rects)
            canvas = canvas.insert(test::solid(w, h, kPalette[size_t(colour)]), x, y);
        return canvas;
    };
    const std::vector<VImage> expected{
        frame({{0, 0, 40, 30, 0}}),
        frame({{0, 0, 40, 30, 0}, {0, 0, 20, 30, 1}}),
        frame({{0, 0, 40, 30, 0}, {20, 10, 20, 10, 2}}),
        frame({{0, 0, 20, 10, 0},
               {0, 10, 20, 20, 0},
               {0, 0, 40, 10, 0},
               {0, 20, 40, 10, 0},
               {0, 20, 10, 10, 1}}),
    };
    LeadImage LEAD1;
    ASSERT_EQ(LEAD1.Load(gif), status::kOk);
    ASSERT_EQ(FitAnimation(LEAD1, {false, 0, 0, margin}).status, status::kOk);
    const QString out = dir.filePath(QStringLiteral("out.gif"));
    ASSERT_EQ(test::save(LEAD1, out, *outputFormatFor(FormatCode::Gif), 2), status::kOk);
    const VImage frames = VImage::new_from_file(out.toUtf8(), VImage::option()->set("n", -1));
    ASSERT_EQ(frames.height(), 30 * 4);
    for (int i = 0; i < 4; ++i) {
        const VImage got =
            frames.extract_area(0, 30 * i, 40, 30).extract_band(0, VImage::option()->set("n", 3));
        EXPECT_EQ((got - expected[size_t(i)]).abs().max(), 0) << "frame " << i;
    }
}

// A GIF in memory that tells how much of it each read asked for.
class ReadsRecorded : public QBuffer {
public:
    explicit ReadsRecorded(const QByteArray& bytes) { setData(bytes); }
    qint64 largestRead = 0;
    qint64 bytesRead = 0;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        largestRead = std::max(largestRead, maxSize);
        const qint64 got = QBuffer::readData(data, maxSize);
        bytesRead += std::max<qint64>(0, got);
        return got;
    }
};

// A GIF longer than libvips' loader reads is read in parts, each first painting the canvas the
// frames before left: every frame shows as in the whole file, transparency and disposal alike,
// and a canvas of more colours than one frame holds takes several frames to paint.
TEST(AnimationTest, AGifReadInPartsShowsEveryFrameAsTheWholeFileDoes) {
    std::vector<test::GifPatch> patches{{0, 0, 40, 30, 0, 100, 1}};
    for (int i = 1; i < 13; ++i)
        patches.push_back({(i * 7) % 30, (i * 5) % 20, 10, 10, i % 4, 10 * i, 1 + i / 3 % 3,
                           i % 3 == 0 ? (i + 1) % 4 : -1});
    // A first row of 300 colours, each a frame's own, over a second of two.
    std::vector<test::GifPatch> many{{0, 0, 300, 2, 0, 10}};
    for (int x = 0; x < 300; ++x)
        many.push_back({x, 0, 1, 1, 0, 10, 1, -1, (x & 255) << 16 | (x >> 8) << 8 | 77});
    for (int x = 0; x < 20; ++x)
        many.push_back({x, 1, 1, 1, 1, 10});
    const auto rgba = [](const VImage& in) {
        return in.has_alpha() ? in : in.bandjoin_const({255});
    };
    for (const auto& [gif, mostPages, leastPainting] :
         {std::tuple{test::gifOfPatches(40, 30, kPalette, patches, 0), 5, 1},
          std::tuple{test::gifOfPatches(300, 2, kPalette, many, 0), 305, 3}}) {
        const VImage whole = rgba(VImage::new_from_buffer(gif.constData(), size_t(gif.size()), "",
                                                          VImage::option()->set("n", -1)));
        const std::optional<std::vector<GifPart>> parts = gifParts(gif, mostPages);
        ASSERT_TRUE(parts);
        ASSERT_GT(parts->size(), 1U);
        VImage joined;
        for (const GifPart& part : *parts) {
            EXPECT_LE(part.firstPage + part.pages, mostPages - 1);
            if (&part != &parts->front()) {
                EXPECT_GE(part.firstPage, leastPainting);
            }
            const VImage some = rgba(VImage::new_from_buffer(
                part.bytes.constData(), size_t(part.bytes.size()), "",
                VImage::option()->set("page", part.firstPage)->set("n", part.pages)));
            joined = joined.get_image() ? joined.join(some, VIPS_DIRECTION_VERTICAL) : some;
        }
        ASSERT_EQ(joined.height(), whole.height());
        EXPECT_EQ((joined - whole).abs().max(), 0);
        EXPECT_EQ(gifFramesIn(gif), whole.get_int("n-pages"));
        // From a file, the frames are counted through a window far smaller than the file.
        ReadsRecorded device(gif);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        EXPECT_EQ(gifFramesIn(device, 64), whole.get_int("n-pages"));
        EXPECT_LE(device.largestRead, 64);
        EXPECT_LE(device.bytesRead, gif.size() + 64);
        // Cut from the file, the parts are the same; a source over a part keeps its bytes alive.
        QTemporaryDir dir;
        const QString file = test::writeBytes(dir.filePath(QStringLiteral("long.gif")), gif);
        std::optional<std::vector<GifPart>> fromFile = gifPartsOfFile(file.toStdString(), mostPages);
        ASSERT_TRUE(fromFile);
        ASSERT_EQ(fromFile->size(), parts->size());
        for (size_t i = 0; i < parts->size(); ++i)
            EXPECT_EQ((*fromFile)[i].bytes, (*parts)[i].bytes) << "part " << i;
        const GifPart& last = parts->back();
        const VImage expected = rgba(VImage::new_from_buffer(
            last.bytes.constData(), size_t(last.bytes.size()), "",
            VImage::option()->set("page", last.firstPage)->set("n", last.pages)));
        VImage read;
        {
            const vips::VSource source = gifPartSource(std::move(fromFile->back()));
            fromFile.reset();
            read = rgba(VImage::new_from_source(source, "",
                                                VImage::option()->set("page", last.firstPage)->set("n", last.pages)));
        }
        ASSERT_EQ(read.height(), expected.height());
        EXPECT_EQ((read - expected).abs().max(), 0);
    }
    // A canvas that would take most of a part to paint is refused, not cut short; a file cut
    // short counts its whole frames.
    const QByteArray gif = test::gifOfPatches(300, 2, kPalette, many, 0);
    EXPECT_FALSE(gifParts(gif, 5));
    EXPECT_EQ(gifFramesIn(gif.chopped(2)), 1 + 300 + 20 - 1); // the last frame loses its end
    EXPECT_EQ(gifFramesIn(QByteArray("GIF89a")), 0);
}

// WebP back to GIF: every frame, its loop, and delays to GIF's hundredths of a second.
TEST(AnimationTest, WebpIntoGifKeepsItsFramesWithDelaysToTheHundredth) {
    QTemporaryDir dir;
    VImage stack =
        VImage::new_from_file(threeFrames(dir).toUtf8(), VImage::option()->set("n", -1)).copy();
    stack.set("delay", std::vector<int>{44, 256, 70});
    const QString webp = dir.filePath(QStringLiteral("three.webp"));
    stack.webpsave(webp.toUtf8(), VImage::option()->set("lossless", true));
    LeadImage LEAD1;
    ASSERT_EQ(LEAD1.Load(webp), status::kOk);
    ASSERT_EQ(FitAnimation(LEAD1, boxed(kFit)).status, status::kOk);
    const QString out = dir.filePath(QStringLiteral("out.gif"));
    ASSERT_EQ(test::save(LEAD1, out, *outputFormatFor(FormatCode::Gif), 2), status::kOk);
    const VImage frames = VImage::new_from_file(out.toUtf8(), VImage::option()->set("n", -1));
    EXPECT_EQ(frames.get_int("n-pages"), 3);
    EXPECT_EQ(frames.get_array_int("delay"), (std::vector<int>{40, 260, 70}));
    EXPECT_EQ(frames.get_int("loop"), stack.get_int("loop"));
    EXPECT_EQ(colourAt(frames, 90, 2 * 80 + 40), 'B');
}

} // namespace
} // namespace quillmorph
