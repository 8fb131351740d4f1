#include "engine/SizeLimit.h"

#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using vips::VImage;

// An encoder whose size is known exactly: 16 bytes, then one per hundred pixels per quality
// step. The picture's size and the quality lead the bytes, so a result shows what was encoded.
QByteArray fakeEncoding(const VImage& image, int quality, bool) {
    QByteArray bytes = QByteArray::number(image.width()) + ' ' + QByteArray::number(image.height()) +
                       ' ' + QByteArray::number(quality) + ' ';
    bytes.resize(16 + qsizetype(image.width()) * image.height() * quality / 100, '.');
    return bytes;
}

LimitedEncoding within(qint64 limit, bool sizeIsFree, int* encodes = nullptr) {
    static const VImage picture = VImage::black(100, 100, VImage::option()->set("bands", 3));
    return encodeWithin(picture, *outputFormatFor(FormatCode::Jpeg), 90, {limit, sizeIsFree},
                        [&](const VImage& image, int quality, bool palette) {
                            if (encodes)
                                ++*encodes;
                            return fakeEncoding(image, quality, palette);
                        });
}

// 100 × 100 at quality q is 16 + 100 q bytes: every limit has one right quality.
TEST(SizeLimitTest, TheSearchFindsTheHighestQualityThatFitsForEveryLimit) {
    for (int quality = 1; quality <= 90; ++quality) {
        SCOPED_TRACE(quality);
        int encodes = 0;
        const LimitedEncoding exact = within(16 + 100 * quality, false, &encodes);
        EXPECT_TRUE(exact.within);
        EXPECT_EQ(exact.quality, quality);
        EXPECT_EQ(exact.bytes.size(), 16 + 100 * quality);
        EXPECT_LE(encodes, 8);
        if (quality > 1) {
            EXPECT_EQ(within(15 + 100 * quality, false).quality, quality - 1);
        }
    }
}

struct ShrinkCase {
    qint64 limit;
    bool sizeIsFree;
    bool within;
    double scale;
    QByteArray leads; // width, height and quality of what was kept
};

void PrintTo(const ShrinkCase& c, std::ostream* os) {
    *os << c.limit << (c.sizeIsFree ? " B, size free" : " B, size fixed");
}

class ShrinkTest : public ::testing::TestWithParam<ShrinkCase> {};

// Each step makes the picture a tenth smaller, and searches its qualities again.
TEST_P(ShrinkTest, APictureIsMadeSmallerOnlyWhereItsSizeIsFree) {
    const ShrinkCase& c = GetParam();
    const LimitedEncoding result = within(c.limit, c.sizeIsFree);
    EXPECT_EQ(result.within, c.within);
    EXPECT_DOUBLE_EQ(result.scale, c.scale);
    EXPECT_TRUE(result.bytes.startsWith(c.leads)) << result.bytes.left(16).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ShrinkTest,
    ::testing::Values(ShrinkCase{115, false, false, 1, "100 100 1 "}, // the smallest, over
                      ShrinkCase{115, true, true, 0.9, "90 90 1 "},
                      ShrinkCase{60, true, true, 0.9 * 0.9 * 0.9 * 0.9, "66 66 1 "}));

// An animation (three 100 × 100 frames stacked) is made smaller frame by frame: each frame keeps
// whole rows of its own, so none bleeds into the next.
TEST(SizeLimitTest, AnAnimationIsMadeSmallerFrameByFrame) {
    VImage frames = VImage::black(100, 300, VImage::option()->set("bands", 3)).copy();
    frames.set("page-height", 100);
    int frameHeight = 0;
    const LimitedEncoding result = encodeWithin(
        frames, *outputFormatFor(FormatCode::Webp), 90, {16 + 90 * 270 / 100, true},
        [&](const VImage& image, int quality, bool palette) {
            frameHeight = image.get_int("page-height");
            return fakeEncoding(image, quality, palette);
        });
    EXPECT_TRUE(result.within);
    EXPECT_TRUE(result.bytes.startsWith("90 270 1 ")) << result.bytes.left(16).toStdString();
    EXPECT_EQ(frameHeight, 90);
}

} // namespace
} // namespace quillmorph
