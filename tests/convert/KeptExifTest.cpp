#include "ConvertFiles.h"
#include "ScriptedOptions.h"
#include "TestImages.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace quillmorph {
namespace {

using vips::VImage;

using ExifDataPtr = std::unique_ptr<ExifData, decltype(&exif_data_unref)>;

class SilentSink : public BatchSink {
public:
    void report(const Failure&) override {}
};

void add(ExifData* data, ExifIfd ifd, ExifTag tag, ExifFormat format, const QByteArray& bytes) {
    ExifMem* mem = exif_mem_new_default();
    ExifEntry* entry = exif_entry_new_mem(mem);
    entry->tag = tag;
    entry->format = format;
    entry->size = unsigned(bytes.size());
    entry->components = entry->size / exif_format_get_size(format);
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, entry->size));
    std::memcpy(entry->data, bytes.constData(), size_t(bytes.size()));
    exif_content_add_entry(data->ifd[ifd], entry);
    exif_entry_unref(entry);
    exif_mem_unref(mem);
}

void addText(ExifData* data, ExifIfd ifd, ExifTag tag, const char* text) {
    add(data, ifd, tag, EXIF_FORMAT_ASCII, QByteArray(text, qsizetype(std::strlen(text)) + 1));
}

QByteArray rationals(std::initializer_list<std::pair<quint32, quint32>> values) {
    QByteArray bytes;
    for (const auto& [numerator, denominator] : values) {
        for (const quint32 v : {numerator, denominator}) // big-endian, as the block is written
            bytes += QByteArray::fromHex(QByteArray::number(v, 16).rightJustified(8, '0'));
    }
    return bytes;
}

// A camera's block: what may be kept, and what never may (where, which body and lens, the
// maker's notes, the owner, a thumbnail), with the picture turned by its orientation.
QByteArray cameraExif() {
    const ExifDataPtr data(exif_data_new(), &exif_data_unref);
    exif_data_set_byte_order(data.get(), EXIF_BYTE_ORDER_MOTOROLA);
    ExifData* d = data.get();
    addText(d, EXIF_IFD_0, EXIF_TAG_MAKE, "Canon");
    addText(d, EXIF_IFD_0, EXIF_TAG_MODEL, "EOS R5");
    addText(d, EXIF_IFD_0, EXIF_TAG_ARTIST, "写真家 Ada");
    addText(d, EXIF_IFD_0, EXIF_TAG_COPYRIGHT, "(c) Ada");
    addText(d, EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION, "Harbour at dusk");
    addText(d, EXIF_IFD_0, EXIF_TAG_SOFTWARE, "Firmware 1.2");
    add(d, EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, QByteArray::fromHex("0006"));
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, "2024:05:06 07:08:09");
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, "+09:00");
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL, "42");
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL, "RF24-105mm F4 L");
    add(d, EXIF_IFD_EXIF, EXIF_TAG_EXPOSURE_TIME, EXIF_FORMAT_RATIONAL, rationals({{1, 250}}));
    add(d, EXIF_IFD_EXIF, EXIF_TAG_FNUMBER, EXIF_FORMAT_RATIONAL, rationals({{56, 10}}));
    add(d, EXIF_IFD_EXIF, EXIF_TAG_ISO_SPEED_RATINGS, EXIF_FORMAT_SHORT,
        QByteArray::fromHex("0190"));
    add(d, EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH, EXIF_FORMAT_RATIONAL, rationals({{50, 1}}));
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_BODY_SERIAL_NUMBER, "083021001234");
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_LENS_SERIAL_NUMBER, "9300001234");
    addText(d, EXIF_IFD_EXIF, EXIF_TAG_CAMERA_OWNER_NAME, "Ada Lovelace");
    add(d, EXIF_IFD_EXIF, EXIF_TAG_MAKER_NOTE, EXIF_FORMAT_UNDEFINED,
        QByteArray("MAKERNOTE home=51.5N", 20));
    addText(d, EXIF_IFD_GPS, ExifTag(EXIF_TAG_GPS_LATITUDE_REF), "N");
    add(d, EXIF_IFD_GPS, ExifTag(EXIF_TAG_GPS_LATITUDE), EXIF_FORMAT_RATIONAL,
        rationals({{51, 1}, {30, 1}, {2644, 100}}));
    addText(d, EXIF_IFD_GPS, ExifTag(EXIF_TAG_GPS_LONGITUDE_REF), "W");
    add(d, EXIF_IFD_GPS, ExifTag(EXIF_TAG_GPS_LONGITUDE), EXIF_FORMAT_RATIONAL,
        rationals({{0, 1}, {7, 1}, {3960, 100}}));
    void* buffer = nullptr;
    size_t size = 0;
    test::solid(16, 12, {1, 2, 3}).write_to_buffer(".jpg", &buffer, &size);
    d->data = static_cast<unsigned char*>(buffer); // the thumbnail, freed with the block
    d->size = unsigned(size);
    unsigned char* bytes = nullptr;
    unsigned int length = 0;
    exif_data_save_data(d, &bytes, &length);
    const QByteArray block(reinterpret_cast<const char*>(bytes), qsizetype(length));
    std::free(bytes);
    return block;
}

QByteArray segment(quint8 marker, const QByteArray& payload) {
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF") + char(marker) + char(length >> 8) + char(length & 0xFF) + payload;
}

// A JPEG as a camera and a photo manager leave it: EXIF, XMP with a location, IPTC.
QString photo(const QString& path) {
    void* buffer = nullptr;
    size_t size = 0;
    test::solid(200, 100, {200, 40, 40})
        .write_to_buffer(".jpg", &buffer, &size, VImage::option()->set("strip", true));
    QByteArray jpeg(static_cast<const char*>(buffer), qsizetype(size));
    g_free(buffer);
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/", 29) +
                           "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3."
                           "org/1999/02/22-rdf-syntax-ns#'><rdf:Description xmlns:exif='http://ns."
                           "adobe.com/exif/1.0/' exif:GPSLatitude='51,30.44N'/></rdf:RDF>"
                           "</x:xmpmeta>";
    const QByteArray iptcRecord = QByteArray::fromHex("1c025a0006") + "London"; // City
    const QByteArray iptc = QByteArray("Photoshop 3.0", 14) + "8BIM" +
                            QByteArray::fromHex("04040000") + QByteArray::fromHex("0000000b") +
                            iptcRecord + QByteArray(1, '\0');
    jpeg.insert(2, segment(0xE1, cameraExif()) + segment(0xE1, xmp) + segment(0xED, iptc));
    return test::writeBytes(path, jpeg);
}

struct ExifTagValue {
    int ifd;
    int tag;
    bool operator<(const ExifTagValue& o) const {
        return std::tie(ifd, tag) < std::tie(o.ifd, o.tag);
    }
};

// Every entry of a file's EXIF as libexif reads it: (ifd, tag) to its format and value bytes.
std::map<ExifTagValue, QByteArray> exifEntries(const VImage& image, bool& thumbnail) {
    std::map<ExifTagValue, QByteArray> entries;
    thumbnail = false;
    if (image.get_typeof(VIPS_META_EXIF_NAME) == 0)
        return entries;
    size_t size = 0;
    const auto* bytes =
        static_cast<const unsigned char*>(image.get_blob(VIPS_META_EXIF_NAME, &size));
    QByteArray block(reinterpret_cast<const char*>(bytes), qsizetype(size));
    if (!block.startsWith(QByteArray("Exif\0\0", 6)))
        block.prepend(QByteArray("Exif\0\0", 6));
    const ExifDataPtr data(exif_data_new(), &exif_data_unref);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.constData()),
                        unsigned(block.size()));
    thumbnail = data->data != nullptr && data->size > 0;
    for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd) {
        for (unsigned i = 0; i < data->ifd[ifd]->count; ++i) {
            ExifEntry* entry = data->ifd[ifd]->entries[i];
            entries[{ifd, int(entry->tag)}] =
                QByteArray::number(entry->format) + ':' +
                QByteArray(reinterpret_cast<const char*>(entry->data), qsizetype(entry->size))
                    .toHex();
        }
    }
    return entries;
}

struct timespec modifiedAt(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mtim;
}

TEST(KeptExifTest, OnlyTheListedPhotoInformationAndTheFileDateReachTheOutput) {
    QTemporaryDir dir;
    const QString source = photo(dir.filePath(QStringLiteral("IMG_0001.JPG")));
    const struct timespec taken[2] = {{981173045, 123456789}, {981173045, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), taken, 0), 0);
    bool thumbnail = false;
    const auto in = exifEntries(test::readImage(source), thumbnail);
    ASSERT_TRUE(thumbnail);
    ASSERT_TRUE(in.count({EXIF_IFD_GPS, EXIF_TAG_GPS_LATITUDE}));
    ASSERT_TRUE(in.count({EXIF_IFD_EXIF, EXIF_TAG_MAKER_NOTE}));

    auto kept = in;
    std::erase_if(kept, [](const auto& entry) {
        static const std::set<ExifTagValue> list{{EXIF_IFD_0, EXIF_TAG_MAKE},
                                                 {EXIF_IFD_0, EXIF_TAG_MODEL},
                                                 {EXIF_IFD_0, EXIF_TAG_ARTIST},
                                                 {EXIF_IFD_0, EXIF_TAG_COPYRIGHT},
                                                 {EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_EXPOSURE_TIME},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_FNUMBER},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_ISO_SPEED_RATINGS},
                                                 {EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH}};
        return list.count(entry.first) == 0;
    });
    ASSERT_EQ(kept.size(), 13u);
    kept[{EXIF_IFD_0, EXIF_TAG_ORIENTATION}] = "3:0001";    // the pixels are upright
    kept[{EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE}] = "3:0001"; // and sRGB
    for (const char* name : {"JPEG", "PNG", "WEBP", "AVIF", "JXL", "TIFF", "GIF", "BMP", "CMP"}) {
        SCOPED_TRACE(name);
        test::ScriptedOptions options;
        options.base.sizeConversion = true;
        options.base.box = BoxSize{60, 60};
        options.base.fitMode = FitMode::Fit;
        options.base.format = formatChoiceFor(QLatin1String(name));
        options.base.keepExif = true;
        options.base.keepDates = true;
        BatchPlace place;
        place.parentFolder = dir.filePath(QLatin1String(name));
        SilentSink sink;
        const BatchResult result = ConvertFiles(test::paths({source}), place, options, sink);
        ASSERT_EQ(result.outcome, BatchResult::Outcome::Completed);
        const QString output = result.outputFolder.display() + QStringLiteral("/IMG_0001") +
                               QLatin1String(options.base.format.row->extension);
        EXPECT_EQ(modifiedAt(output).tv_sec, taken[1].tv_sec);
        EXPECT_EQ(modifiedAt(output).tv_nsec, taken[1].tv_nsec);
        const VImage out = test::readImage(output);
        EXPECT_EQ(out.get_typeof(VIPS_META_XMP_NAME), 0u);
        EXPECT_EQ(out.get_typeof(VIPS_META_IPTC_NAME), 0u);
        const auto entries = exifEntries(out, thumbnail);
        EXPECT_FALSE(thumbnail);
        if (!options.base.format.row->carriesExif) {
            EXPECT_TRUE(entries.empty()) << entries.size();
            continue;
        }
        for (const auto& [key, value] : kept) {
            const auto it = entries.find(key);
            EXPECT_TRUE(it != entries.end() && it->second == value)
                << key.ifd << ":" << std::hex << key.tag << " "
                << (it == entries.end() ? "missing" : it->second.toStdString());
        }
        // Besides them only what any saved picture has: its resolution, size and versions.
        const std::set<int> structure{EXIF_TAG_X_RESOLUTION,      EXIF_TAG_Y_RESOLUTION,
                                      EXIF_TAG_RESOLUTION_UNIT,   EXIF_TAG_PIXEL_X_DIMENSION,
                                      EXIF_TAG_PIXEL_Y_DIMENSION, EXIF_TAG_EXIF_VERSION,
                                      EXIF_TAG_FLASH_PIX_VERSION};
        for (const auto& [key, value] : entries) {
            const bool picture = key.ifd == EXIF_IFD_0 || key.ifd == EXIF_IFD_EXIF;
            EXPECT_TRUE(kept.count(key) || (picture && structure.count(key.tag)))
                << "leaked " << key.ifd << ":" << std::hex << key.tag << " " << value.toStdString();
        }
        // Orientation 6: the picture was turned upright before it was scaled.
        EXPECT_EQ(out.width(), 30);
        EXPECT_EQ(out.height(), 60);
    }
}

} // namespace
} // namespace quillmorph
