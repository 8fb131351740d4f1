#include "GObjectWarnings.h"
#include "RecordingSink.h"
#include "Saving.h"
#include "ScriptedOptions.h"
#include "Fifo.h"
#include "TestImages.h"
#include "batch/ConvertFiles.h"
#include "batch/Messages.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace quillmorph {
namespace {

using test::Rgb;
using vips::VImage;

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray big32(quint32 v) {
    const quint32 be = qToBigEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&be), 4);
}

QByteArray little32(quint32 v) {
    const quint32 le = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

// A PNG whose (valid) header claims a huge image, followed by a scrap of data.
QByteArray hugePng() {
    QByteArray ihdr = QByteArray("IHDR") + big32(100000) + big32(100000) + QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + big32(13) + ihdr + big32(crc32(ihdr)) +
           big32(4) + QByteArray("IDAT\x78\x9c\x03\x00", 8) + big32(0);
}

QByteArray hugeBmp() {
    QByteArray info = little32(40) + little32(100000) + little32(100000) +
                      QByteArray("\x01\x00\x18\x00", 4) + little32(0) + little32(0) +
                      little32(2835) + little32(2835) + little32(0) + little32(0);
    return QByteArray("BM") + little32(54 + 64) + little32(0) + little32(54) + info + QByteArray(64, '\x7f');
}

QByteArray big16(quint16 v) {
    const quint16 be = qToBigEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&be), 2);
}

// A bitmap of 300 × 200 at 24 bits whose rows stop halfway.
QByteArray cutBmp() {
    QByteArray info = little32(40) + little32(300) + little32(200) +
                      QByteArray("\x01\x00\x18\x00", 4) + little32(0) + little32(900 * 200) +
                      little32(2835) + little32(2835) + little32(0) + little32(0);
    return QByteArray("BM") + little32(54 + 900 * 200) + little32(0) + little32(54) + info +
           QByteArray(900 * 100, '\x7f');
}

// A Sun raster of 300 × 200 at 24 bits whose rows stop halfway.
QByteArray cutSunRaster() {
    return big32(0x59a66a95) + big32(300) + big32(200) + big32(24) + big32(900 * 200) + big32(1) +
           big32(0) + big32(0) + QByteArray(900 * 100, '\x7f');
}

// A Photoshop document declaring 100000 × 100000 in RGB, its merged picture a scrap.
QByteArray hugePsd() {
    return QByteArray("8BPS") + big16(1) + QByteArray(6, '\0') + big16(3) + big32(100000) +
           big32(100000) + big16(8) + big16(3) + big32(0) + big32(0) + big32(0) + big16(0) +
           QByteArray(64, '\x7f');
}

// What a file should do in a batch: convert to this size, or end the batch with a load failure.
struct Expectation {
    int width = 0; // 0: must fail
    int height = 0;
    std::optional<Rgb> centre;
    QString message = {}; // a failure's first line, when it must be this one
};

struct HostileCase {
    std::string name;
    std::function<QString(const QTemporaryDir&)> make;
    Expectation expect;
    std::function<void(ConversionOptions&)> options = {}; // beyond PNG padded into 600 × 450
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

const Rgb kRed{230, 10, 10};
constexpr quint32 kGreenMargin = 0x00FF00; // 0x00BBGGRR

class HostileInputTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, ConvertsCorrectlyOrEndsWithALoadMessage) {
    QTemporaryDir sources;
    QTemporaryDir desktop;
    const HostileCase c = GetParam();
    const QString good = test::writeImage(test::solid(20, 20, kRed), sources.filePath(QStringLiteral("good.png")));
    const QString file = c.make(sources);
    QMap<QString, QByteArray> before;
    for (const QString& name : QDir(sources.path()).entryList(QDir::Files | QDir::Hidden))
        before[name] = test::readBytes(sources.filePath(name));

    test::ScriptedOptions options;
    options.base.sizeConversion = true;
    options.base.format = formatChoiceFor(QStringLiteral("PNG"));
    options.base.backColor = kGreenMargin;
    if (c.options)
        c.options(options.base);
    test::RecordingSink sink;
    BatchPlace place;
    place.parentFolder = desktop.path();
    const test::GObjectWarnings warnings;
    const BatchResult result = ConvertFiles({good, file}, place, options, sink);
    EXPECT_EQ(warnings.seen(), 0);
    EXPECT_EQ(sink.reports, QStringList());
    const QString text = message::finalMessage(result);

    QStringList outputs = QDir(result.outputFolder.display()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (c.expect.width > 0) {
        ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed) << text.toStdString();
        ASSERT_EQ(outputs.size(), 2);
        const QString out = result.outputFolder.display() + QLatin1Char('/') +
                            QFileInfo(file).completeBaseName().section(QLatin1Char('.'), 0, 0) + QStringLiteral(".png");
        const VImage image = test::readPicture(out);
        EXPECT_EQ(image.width(), c.expect.width);
        EXPECT_EQ(image.height(), c.expect.height);
        EXPECT_EQ(image.bands(), 3);
        EXPECT_EQ(image.format(), VIPS_FORMAT_UCHAR);
        if (c.expect.centre) {
            const test::Rgb centre = test::pixelAt(image, image.width() / 2, image.height() / 2);
            EXPECT_TRUE(test::near(centre, *c.expect.centre, 16))
                << centre[0] << ' ' << centre[1] << ' ' << centre[2];
        }
    } else {
        EXPECT_EQ(result.outcome, BatchResult::Outcome::Failed);
        const QString first = text.section(QLatin1Char('\n'), 0, 0);
        EXPECT_TRUE(first == QStringLiteral("画像形式が不正です。") ||
                    (first.startsWith(QStringLiteral("エラー: ")) && first.endsWith(QLatin1String(" In Load"))))
            << text.toStdString();
        if (!c.expect.message.isEmpty()) {
            EXPECT_EQ(first, c.expect.message);
        }
        EXPECT_EQ(text.section(QLatin1Char('\n'), 1), file);
        EXPECT_EQ(outputs, QStringList{QStringLiteral("good.png")}); // nothing partial beside it
    }
    EXPECT_TRUE(test::near(test::pixelAt(test::readImage(result.outputFolder.display() + QStringLiteral("/good.png")), 300, 225), kRed));
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(test::readBytes(sources.filePath(it.key())), it.value()) << it.key().toStdString();
}

QString truncated(const QTemporaryDir& dir, const char* suffix, const VImage& image, double keep) {
    const QString whole = test::writeImage(image, dir.filePath(QStringLiteral("whole.") + QLatin1String(suffix)));
    const QByteArray bytes = test::readBytes(whole);
    QFile::remove(whole);
    return test::writeBytes(dir.filePath(QStringLiteral("cut.") + QLatin1String(suffix)),
                            bytes.left(qsizetype(bytes.size() * keep)));
}

// Where a JPEG's scan data starts: after the start-of-scan segment.
qsizetype scanStart(const QByteArray& jpeg) {
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && quint8(jpeg[at + 1]) != 0xDA)
        at += 2 + qFromBigEndian<quint16>(jpeg.constData() + at + 2);
    return at;
}

// A JPEG whose scan ends halfway and is still closed by its end marker, as a broken copy or
// an interrupted download patched up by a tool leaves it.
QString cutWithEndMarker(const QTemporaryDir& dir, const VImage& image) {
    const QByteArray jpeg = test::readBytes(test::writeImage(image, dir.filePath(QStringLiteral("whole.jpg"))));
    QFile::remove(dir.filePath(QStringLiteral("whole.jpg")));
    const qsizetype sos = scanStart(jpeg);
    const qsizetype data = sos + 2 + qFromBigEndian<quint16>(jpeg.constData() + sos + 2);
    return test::writeBytes(dir.filePath(QStringLiteral("cut.jpg")),
                            jpeg.left(data + (jpeg.size() - 2 - data) / 2) + "\xFF\xD9");
}

// Stray bytes before a marker, as some cameras write them: libjpeg warns, nothing is lost.
QString extraneousBytes(const QTemporaryDir& dir, const VImage& image) {
    QByteArray jpeg = test::readBytes(test::writeImage(image, dir.filePath(QStringLiteral("camera.jpg"))));
    jpeg.insert(scanStart(jpeg), QByteArray(3, '\0'));
    return test::writeBytes(dir.filePath(QStringLiteral("camera.jpg")), jpeg);
}

VImage photoLike(int w, int h) {
    VImage noise = VImage::gaussnoise(w, h, VImage::option()->set("sigma", 30)->set("mean", 128));
    return noise.bandjoin({noise, noise}).cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

VImage pages(std::initializer_list<Rgb> colours, int w, int h) {
    std::vector<VImage> frames;
    for (const Rgb& c : colours)
        frames.push_back(test::solid(w, h, c));
    VImage all = VImage::arrayjoin(frames, VImage::option()->set("across", 1));
    all.set("page-height", h);
    return all;
}

std::vector<HostileCase> hostileCases() {
    std::vector<HostileCase> cases{
        {"ZeroBytes", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("zero.jpg")), {}); }, {}},
        {"TextNamedJpg", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("text.jpg")), "not a picture\n"); }, {}},
        {"PngWithBadChecksum", [](const QTemporaryDir& d) {
             QByteArray png = test::readBytes(test::writeImage(photoLike(64, 64), d.filePath(QStringLiteral("crc.png"))));
             png[30] = char(png[30] ^ 0x55); // inside IHDR: its CRC no longer matches
             return test::writeBytes(d.filePath(QStringLiteral("crc.png")), png);
         },
#ifdef _WIN32
         // libvips for Windows reads PNG through libspng, which lets a wrong checksum pass
         // with a warning: the picture itself is whole.
         {600, 450, std::nullopt}},
#else
         {}},
#endif
        {"PngClaiming100000Square", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("huge.png")), hugePng()); }, {}},
        {"BmpClaiming100000Square", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("huge.bmp")), hugeBmp()); }, {}},
        {"PsdClaiming100000Square", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("huge.psd")), hugePsd()); }, {}},
        {"BmpCutShort", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("cut.bmp")), cutBmp()); }, {}},
        {"SunRasterCutShort", [](const QTemporaryDir& d) { return test::writeBytes(d.filePath(QStringLiteral("cut.ras")), cutSunRaster()); }, {}},
        // A dropped folder stands for its pictures; a pipe is no file to read and must not block.
#ifndef _WIN32 // Windows has no named pipes in the file system (test::kNoFifos)
        {"Pipe", [](const QTemporaryDir& d) { test::makeFifo(d.filePath(QStringLiteral("pipe.jpg"))); return d.filePath(QStringLiteral("pipe.jpg")); }, {}},
#endif
        {"DanglingLink", [](const QTemporaryDir& d) {
             QFile::link(d.filePath(QStringLiteral("nothing.png")), d.filePath(QStringLiteral("link.png")));
             return d.filePath(QStringLiteral("link.png"));
         }, {}},
        // A drawing that would paint files lying beside it into the picture the user shares.
        {"SvgReachingFilesBesideIt", [](const QTemporaryDir& d) {
             test::writeImage(test::solid(20, 20, {0, 0, 230}), d.filePath(QStringLiteral("secret.png")));
             test::writeBytes(d.filePath(QStringLiteral("notes.xml")),
                              "<rect xmlns='http://www.w3.org/2000/svg' width='100' height='100' fill='#e60a0a'/>");
             return test::writeBytes(
                 d.filePath(QStringLiteral("drawing.svg")),
                 "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
                 "xmlns:xi='http://www.w3.org/2001/XInclude' width='100' height='100'>"
                 "<rect width='100' height='100' fill='white'/><xi:include href='notes.xml'/>"
                 "<image xlink:href='secret.png' href='secret.png' width='100' height='100'/></svg>");
         }, {600, 450, Rgb{255, 255, 255}}},
        {"OneByThirtyThousand", [](const QTemporaryDir& d) { return test::writeImage(test::solid(1, 30000, kRed), d.filePath(QStringLiteral("thin.png"))); }, {600, 450, std::nullopt}},
        {"ThirtyThousandByOne", [](const QTemporaryDir& d) { return test::writeImage(test::solid(30000, 1, kRed), d.filePath(QStringLiteral("flat.png"))); }, {600, 450, std::nullopt}},
        {"OddCharactersInPath", [](const QTemporaryDir& d) {
#ifdef _WIN32 // where a name holds no double quotes
             const QString folder = QStringLiteral("a folder 'with' «quotes» & %PATH%");
#else
             const QString folder = QStringLiteral("a folder 'with' \"quotes\"");
#endif
             QDir().mkpath(d.filePath(folder));
             return test::writePicture(test::solid(40, 30, kRed), d.filePath(folder + QStringLiteral("/it's 写真 [1].png")));
         }, {600, 450, kRed}},
        {"SixteenBitPng", [](const QTemporaryDir& d) {
             return test::writeImage(VImage::black(40, 30).cast(VIPS_FORMAT_USHORT).new_from_image(std::vector<double>{59110, 2570, 2570})
                                         .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16)),
                                     d.filePath(QStringLiteral("deep.png")));
         }, {600, 450, kRed}},
        {"SixteenBitLabelledSrgb", [](const QTemporaryDir& d) {
             return test::writeImage(VImage::black(40, 30).cast(VIPS_FORMAT_USHORT).new_from_image(std::vector<double>{59110, 2570, 2570})
                                         .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)),
                                     d.filePath(QStringLiteral("deep.v")));
         }, {600, 450, kRed}},
        {"CmykJpeg", [](const QTemporaryDir& d) {
             return test::writeImage(VImage::black(40, 30).new_from_image(std::vector<double>{0, 0, 0, 0})
                                         .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK)),
                                     d.filePath(QStringLiteral("cmyk.jpg")));
         }, {600, 450, Rgb{255, 255, 255}}},
        {"GreyWithTransparency", [](const QTemporaryDir& d) {
             return test::writeImage(VImage::black(40, 30).new_from_image(std::vector<double>{90, 0})
                                         .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W)),
                                     d.filePath(QStringLiteral("grey.png")));
         }, {600, 450, Rgb{0, 255, 0}}},
        {"AnimatedGifFirstFrame", [](const QTemporaryDir& d) { return test::writeImage(pages({kRed, {0, 0, 230}}, 40, 30), d.filePath(QStringLiteral("anim.gif"))); }, {600, 450, kRed}},
        {"MultiPageTiffFirstPage", [](const QTemporaryDir& d) { return test::writeImage(pages({kRed, {0, 0, 230}}, 40, 30), d.filePath(QStringLiteral("pages.tif"))); }, {600, 450, kRed}},
        {"ExifRotatedJpeg", [](const QTemporaryDir& d) {
             VImage img = test::solid(80, 40, kRed);
             img.set("orientation", 6);
             return test::writeImage(img, d.filePath(QStringLiteral("turned.jpg")));
         }, {600, 450, kRed}},
    };
    // Random bytes under every extension people drop.
    for (const char* suffix : {"jpg", "png", "gif", "webp", "bmp", "tif"}) {
        cases.push_back({std::string("RandomBytesAs") + suffix, [suffix](const QTemporaryDir& d) {
                             QByteArray bytes(4096, '\0');
                             QRandomGenerator rng(42);
                             for (char& b : bytes)
                                 b = char(rng.bounded(256));
                             return test::writeBytes(d.filePath(QStringLiteral("noise.") + QLatin1String(suffix)), bytes);
                         }, {}});
    }
    // Files cut short at several points.
    for (const char* suffix : {"jpg", "png", "gif", "webp"}) {
        for (const double keep : {0.02, 0.3, 0.7, 0.95}) {
            cases.push_back({std::string("Truncated") + suffix + std::to_string(int(keep * 100)),
                             [suffix, keep](const QTemporaryDir& d) { return truncated(d, suffix, photoLike(300, 200), keep); }, {}});
        }
    }
    // libvips gives both of these a warning only: one is damaged, the other is not.
    cases.push_back({"JpegCutHalfwayAndClosedByItsEndMarker",
                     [](const QTemporaryDir& d) { return cutWithEndMarker(d, photoLike(300, 200)); },
                     {0, 0, std::nullopt, QStringLiteral("エラー:  7 In Load")}});
    cases.push_back({"JpegWithExtraneousBytesBeforeAMarker",
                     [](const QTemporaryDir& d) { return extraneousBytes(d, test::solid(80, 60, kRed)); },
                     {600, 450, kRed}});
    // A crop by attention decodes the whole picture before anything is encoded: damage meets
    // it first, and is still damage.
    for (const char* suffix : {"jpg", "png"}) {
        cases.push_back({std::string("TruncatedIntoAnAttentionCrop") + suffix,
                         [suffix](const QTemporaryDir& d) { return truncated(d, suffix, photoLike(300, 200), 0.5); },
                         {0, 0, std::nullopt, QStringLiteral("エラー:  7 In Load")},
                         [](ConversionOptions& o) {
                             o.fitMode = FitMode::Fill;
                             o.crop = CropAnchor::Attention;
                         }});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInputTest, ::testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace quillmorph
