#include "AnimatedGif.h"
#include "Fifo.h"
#include "RecordingSink.h"
#include "ScriptedOptions.h"
#include "Saving.h"
#include "TestImages.h"
#include "batch/ConvertFiles.h"
#include "batch/Messages.h"
#include "batch/StatusSentences.h"
#include "engine/FitAndPad.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using test::Rgb;
using vips::VImage;

constexpr quint32 kBlue = 0xFF0000; // 0x00BBGGRR
const Rgb kBlueRgb{0, 0, 255};
const Rgb kRedRgb{220, 20, 20};

class ConvertFilesTest : public ::testing::Test {
protected:
    ConvertFilesTest() {
        options_.base.backColor = kBlue;
        options_.base.sizeConversion = true;
        options_.base.box = BoxSize{640, 480};
        options_.base.format = formatChoiceFor(QStringLiteral("PNG"));
        place_.parentFolder = desktop_.filePath(QStringLiteral("Desktop"));
        place_.startedAt = QDateTime(QDate(2026, 12, 7), QTime(9, 6, 32));
        place_.locale = QLocale(QLocale::Japanese, QLocale::Japan);
        QDir().mkpath(sources_.path());
    }

    QString source(const QString& name, const VImage& image) const {
        return test::writePicture(image, sources_.filePath(name));
    }
    BatchResult run(const QStringList& files) {
        return ConvertFiles(test::paths(files), place_, options_, sink_);
    }
    QString hidden() const {
        const QString png = source(QStringLiteral("hidden.png"), test::solid(40, 30, kRedRgb));
        QFile::rename(png, sources_.filePath(QStringLiteral(".hidden")));
        return sources_.filePath(QStringLiteral(".hidden"));
    }
    static QStringList namesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir desktop_;
    QTemporaryDir sources_;
    test::ScriptedOptions options_;
    test::RecordingSink sink_;
    BatchPlace place_;
};

TEST_F(ConvertFilesTest, WideImageIsCentredOnTheMarginColour) {
    const QString wide = source(QStringLiteral("wide.jpg"), test::solid(800, 400, kRedRgb));
    const BatchResult result = run({wide});

    EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed);
    EXPECT_EQ(message::finalMessage(result), QStringLiteral(" 1ファイルを変換終了しました。"));
    EXPECT_EQ(result.outputFolder.display(), place_.parentFolder.display() + QStringLiteral("/pic2026120790632"));
    ASSERT_EQ(namesIn(result.outputFolder.display()), QStringList{QStringLiteral("wide.png")});
    EXPECT_EQ(result.sizes, (SizeTotals{QFileInfo(wide).size(), QFileInfo(sink_.outputs.value(0)).size(), 1}));

    const VImage out = test::readImage(result.outputFolder.display() + QStringLiteral("/wide.png"));
    ASSERT_EQ(out.width(), 640);
    ASSERT_EQ(out.height(), 480);
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}})
        EXPECT_TRUE(test::near(test::pixelAt(out, x, y), kBlueRgb, 0)) << x << "," << y;
    EXPECT_TRUE(test::near(test::pixelAt(out, 320, 240), kRedRgb));
    // Placed at top 80, 320 high: rows 0…79 margin, 80…399 image, 400… margin (within a pixel).
    EXPECT_TRUE(test::near(test::pixelAt(out, 320, 78), kBlueRgb, 2));
    EXPECT_TRUE(test::near(test::pixelAt(out, 320, 81), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 320, 398), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 320, 401), kBlueRgb, 2));
    EXPECT_TRUE(test::near(test::pixelAt(out, 0, 240), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 639, 240), kRedRgb));
}

TEST_F(ConvertFilesTest, PortraitImageLandsAtColumn131) {
    options_.base.box = BoxSize{600, 450};
    const QString tall = source(QStringLiteral("tall.png"), test::solid(450, 600, kRedRgb));
    ASSERT_EQ(run({tall}).outcome, BatchResult::Outcome::Completed);
    const VImage out = test::readImage(sink_.outputs.value(0));
    ASSERT_EQ(out.width(), 600);
    ASSERT_EQ(out.height(), 450);
    EXPECT_TRUE(test::near(test::pixelAt(out, 130, 225), kBlueRgb, 2));
    EXPECT_TRUE(test::near(test::pixelAt(out, 132, 225), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 466, 225), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 469, 225), kBlueRgb, 2));
}

TEST_F(ConvertFilesTest, SmallImageIsEnlargedAndTheHairAboveTheBoxIsAbsorbed) {
    const QString small = source(QStringLiteral("small.png"), test::solid(150, 100, kRedRgb));
    ASSERT_EQ(run({small}).outcome, BatchResult::Outcome::Completed);
    const VImage out = test::readImage(sink_.outputs.value(0));
    ASSERT_EQ(out.width(), 640);
    // No margin stripe at the left or right edge: the image fills the full width.
    EXPECT_TRUE(test::near(test::pixelAt(out, 0, 240), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 639, 240), kRedRgb));
    EXPECT_TRUE(test::near(test::pixelAt(out, 320, 10), kBlueRgb, 2));
}

TEST_F(ConvertFilesTest, WithoutSizeConversionTheSourceSizeIsKeptAndAlphaFlattened) {
    options_.base.sizeConversion = false;
    options_.base.box = boxFromText(QStringLiteral("not a number"), QStringLiteral("480")); // unused when off
    const QString clear = source(QStringLiteral("clear.png"), test::solid(123, 45, {0, 0, 0}, 0));
    ASSERT_EQ(run({clear}).outcome, BatchResult::Outcome::Completed);
    const VImage out = test::readImage(sink_.outputs.value(0));
    EXPECT_EQ(out.width(), 123);
    EXPECT_EQ(out.height(), 45);
    EXPECT_EQ(out.bands(), 3);
    EXPECT_TRUE(test::near(test::pixelAt(out, 60, 20), kBlueRgb, 0));
}

TEST_F(ConvertFilesTest, FilesSharingAProfileAllKeepTheirColours) {
    // One transform per profile for the batch, used by every file that carries the profile.
    const VImage p3Green = test::solid(80, 60, {0, 200, 0}).icc_transform("p3", VImage::option()->set("input_profile", "srgb"));
    const VImage p3Red = test::solid(80, 60, kRedRgb).icc_transform("p3", VImage::option()->set("input_profile", "srgb"));
    const QStringList files{source(QStringLiteral("green.png"), p3Green), source(QStringLiteral("red.png"), p3Red),
                            source(QStringLiteral("green-alpha.png"), p3Green.bandjoin_const({255}))};
    for (const bool sizeConversion : {true, false}) {
        options_.base.sizeConversion = sizeConversion;
        sink_.outputs.clear();
        ASSERT_EQ(run(files).outcome, BatchResult::Outcome::Completed);
        ASSERT_EQ(sink_.outputs.size(), 3);
        for (const int i : {0, 2})
            EXPECT_LT(test::colourDistance(test::pixelAt(test::readImage(sink_.outputs[i]), 40, 30), {0, 200, 0}), 3.0) << i;
        EXPECT_LT(test::colourDistance(test::pixelAt(test::readImage(sink_.outputs[1]), 40, 30), kRedRgb), 3.0);
    }
}

TEST_F(ConvertFilesTest, OutputNamesFollowTheSourceNames) {
    options_.base.format = formatChoiceFor(QStringLiteral("JPEG"));
    const QStringList files{
        source(QStringLiteral("x.y.bmp"), test::solid(40, 30, kRedRgb)),
        hidden(),
        source(QStringLiteral("写真.png"), test::solid(40, 30, kRedRgb)),
        source(QStringLiteral("a.jpg"), test::solid(40, 30, kRedRgb)),
        source(QStringLiteral("a.png"), test::solid(40, 30, kRedRgb)),
    };
    const BatchResult result = run(files);
    ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed) << message::finalMessage(result).toStdString();
    EXPECT_EQ(message::finalMessage(result), QStringLiteral(" 5ファイルを変換終了しました。"));
    EXPECT_EQ(namesIn(result.outputFolder.display()),
              (QStringList{QStringLiteral(".hidden.jpg"), QStringLiteral("a (2).jpg"),
                           QStringLiteral("a.jpg"), QStringLiteral("x.y.jpg"),
                           QStringLiteral("写真.jpg")}));
}

// A pattern numbers the outputs in the batch's order, fills in each output's size (here a
// share of each picture's own), and a name it gives twice still gets its " (2)".
TEST_F(ConvertFilesTest, ANamePatternNamesOutputsInTheBatchsOrder) {
    options_.base.box = BoxSize{0, 0, 50};
    for (const char* pattern : {"shop_{n}_{w}x{h}", "shop"}) {
        options_.base.namePattern = *NamePattern::parse(QLatin1String(pattern));
        const BatchResult result = run({source(QStringLiteral("z.png"), test::solid(40, 30, kRedRgb)),
                                        source(QStringLiteral("a.png"), test::solid(42, 80, kRedRgb))});
        ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
        const QStringList names = namesIn(result.outputFolder.display());
        EXPECT_EQ(names, std::string(pattern) == "shop"
                             ? QStringList({QStringLiteral("shop (2).png"), QStringLiteral("shop.png")})
                             : QStringList({QStringLiteral("shop_1_20x15.png"),
                                            QStringLiteral("shop_2_21x40.png")}));
        if (std::string(pattern) != "shop") {
            const QString second = result.outputFolder.display() + QStringLiteral("/shop_2_21x40.png");
            EXPECT_EQ(test::readImage(second).width(), 21);
        }
        place_.startedAt = place_.startedAt.addSecs(60);
    }
}

TEST_F(ConvertFilesTest, FilesThatMissTheSizeLimitAreCountedAndListedWithTheirSizes) {
    options_.perCall = [this](int call) {
        ConversionOptions s = options_.base;
        s.sizeLimitBytes = 1638; // 1.6K; a boxed picture of noise cannot get there
        s.format = formatChoiceFor(call == 2 ? QStringLiteral("TIFF") : QStringLiteral("JPEG"));
        return s;
    };
    const QStringList files{source(QStringLiteral("a.png"), test::noise(200, 150)),
                            source(QStringLiteral("b.png"), test::noise(200, 150))};
    const BatchResult result = run(files);
    ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
    ASSERT_EQ(result.overLimit.size(), 1) << "TIFF ignores the limit";
    const QString out = sink_.outputs.value(0);
    EXPECT_EQ(result.overLimit[0].output.display(), out);
    EXPECT_EQ(result.overLimit[0].bytes, QFileInfo(out).size());
    EXPECT_EQ(message::finalMessage(result),
              QStringLiteral(" 2ファイルを変換終了しました。\n 1ファイルは上限の 1.6 KB に収まりませんでした。"));
    EXPECT_EQ(message::failureTexts(result),
              QStringList(QStringLiteral("上限の 1.6 KB に収まりませんでした（%1 KB）。\n%2")
                              .arg((QFileInfo(out).size() + 1023) / 1024)
                              .arg(out)));
}

// Each judged output's quality is reported; a lossless format is neither judged nor reported.
TEST_F(ConvertFilesTest, QualitiesChosenByEyeAreReportedUnderTheQualityValue) {
    options_.perCall = [this](int call) {
        ConversionOptions s = options_.base;
        s.box = BoxSize{160, 120};
        s.qualityByEye = true;
        s.qualityFactor = 14; // quality value 95
        s.format = formatChoiceFor(call == 2 ? QStringLiteral("PNG") : QStringLiteral("JPEG"));
        return s;
    };
    const QStringList files{source(QStringLiteral("a.png"), test::noise(160, 120)),
                            source(QStringLiteral("b.png"), test::solid(160, 120, kRedRgb)),
                            source(QStringLiteral("c.png"), test::solid(160, 120, kRedRgb))};
    const BatchResult result = run(files);
    ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
    ASSERT_EQ(result.qualitiesByEye.size(), 2);
    EXPECT_LE(result.qualitiesByEye[0], 95);
    EXPECT_LT(result.qualitiesByEye[1], result.qualitiesByEye[0]) << "one colour hides nothing";
    EXPECT_LT(QFileInfo(sink_.outputs.value(2)).size(), QFileInfo(sink_.outputs.value(0)).size());
}

// Quality by eye would judge an animation by its first frame: it gets the fixed quality instead,
// every frame kept, and is counted as not judged. Two frames are an animation as three are.
TEST_F(ConvertFilesTest, AnAnimationIntoWebpWithQualityByEyeKeepsItsFramesAtTheFixedQuality) {
    const std::vector<Rgb> palette{{200, 40, 40}, {40, 200, 40}, {0, 0, 255}};
    const auto gif = [&](const QString& name, int frames) {
        std::vector<test::GifPatch> patches{{0, 0, 64, 64, 0, 100}};
        for (int i = 1; i < frames; ++i)
            patches.push_back({8 * i, 8 * i, 24, 24, i % 3, 100});
        return test::writeBytes(sources_.filePath(name),
                                test::gifOfPatches(64, 64, palette, patches, 0));
    };
    const QString three = gif(QStringLiteral("three.gif"), 3);
    VImage stack = VImage::new_from_file(three.toUtf8(), VImage::option()->set("n", -1)).copy();
    const QString webp = sources_.filePath(QStringLiteral("three.webp"));
    stack.webpsave(webp.toUtf8(), VImage::option()->set("lossless", true));
    const QStringList files{gif(QStringLiteral("two.gif"), 2), three, webp};
    const auto convert = [&](bool byEye) {
        options_.base.sizeConversion = false;
        options_.base.format = formatChoiceFor(QStringLiteral("WEBP"));
        options_.base.qualityFactor = 40; // quality value 85
        options_.base.qualityByEye = byEye;
        sink_.outputs.clear();
        place_.startedAt = place_.startedAt.addSecs(60);
        return run(files);
    };
    const BatchResult fixed = convert(false);
    ASSERT_EQ(fixed.outcome, BatchResult::Outcome::Completed);
    const QStringList fixedOutputs = sink_.outputs;
    const BatchResult byEye = convert(true);
    ASSERT_EQ(byEye.outcome, BatchResult::Outcome::Completed)
        << message::finalMessage(byEye).toStdString();
    ASSERT_EQ(sink_.outputs.size(), 3);
    EXPECT_TRUE(byEye.qualitiesByEye.isEmpty());
    EXPECT_EQ(byEye.notJudgedByEye, 3);
    EXPECT_EQ(fixed.notJudgedByEye, 0);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(sink_.outputs[i].toStdString());
        const VImage frames =
            VImage::new_from_file(sink_.outputs[i].toUtf8(), VImage::option()->set("n", -1));
        EXPECT_EQ(frames.get_typeof("n-pages") ? frames.get_int("n-pages") : 1, i == 0 ? 2 : 3);
        EXPECT_EQ(frames.height(), 64 * (i == 0 ? 2 : 3));
        QFile a(sink_.outputs[i]);
        QFile b(fixedOutputs[i]);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll())
            << "the fixed quality, encoded as without quality by eye";
    }
}

// Only a picture whose size is not fixed by a box may be made smaller to fit, with quality by
// eye or without; each of these gives a 640 × 480 picture of noise before the limit.
TEST_F(ConvertFilesTest, OnlyPicturesWithoutAFixedBoxAreMadeSmallerToFitTheLimit) {
    const struct {
        const char* name;
        bool sizeConversion;
        BoxSize box;
        FitMode mode;
        bool byEye;
        bool shrinks;
    } rows[] = {
        {"own", false, {640, 480}, FitMode::Pad, false, true},
        {"fit", true, {640, 480}, FitMode::Fit, false, true},
        {"pad", true, {640, 480}, FitMode::Pad, false, false},
        {"fill", true, {640, 480}, FitMode::Fill, false, false},
        {"percent-pad", true, {0, 0, 80}, FitMode::Pad, false, true},
        {"width-fill", true, {640, 0}, FitMode::Fill, false, true},
        {"pad-eye", true, {640, 480}, FitMode::Pad, true, false},
        {"percent-pad-eye", true, {0, 0, 80}, FitMode::Pad, true, true},
        {"height-fill-eye", true, {0, 480}, FitMode::Fill, true, true},
    };
    // One batch a row: which file starts when is the scheduler's business.
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        options_.base.sizeLimitBytes = 1638;
        options_.base.format = formatChoiceFor(QStringLiteral("JPEG"));
        options_.base.sizeConversion = row.sizeConversion;
        options_.base.box = row.box;
        options_.base.fitMode = row.mode;
        options_.base.qualityByEye = row.byEye;
        sink_.outputs.clear();
        place_.startedAt = place_.startedAt.addSecs(60);
        const QString file =
            source(QLatin1String(row.name) + QLatin1String(".png"), test::noise(800, 600));
        const BatchResult result = run({file});
        ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
        ASSERT_EQ(sink_.outputs.size(), 1);
        EXPECT_EQ(result.overLimit.size(), row.shrinks ? 0 : 1);
        EXPECT_EQ(QFileInfo(sink_.outputs[0]).size() <= 1638, row.shrinks);
        const VImage out = test::readImage(sink_.outputs[0]);
        EXPECT_EQ(out.width() < 640, row.shrinks) << out.width();
    }
}

TEST_F(ConvertFilesTest, OptionsAreReadAsEachFileStarts) {
    options_.perCall = [this](int call) {
        ConversionOptions s = options_.base;
        s.format = formatChoiceFor(call == 1 ? QStringLiteral("GIF") : QStringLiteral("BMP"));
        s.backColor = call == 1 ? kBlue : 0x00FF00;
        return s;
    };
    const QString a = source(QStringLiteral("one.png"), test::solid(100, 50, kRedRgb));
    const QString b = source(QStringLiteral("two.png"), test::solid(100, 50, kRedRgb));
    ASSERT_EQ(run({a, b}).outcome, BatchResult::Outcome::Completed);
    ASSERT_EQ(sink_.outputs.size(), 2);
    EXPECT_TRUE(sink_.outputs[0].endsWith(QLatin1String("one.gif")));
    EXPECT_TRUE(sink_.outputs[1].endsWith(QLatin1String("two.bmp")));
    EXPECT_TRUE(test::near(test::pixelAt(test::readPicture(sink_.outputs[1]), 5, 5), {0, 255, 0}, 0));
}

TEST_F(ConvertFilesTest, TheDearestFileStartsFirstAndOutputsStillComeInOrder) {
    options_.perCall = [this](int call) {
        ConversionOptions s = options_.base;
        s.format = formatChoiceFor(call % 3 == 1 ? QStringLiteral("GIF") : QStringLiteral("PNG"));
        return s;
    };
    place_.filesInFlight = 1;
    const VImage photo = test::solid(400, 300, kRedRgb);
    const QString progressive = sources_.filePath(QStringLiteral("c3.jpg"));
    photo.jpegsave(progressive.toUtf8().constData(), VImage::option()->set("interlace", true));
    // Each batch: two cheaper files, then the dear one, which must start first (and so get GIF).
    const QStringList batches[] = {
        {source(QStringLiteral("a1.png"), test::solid(16, 12, kRedRgb)),
         source(QStringLiteral("a2.png"), test::solid(16, 12, kRedRgb)),
         source(QStringLiteral("a3.png"), test::solid(1600, 1200, kRedRgb))}, // more pixels
        {source(QStringLiteral("c1.jpg"), photo), source(QStringLiteral("c2.jpg"), photo), progressive},
        {source(QStringLiteral("w1.webp"), photo), source(QStringLiteral("w2.webp"), photo),
         source(QStringLiteral("w3.png"), photo)}, // PNG decodes every pixel; WebP shrinks
    };
    for (const QStringList& files : batches) {
        const QString stem = QFileInfo(files[2]).completeBaseName();
        SCOPED_TRACE(stem.toStdString());
        sink_.outputs.clear();
        ASSERT_EQ(run(files).outcome, BatchResult::Outcome::Completed);
        ASSERT_EQ(sink_.outputs.size(), 3);
        EXPECT_TRUE(sink_.outputs[0].endsWith(QStringLiteral("1.png")));
        EXPECT_TRUE(sink_.outputs[1].endsWith(QStringLiteral("2.png")));
        EXPECT_TRUE(sink_.outputs[2].endsWith(stem + QStringLiteral(".gif")));
    }
}

TEST_F(ConvertFilesTest, AnExistingFolderGetsAFreshName) {
    ASSERT_TRUE(QDir().mkpath(place_.parentFolder.display() + QStringLiteral("/pic2026120790632")));
    const BatchResult result = run({});
    EXPECT_EQ(result.outputFolder.display(), place_.parentFolder.display() + QStringLiteral("/pic2026120790632 (2)"));
    EXPECT_TRUE(QFileInfo(result.outputFolder.display()).isDir());
    EXPECT_EQ(message::finalMessage(result), QStringLiteral(" 0ファイルを変換終了しました。"));
}

struct FailureCase {
    const char* name;
    std::function<QString(const QTemporaryDir&)> makeFile; // returns the path to drop
    const char* format;
    QString expected; // first line of the message
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class BatchFailureTest : public ConvertFilesTest,
                         public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BatchFailureTest, EndsWithItsMessageAndKeepsEarlierOutputs) {
    const FailureCase c = GetParam();
    options_.perCall = [&](int call) {
        ConversionOptions s = options_.base;
        s.format = formatChoiceFor(call <= 2 ? QStringLiteral("PNG") : QString::fromLatin1(c.format));
        return s;
    };
    const QString good1 = source(QStringLiteral("good1.png"), test::solid(64, 48, kRedRgb));
    const QString good2 = source(QStringLiteral("good2.png"), test::solid(64, 48, kRedRgb));
    const QString bad = c.makeFile(sources_);
    const QString after = source(QStringLiteral("after.png"), test::solid(64, 48, kRedRgb));
    const QStringList sourcesBefore = namesIn(sources_.path());
    QByteArray badBytes = test::readBytes(bad);

    const BatchResult result = run({good1, good2, bad, after, after});

    EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
    EXPECT_EQ(message::finalMessage(result), c.expected + QLatin1Char('\n') + bad);
    EXPECT_EQ(result.converted, 2);
    EXPECT_EQ(namesIn(result.outputFolder.display()),
              (QStringList{QStringLiteral("good1.png"), QStringLiteral("good2.png")}));
    EXPECT_EQ(namesIn(sources_.path()), sourcesBefore);
    EXPECT_EQ(test::readBytes(bad), badBytes); // the source is never touched

    // Kept going, the failure is listed with its path and the files after it are converted.
    options_.base.keepGoing = true;
    options_.calls = 0;
    options_.perCall = [&](int call) {
        ConversionOptions s = options_.base;
        s.format = formatChoiceFor(call == 3 ? QString::fromLatin1(c.format) : QStringLiteral("PNG"));
        return s;
    };
    const BatchResult going = run({good1, good2, bad, after});
    EXPECT_EQ(going.outcome, BatchResult::Outcome::Completed);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(message::failureTexts(going),
              QStringList{message::withSentence(c.expected + QLatin1Char('\n') + bad, *result.failure)});
    EXPECT_EQ(going.converted, 3);
    EXPECT_EQ(namesIn(going.outputFolder.display()),
              (QStringList{QStringLiteral("after.png"), QStringLiteral("good1.png"),
                           QStringLiteral("good2.png")}));
}

TEST_F(ConvertFilesTest, AFolderStandsForItsPicturesInNaturalOrderWithItsTreeMirrored) {
#ifdef _WIN32
    GTEST_SKIP() << "links and pipes here are POSIX's; FilesWindowsTest lists a Windows folder";
#endif
    const QString loose = source(QStringLiteral("loose.png"), test::solid(40, 30, kRedRgb));
    QDir(sources_.path()).mkpath(QStringLiteral("album/sub"));
    for (const char* name : {"b10.png", "b2.png", "B3.jpg", "x.jpg", "x.png", "sub/c.png", ".hidden.png"})
        source(QStringLiteral("album/") + QLatin1String(name), test::solid(40, 30, kRedRgb));
    const QString album = sources_.filePath(QStringLiteral("album"));
    test::writeBytes(album + QStringLiteral("/notes.txt"), "not a picture\n");
    QFile::link(album + QStringLiteral("/b2.png"), album + QStringLiteral("/link.png"));
    QFile::link(album, album + QStringLiteral("/sub/loop")); // never followed
    ASSERT_TRUE(test::makeFifo(album + QStringLiteral("/pipe.png")));

    const BatchResult result = run({loose, album});
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Completed);
    EXPECT_EQ(result.skipped, 1);
    EXPECT_EQ(message::finalMessage(result), QStringLiteral(" 8ファイルを変換終了しました。\n"
                                             " 1ファイルは画像ではないため変換しませんでした。"));
    QStringList relative;
    for (const QString& output : std::as_const(sink_.outputs))
        relative << QDir(result.outputFolder.display()).relativeFilePath(output);
    EXPECT_EQ(relative, (QStringList{"loose.png", "album/b2.png", "album/B3.png", "album/b10.png",
                                     "album/link.png", "album/x.png", "album/x (2).png",
                                     "album/sub/c.png"}));
}

QString cutJpeg(const QTemporaryDir& dir) {
    const QString whole = dir.filePath(QStringLiteral("whole.jpg"));
    test::writeImage(VImage::gaussnoise(500, 400).cast(VIPS_FORMAT_UCHAR), whole);
    const QByteArray bytes = test::readBytes(whole);
    QFile::remove(whole);
    return test::writeBytes(dir.filePath(QStringLiteral("cut.jpg")), bytes.left(bytes.size() / 2));
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchFailureTest,
    ::testing::Values(
        FailureCase{"missing", [](const QTemporaryDir& d) { return d.filePath(QStringLiteral("nowhere.jpg")); },
                    "PNG", QStringLiteral("エラー:  3 In Load")},
        FailureCase{"text", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("note.jpg")), "hello\n"); },
                    "PNG", QStringLiteral("画像形式が不正です。")},
        FailureCase{"truncated", cutJpeg, "PNG", QStringLiteral("エラー:  7 In Load")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertFilesTest, FailureAtTheThirdOfFiveLeavesTwoFiles) {
    QStringList files;
    for (int i = 1; i <= 5; ++i) {
        files << (i == 3 ? sources_.filePath(QStringLiteral("missing.png"))
                         : source(QStringLiteral("f%1.png").arg(i), test::solid(30, 30, kRedRgb)));
    }
    const BatchResult result = run(files);
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
    EXPECT_EQ(namesIn(result.outputFolder.display()), (QStringList{QStringLiteral("f1.png"), QStringLiteral("f2.png")}));
}

TEST_F(ConvertFilesTest, FormatIsOnlyCheckedAfterTheFileLoads) {
    options_.base.format = formatChoiceFor(QStringLiteral("jpeg"));
    const QString missing = sources_.filePath(QStringLiteral("missing.png"));
    EXPECT_EQ(message::finalMessage(run({missing})), QStringLiteral("エラー:  3 In Load\n") + missing);
}

// An option no picture can be converted with ends the batch, even a kept-going one, with a
// message that names no picture; the dated folder is made first all the same.
TEST_F(ConvertFilesTest, AnOptionNoFileCanHaveEndsTheBatchNamingNoFile) {
    const QString file = source(QStringLiteral("p.png"), test::solid(30, 30, kRedRgb));
    const QString box = QStringLiteral("幅と高さには 1 ～ 32767 の数値を指定してください。");
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("0"), box}, {QStringLiteral("abc"), box}, {QStringLiteral("40000"), box},
        {QStringLiteral("0%"), box}, {QStringLiteral("jpeg"), QStringLiteral("画像形式の選択エラーです [jpeg]")},
        {QStringLiteral("TIF"), QStringLiteral("画像形式の選択エラーです [TIF]")}};
    options_.base.keepGoing = true;
    for (const auto& [text, expected] : cases) {
        const bool format = expected != box;
        options_.base.box = boxFromText(format ? QStringLiteral("640") : text, QStringLiteral("480"));
        options_.base.format = formatChoiceFor(format ? text : QStringLiteral("PNG"));
        const BatchResult result = run({file, file});
        EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed) << text.toStdString();
        EXPECT_EQ(message::finalMessage(result), expected);
        EXPECT_TRUE(result.failures.isEmpty());
        EXPECT_TRUE(QFileInfo(result.outputFolder.display()).isDir());
        EXPECT_TRUE(namesIn(result.outputFolder.display()).isEmpty());
    }
}

TEST_F(ConvertFilesTest, CancellingStopsBetweenFiles) {
    sink_.cancelAfter = 2;
    QStringList files;
    for (int i = 1; i <= 4; ++i)
        files << source(QStringLiteral("c%1.png").arg(i), test::solid(30, 30, kRedRgb));
    const BatchResult result = run(files);
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Cancelled);
    EXPECT_EQ(message::finalMessage(result), QStringLiteral(" 2ファイルを変換した時点で中止しました。"));
    EXPECT_EQ(namesIn(result.outputFolder.display()).size(), 2);
}

TEST_F(ConvertFilesTest, UnwritableDesktopIsReported) {
    const QString blocker = test::writeBytes(desktop_.filePath(QStringLiteral("file")), "x");
    place_.parentFolder = blocker + QStringLiteral("/Desktop");
    const BatchResult result = run({});
    EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
    EXPECT_TRUE(message::finalMessage(result).startsWith(QStringLiteral("出力フォルダを作成できませんでした。\n")));
}

// Engines whose fill or combine fails, to see the file still saved.
class FailingFill : public LeadImage {
public:
    EngineStatus Fill(quint32) override { return status::kEngineFailure; }
};
class FailingCombine : public LeadImage {
public:
    EngineStatus Combine(float, float, float, float, const LeadImage&, float, float) override {
        return status::kEngineFailure;
    }
};

template <typename Main>
VImage fitWithFailure(const QString& file, const QString& out, QStringList& reports) {
    Main main;
    LeadImage work;
    EXPECT_EQ(main.Load(file), status::kOk);
    const FitRequest request{true, 64, 48, kBlue};
    const auto report = [&](PadStep step) {
        reports << (step == PadStep::Fill ? message::fillFailed() : message::combineFailed());
    };
    EXPECT_EQ(FitAndPad(main, work, request, report).status, status::kOk);
    EXPECT_EQ(test::save(main, out, *outputFormatFor(FormatCode::Png), 2), status::kOk);
    return test::readImage(out);
}

TEST_F(ConvertFilesTest, FailedFillOrCombineIsReportedAndTheFileStillSaved) {
    const QString file = source(QStringLiteral("w.png"), test::solid(80, 40, kRedRgb));
    QStringList reports;
    const VImage stretched = fitWithFailure<FailingFill>(file, sources_.filePath(QStringLiteral("f.png")), reports);
    EXPECT_EQ(reports, QStringList{QStringLiteral("ERR: LEAD1 Fill")});
    EXPECT_EQ(stretched.width(), 64);
    EXPECT_TRUE(test::near(test::pixelAt(stretched, 0, 0), kRedRgb)); // stretched, no margin

    reports.clear();
    const VImage margin = fitWithFailure<FailingCombine>(file, sources_.filePath(QStringLiteral("c.png")), reports);
    EXPECT_EQ(reports, QStringList{QStringLiteral("ERR: LEAD1 Combine")});
    EXPECT_TRUE(test::near(test::pixelAt(margin, 32, 24), kBlueRgb, 0)); // margin colour only
}

} // namespace
} // namespace quillmorph
