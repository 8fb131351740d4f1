#include "batch/Messages.h"
#include "engine/FormatWriters.h"
#include "engine/OutputFormat.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

TEST(OutputFormatTest, LookupIsExactAndCaseSensitive) {
    ASSERT_TRUE(outputFormatFor(QStringLiteral("JPEG")));
    EXPECT_EQ(formatChoiceFor(QStringLiteral("PNG")).row, outputFormatFor(FormatCode::Png));
    EXPECT_EQ(formatChoiceFor(QStringLiteral("jpeg")).row, nullptr);
    EXPECT_EQ(formatChoiceFor(QStringLiteral("jpeg")).unknownText, QStringLiteral("jpeg"));
    EXPECT_STREQ(outputFormatFor(QStringLiteral("JPEG"))->extension, ".jpg");
    EXPECT_EQ(outputFormatFor(QStringLiteral("RAS"))->code, FormatCode::Ras);
    EXPECT_EQ(int(outputFormatFor(QStringLiteral("PSD"))->code), 76);
    EXPECT_FALSE(outputFormatFor(QStringLiteral("jpeg")));
    EXPECT_FALSE(outputFormatFor(QStringLiteral("JPEG ")));
    EXPECT_FALSE(outputFormatFor(QStringLiteral("TIF")));
    QStringList names;
    for (const OutputFormat& format : outputFormats())
        names << QLatin1String(format.name) + QLatin1String(format.extension);
    EXPECT_EQ(names.join(' '), "BMP.bmp JPEG.jpg PNG.png GIF.gif PSD.psd CMP.cmp PCT.pct RAS.ras "
                               "WEBP.webp AVIF.avif JXL.jxl TIFF.tif");
}

TEST(OutputFormatTest, AFormatWithoutItsEncoderIsToldApart) {
    for (const OutputFormat& format : outputFormats())
        EXPECT_TRUE(canWrite(format)) << format.name; // the Makefile installs a complete libvips
    OutputFormat missing = *outputFormatFor(QStringLiteral("AVIF"));
    missing.saver = "nosuchsave";
    EXPECT_FALSE(canWrite(missing));
    EXPECT_EQ(message::ErrorProc(status::kNoEncoder, QStringLiteral("Save")), QStringLiteral("エラー:  18 In Save"));
}

TEST(QualityTest, JpegQualityFollowsTheFactor) {
    EXPECT_EQ(jpegQualityFromFactor(2), 100);
    EXPECT_EQ(jpegQualityFromFactor(32), 88);
    EXPECT_EQ(jpegQualityFromFactor(128), 50);
    EXPECT_EQ(jpegQualityFromFactor(248), 2);
    EXPECT_EQ(jpegQualityFromFactor(254), 1);
    EXPECT_EQ(jpegQualityFromFactor(-124), 100);
    EXPECT_EQ(jpegQualityFromFactor(32767), 1);
}

} // namespace
} // namespace quillmorph
