#include "frontend/ChoiceParsers.h"

#include <gtest/gtest.h>

namespace quillmorph {
namespace {

// What each text reads as, and what it does not read at all.
TEST(ChoiceParsersTest, TextsReadAsTheirValues) {
    // A size limit is what was typed, to the byte.
    for (const auto& [text, bytes] :
         {std::pair{"300", 300 * 1024}, std::pair{"1.6K", 1638}, std::pair{"1K", 1024},
          std::pair{"0", 0}, std::pair{" 1.5m ", 1536 * 1024}}) {
        const auto parsed = parseSizeLimit(QString::fromUtf8(text));
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(*parsed, bytes) << text;
    }
    for (const char* text : {"300KB", "2G", "1025M", "-1", ""})
        EXPECT_FALSE(parseSizeLimit(QString::fromUtf8(text))) << text;

    const struct {
        const char* text;
        std::optional<BoxSize> box;
    } boxes[] = {
        {"640X480", BoxSize{640, 480}}, {" 800x* ", BoxSize{800, 0}}, {"*x600", BoxSize{0, 600}},
        {"50%", BoxSize{0, 0, 50}},     {"640", std::nullopt},        {"0x5", std::nullopt},
        {"50%x25%", std::nullopt},      {"1x2x3", std::nullopt},
    };
    for (const auto& [text, box] : boxes)
        EXPECT_EQ(parseBox(QString::fromUtf8(text)), box) << text;

    EXPECT_EQ(parseColour(QStringLiteral("blue")), 0xFF0000u);
    EXPECT_EQ(parseColour(QStringLiteral("#102030")), 0x302010u);
    EXPECT_FALSE(parseColour(QStringLiteral("nocolour")));
    EXPECT_EQ(parseFitMode(QStringLiteral("fit")), FitMode::Fit);
    EXPECT_FALSE(parseFitMode(QStringLiteral("Fill")));
    EXPECT_EQ(parseCropAnchor(QStringLiteral("center")), CropAnchor::Centre);
    EXPECT_EQ(parseCropAnchor(QStringLiteral("attention")), CropAnchor::Attention);
    EXPECT_FALSE(parseCropAnchor(QStringLiteral("left")));
    EXPECT_EQ(parseQuality(QStringLiteral("88")), 32);
    EXPECT_FALSE(parseQuality(QStringLiteral("100.5")));
    EXPECT_FALSE(parseQuality(QStringLiteral("auto")));
    EXPECT_EQ(parseFormat(QStringLiteral("PNG"))->row, outputFormatFor(QStringLiteral("PNG")));
    EXPECT_FALSE(parseFormat(QStringLiteral("jpeg")));
    EXPECT_EQ(formatNames(),
              QStringLiteral("BMP, JPEG, PNG, GIF, PSD, CMP, PCT, RAS, WEBP, AVIF, JXL, TIFF"));
}

} // namespace
} // namespace quillmorph
