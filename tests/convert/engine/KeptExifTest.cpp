#include "RecordingSink.h"
#include "ScriptedOptions.h"
#include "Saving.h"
#include "TestImages.h"
#include "batch/ConvertFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdlib>
#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <memory>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace quillmorph {
namespace {

using vips::VImage;

struct CameraTag {
    ExifIfd ifd;
    int tag;
    ExifFormat format;
    QByteArray value; // big-endian, as the block is written
    bool kept;
};

QByteArray text(const char* s) {
    return QByteArray(s, qsizetype(std::strlen(s)) + 1);
}

// What a camera writes: what may be kept (of each kind of value), and what never may (where,
// which body and lens, whose, the maker's notes, the software), turned by its orientation. What
// may never be kept carries a marker that no output's bytes may hold.
const CameraTag kCamera[]{
    {EXIF_IFD_0, EXIF_TAG_MAKE, EXIF_FORMAT_ASCII, text("Canon"), true},
    {EXIF_IFD_0, EXIF_TAG_MODEL, EXIF_FORMAT_ASCII, text("EOS R6"), true},
    {EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION, EXIF_FORMAT_ASCII, text("夕焼け"), true},
    {EXIF_IFD_0, EXIF_TAG_ARTIST, EXIF_FORMAT_ASCII, text("写真家 Ada"), true},
    {EXIF_IFD_0, EXIF_TAG_COPYRIGHT, EXIF_FORMAT_ASCII, text("(c) Ada"), true},
    {EXIF_IFD_0, EXIF_TAG_SOFTWARE, EXIF_FORMAT_ASCII, text("QM-SOFTWARE 1.2"), false},
    {EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, QByteArray::fromHex("0006"), false},
    {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, EXIF_FORMAT_ASCII, text("2024:05:06 07:08:09"),
     true},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, EXIF_FORMAT_ASCII, text("+09:00"), true},
    {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL, EXIF_FORMAT_ASCII, text("25"), true},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL, EXIF_FORMAT_ASCII, text("RF24-105mm"), true},
    {EXIF_IFD_EXIF, EXIF_TAG_FNUMBER, EXIF_FORMAT_RATIONAL, QByteArray::fromHex("0000001c0000000a"),
     true},
    {EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH, EXIF_FORMAT_RATIONAL,
     QByteArray::fromHex("0000006900000001"), true},
    {EXIF_IFD_EXIF, EXIF_TAG_EXPOSURE_TIME, EXIF_FORMAT_RATIONAL,
     QByteArray::fromHex("00000001000000fa"), true},
    {EXIF_IFD_EXIF, EXIF_TAG_ISO_SPEED_RATINGS, EXIF_FORMAT_SHORT, QByteArray::fromHex("0190"),
     true},
    {EXIF_IFD_EXIF, EXIF_TAG_BODY_SERIAL_NUMBER, EXIF_FORMAT_ASCII, text("QM-BODY-SERIAL"), false},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_SERIAL_NUMBER, EXIF_FORMAT_ASCII, text("QM-LENS-SERIAL"), false},
    {EXIF_IFD_EXIF, EXIF_TAG_CAMERA_OWNER_NAME, EXIF_FORMAT_ASCII, text("QM-OWNER"), false},
    {EXIF_IFD_EXIF, EXIF_TAG_MAKER_NOTE, EXIF_FORMAT_UNDEFINED,
     QByteArray("QM-MAKER-NOTE home=51.5N,0.1W"), false},
    {EXIF_IFD_GPS, EXIF_TAG_GPS_LATITUDE, EXIF_FORMAT_RATIONAL,
     QByteArray::fromHex("000000330000000100000000000000010000000000000001"), false},
    {EXIF_IFD_GPS, EXIF_TAG_GPS_MAP_DATUM, EXIF_FORMAT_ASCII, text("QM-GPS-DATUM"), false},
};

// The markers of everything no output may carry, the XMP and IPTC blocks' among them.
const QByteArrayList kNeverKept{"QM-SOFTWARE", "QM-BODY-SERIAL", "QM-LENS-SERIAL", "QM-OWNER",
                                "QM-MAKER-NOTE", "QM-GPS-DATUM", "QM-XMP-PLACE", "QM-IPTC-CITY"};

// The block of tags, with a thumbnail when asked, as libexif writes it.
QByteArray exifBlock(const std::vector<CameraTag>& tags, bool thumbnail) {
    const std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(exif_data_new(),
                                                                     &exif_data_unref);
    exif_data_set_byte_order(data.get(), EXIF_BYTE_ORDER_MOTOROLA);
    for (const CameraTag& t : tags) {
        ExifEntry* entry = exif_entry_new();
        entry->tag = ExifTag(t.tag);
        entry->format = t.format;
        entry->size = unsigned(t.value.size());
        entry->components = entry->size / exif_format_get_size(t.format);
        entry->data =
            static_cast<unsigned char*>(std::malloc(entry->size)); // the default allocator's
        std::memcpy(entry->data, t.value.constData(), entry->size);
        exif_content_add_entry(data->ifd[t.ifd], entry);
        exif_entry_unref(entry);
    }
    if (thumbnail) {
        size_t size = 0;
        test::solid(16, 12, {1, 2, 3})
            .write_to_buffer(".jpg", reinterpret_cast<void**>(&data->data), &size);
        data->size = unsigned(size);
    }
    unsigned char* bytes = nullptr;
    unsigned int length = 0;
    exif_data_save_data(data.get(), &bytes, &length);
    const QByteArray block(reinterpret_cast<const char*>(bytes), qsizetype(length));
    std::free(bytes);
    return block;
}

QByteArray segment(char marker, const QByteArray& payload) {
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF") + marker + char(length >> 8) + char(length & 0xFF) + payload;
}

QByteArray plainJpeg() {
    void* buffer = nullptr;
    size_t size = 0;
    test::solid(200, 100, {200, 40, 40}).write_to_buffer(".jpg", &buffer, &size);
    const QByteArray jpeg(static_cast<const char*>(buffer), qsizetype(size));
    g_free(buffer);
    return jpeg;
}

// A JPEG as a camera and a photo manager leave it: EXIF, XMP with a location, IPTC with a city;
// withKept false leaves out every tag that may be kept.
QString photo(const QString& path, bool withKept = true) {
    QByteArray jpeg = plainJpeg();
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/", 29) +
                           "<x:xmpmeta xmlns:x='adobe:ns:meta/'>QM-XMP-PLACE 51,30.44N</x:xmpmeta>";
    const QByteArray iptc = QByteArray("Photoshop 3.0", 14) + "8BIM" +
                            QByteArray::fromHex("04040000000000111c025a000c") + "QM-IPTC-CITY" + '\0';
    std::vector<CameraTag> camera;
    for (const CameraTag& t : kCamera) {
        if (withKept || !t.kept)
            camera.push_back(t);
    }
    jpeg.insert(2, segment('\xE1', exifBlock(camera, true)) + segment('\xE1', xmp) +
                       segment('\xED', iptc));
    return test::writeBytes(path, jpeg);
}

// The EXIF entries as libvips names them on loading ("exif-ifd0-Make" to its value and form).
std::map<QByteArray, QByteArray> exifFields(const VImage& image) {
    std::map<QByteArray, QByteArray> fields;
    const std::unique_ptr<gchar*, decltype(&g_strfreev)> names(
        vips_image_get_fields(image.get_image()), &g_strfreev);
    for (gchar** name = names.get(); *name; ++name) {
        if (g_str_has_prefix(*name, "exif-ifd"))
            fields[*name] = image.get_string(*name);
    }
    return fields;
}

QByteArray fieldName(const CameraTag& t) {
    return "exif-ifd" + QByteArray::number(t.ifd) + '-' +
           exif_tag_get_name_in_ifd(ExifTag(t.tag), t.ifd);
}

TEST(KeptExifTest, OnlyTheListedPhotoInformationAndTheFileDateReachTheOutput) {
    QTemporaryDir dir;
    const QString source = photo(dir.filePath(QStringLiteral("IMG_0001.JPG")));
#ifdef _WIN32
    // Windows keeps a file's time in 100 ns steps, Qt sets it to the millisecond.
    const QDateTime taken = QDateTime::fromMSecsSinceEpoch(981173045123);
    QFile touched(source);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite) &&
                touched.setFileTime(taken, QFileDevice::FileModificationTime));
    touched.close();
#else
    const struct timespec taken[2] = {{981173045, 123456789}, {981173045, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), taken, 0), 0);
#endif
    const VImage in = test::readImage(source);
    const auto inFields = exifFields(in);
    for (const char* field : {"jpeg-thumbnail-data", VIPS_META_XMP_NAME, VIPS_META_IPTC_NAME})
        ASSERT_NE(in.get_typeof(field), 0u) << field;
    for (const CameraTag& t : kCamera)
        ASSERT_TRUE(inFields.count(fieldName(t))) << fieldName(t).constData();

    for (const char* name : {"JPEG", "PNG", "WEBP", "AVIF", "JXL", "TIFF", "GIF", "BMP", "CMP"}) {
        SCOPED_TRACE(name);
        test::ScriptedOptions options;
        options.base.sizeConversion = true;
        options.base.box = BoxSize{60, 60};
        options.base.fitMode = FitMode::Fit;
        options.base.format = formatChoiceFor(QLatin1String(name));
        options.base.keepExif = options.base.keepDates = true;
        BatchPlace place;
        place.parentFolder = dir.filePath(QLatin1String(name));
        test::RecordingSink sink;
        const BatchResult result = ConvertFiles(test::paths({source}), place, options, sink);
        ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
        const QString output = result.outputFolder.display() + QStringLiteral("/IMG_0001") +
                               QLatin1String(options.base.format.row->extension);
#ifdef _WIN32
        EXPECT_EQ(QFileInfo(output).lastModified(), taken);
#else
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(output).constData(), &info), 0);
        EXPECT_TRUE(info.st_mtim.tv_sec == taken[1].tv_sec &&
                    info.st_mtim.tv_nsec == taken[1].tv_nsec);
#endif

        const VImage out = test::readPicture(output);
        EXPECT_EQ(out.width(), 30); // turned upright by its orientation before it was fitted
        EXPECT_EQ(out.height(), 60);
        for (const char* field : {"jpeg-thumbnail-data", VIPS_META_XMP_NAME, VIPS_META_IPTC_NAME})
            EXPECT_EQ(out.get_typeof(field), 0u) << field;
        auto outFields = exifFields(out);
        if (!options.base.format.row->carriesExif) {
            EXPECT_TRUE(outFields.empty()) << outFields.begin()->first.constData();
            continue;
        }
        // The kept tags as they came, then only what any saved picture has: its orientation,
        // colour space, resolution, size and versions.
        for (const CameraTag& t : kCamera) {
            if (t.kept) {
                EXPECT_EQ(outFields[fieldName(t)].toStdString(),
                          inFields.at(fieldName(t)).toStdString());
                outFields.erase(fieldName(t));
            }
        }
        // The pixels are upright (HEIF's loader drops the tag: its own boxes turn the picture).
        const QByteArray orientation = outFields["exif-ifd0-Orientation"];
        EXPECT_TRUE(orientation.isEmpty() || orientation.startsWith("1 "))
            << orientation.constData();
        EXPECT_TRUE(outFields["exif-ifd2-ColorSpace"].startsWith("1 ")); // sRGB
        for (const char* field :
             {"exif-ifd0-Orientation", "exif-ifd2-ColorSpace", "exif-ifd0-XResolution",
              "exif-ifd0-YResolution", "exif-ifd0-ResolutionUnit", "exif-ifd2-ExifVersion",
              "exif-ifd2-PixelXDimension", "exif-ifd2-PixelYDimension",
              "exif-ifd2-FlashpixVersion"})
            outFields.erase(field);
        for (const auto& [field, value] : outFields)
            ADD_FAILURE() << "leaked " << field.constData() << " = " << value.constData();
    }
}

// A description that fills its source's APP1 segment leaves no room for what an output adds:
// it is cut, and the date taken and the camera stay.
TEST(KeptExifTest, AnOverlongDescriptionIsCutAndTheRestKept) {
    QTemporaryDir dir;
    const QByteArray description = QByteArray(65400, 'd') + '\0';
    const std::vector<CameraTag> tags{
        {EXIF_IFD_0, EXIF_TAG_MAKE, EXIF_FORMAT_ASCII, text("Canon"), true},
        {EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION, EXIF_FORMAT_ASCII, description, true},
        {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, EXIF_FORMAT_ASCII, text("2024:05:06 07:08:09"),
         true}};
    const QByteArray block = exifBlock(tags, false);
    ASSERT_LE(block.size(), 65533) << "the source's own segment";
    QByteArray jpeg = plainJpeg();
    jpeg.insert(2, segment('\xE1', block));
    const QString source = test::writeBytes(dir.filePath(QStringLiteral("long.jpg")), jpeg);

    test::ScriptedOptions options;
    options.base.format = formatChoiceFor(QStringLiteral("JPEG"));
    options.base.keepExif = true;
    BatchPlace place;
    place.parentFolder = dir.path();
    test::RecordingSink sink;
    const BatchResult result = ConvertFiles(test::paths({source}), place, options, sink);
    ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
    const VImage out = test::readImage(result.outputFolder.display() + QStringLiteral("/long.jpg"));
    ASSERT_NE(out.get_typeof(VIPS_META_EXIF_NAME), 0u) << "the block was dropped";
    size_t size = 0;
    const void* data = out.get_blob(VIPS_META_EXIF_NAME, &size);
    const std::unique_ptr<ExifData, decltype(&exif_data_unref)> kept(
        exif_data_new_from_data(static_cast<const unsigned char*>(data), unsigned(size)),
        &exif_data_unref);
    const auto value = [&](ExifIfd ifd, ExifTag tag) {
        const ExifEntry* entry = exif_content_get_entry(kept->ifd[ifd], tag);
        return entry ? QByteArray(reinterpret_cast<const char*>(entry->data), qsizetype(entry->size))
                     : QByteArray();
    };
    EXPECT_EQ(value(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL), text("2024:05:06 07:08:09"));
    EXPECT_EQ(value(EXIF_IFD_0, EXIF_TAG_MAKE), text("Canon"));
    const QByteArray cut = value(EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION);
    EXPECT_GT(cut.size(), 60000);
    EXPECT_LT(cut.size(), description.size());
    EXPECT_EQ(cut.chopped(1), description.left(cut.size() - 1));
    EXPECT_TRUE(cut.endsWith('\0'));
}

// The tags of a WebP file's RIFF chunks, in order; "?" where the container is cut short.
QList<QByteArray> webpChunks(const QByteArray& file) {
    QList<QByteArray> tags;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        tags << file.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        at += 8 + qsizetype(size) + qsizetype(size & 1);
    }
    if (at != file.size() || file.left(4) != "RIFF" ||
        qFromLittleEndian<quint32>(file.constData() + 4) != quint32(file.size() - 8))
        tags << "?";
    return tags;
}

// Every format, whatever photo information is asked for and however the bytes are made (straight
// to the file, or in memory under a file-size limit): no marker of what is never kept, searched
// in the file's own bytes.
class NothingLeaksTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NothingLeaksTest, NoOutputHoldsWhatIsNeverKept) {
    QTemporaryDir dir;
    const QString full = photo(dir.filePath(QStringLiteral("full.jpg")));
    const QString unkept = photo(dir.filePath(QStringLiteral("unkept.jpg")), false);
    struct Case {
        const char* name;
        QString source;
        bool keepExif;
    };
    for (const Case& c : {Case{"off", full, false}, Case{"on, nothing to keep", unkept, true},
                          Case{"on", full, true}}) {
        for (const int limitKB : {0, 4096}) {
            SCOPED_TRACE(std::string(c.name) + (limitKB ? ", size limit" : ""));
            test::ScriptedOptions options;
            options.base.sizeConversion = true;
            options.base.box = BoxSize{64, 48};
            options.base.format = formatChoiceFor(QLatin1String(GetParam()));
            options.base.keepExif = c.keepExif;
            options.base.sizeLimitBytes = limitKB * 1024;
            BatchPlace place;
            place.parentFolder = dir.filePath(QStringLiteral("out"));
            test::RecordingSink sink;
            const BatchResult result = ConvertFiles(test::paths({c.source}), place, options, sink);
            ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
            const QByteArray bytes = test::readBytes(
                result.outputFolder.display() + QLatin1Char('/') +
                QFileInfo(c.source).completeBaseName() + options.base.format.row->extension);
            ASSERT_FALSE(bytes.isEmpty());
            for (const QByteArray& marker : kNeverKept)
                EXPECT_FALSE(bytes.contains(marker)) << marker.constData();
            if (options.base.format.row->code != FormatCode::Webp)
                continue;
            // No EXIF chunk at all, not even the encoder's own, unless photo information was
            // kept; the flag in VP8X says the same.
            const bool kept = c.keepExif && c.source == full;
            const QList<QByteArray> chunks = webpChunks(bytes);
            EXPECT_FALSE(chunks.contains("?"));
            EXPECT_EQ(chunks.contains("EXIF"), kept) << chunks.join(' ').constData();
            if (chunks.value(0) == "VP8X") {
                EXPECT_EQ((bytes[20] & 0x08) != 0, kept);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, NothingLeaksTest,
                         ::testing::Values("BMP", "JPEG", "PNG", "GIF", "PSD", "CMP", "PCT", "RAS",
                                           "WEBP", "AVIF", "JXL", "TIFF"));

} // namespace
} // namespace quillmorph
