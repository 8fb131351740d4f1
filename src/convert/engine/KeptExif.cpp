#include "engine/KeptExif.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <libexif/exif-data.h>
#include <memory>

namespace quillmorph {

using vips::VImage;

namespace {

struct KeptTag {
    ExifIfd ifd;
    ExifTag tag;
    ExifFormat format;
};

// When, with what, how and whose; nothing that says where, and nothing that tells one camera
// body or lens from another.
constexpr std::array<KeptTag, 13> kKept{{
    {EXIF_IFD_0, EXIF_TAG_MAKE, EXIF_FORMAT_ASCII},
    {EXIF_IFD_0, EXIF_TAG_MODEL, EXIF_FORMAT_ASCII},
    {EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION, EXIF_FORMAT_ASCII},
    {EXIF_IFD_0, EXIF_TAG_ARTIST, EXIF_FORMAT_ASCII},
    {EXIF_IFD_0, EXIF_TAG_COPYRIGHT, EXIF_FORMAT_ASCII},
    {EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, EXIF_FORMAT_ASCII},
    {EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, EXIF_FORMAT_ASCII},
    {EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL, EXIF_FORMAT_ASCII},
    {EXIF_IFD_EXIF, EXIF_TAG_LENS_MODEL, EXIF_FORMAT_ASCII},
    {EXIF_IFD_EXIF, EXIF_TAG_EXPOSURE_TIME, EXIF_FORMAT_RATIONAL},
    {EXIF_IFD_EXIF, EXIF_TAG_FNUMBER, EXIF_FORMAT_RATIONAL},
    {EXIF_IFD_EXIF, EXIF_TAG_ISO_SPEED_RATINGS, EXIF_FORMAT_SHORT},
    {EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH, EXIF_FORMAT_RATIONAL},
}};

using ExifDataPtr = std::unique_ptr<ExifData, decltype(&exif_data_unref)>;

// libvips keeps blocks up to this size; a larger one is not a photo's.
constexpr qsizetype kMaxExif = 1 << 20;

// A JPEG carries EXIF in one APP1 segment of at most 65 533 bytes, and libvips (8.14 as 8.18)
// drops a larger block whole. On writing, libvips adds the resolution, the size and the versions to
// the block (some 120 bytes): the kept block leaves room for them.
constexpr qsizetype kMaxKeptExif = 65533 - 1024;

// Loaders differ in whether the block starts with its "Exif" header; libexif needs it.
QByteArray withHeader(const QByteArray& block) {
    static const QByteArray kHeader("Exif\0\0", 6);
    return block.startsWith(kHeader) ? block : kHeader + block;
}

// The block as libexif reads it, nothing filled in or corrected.
ExifDataPtr parsed(const QByteArray& block) {
    ExifDataPtr data(exif_data_new(), &exif_data_unref);
    if (!data || block.size() < 4 || block.size() > kMaxExif)
        return {nullptr, &exif_data_unref};
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    const QByteArray full = withHeader(block);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(full.constData()),
                        unsigned(full.size()));
    return data;
}

bool isWellFormed(const ExifEntry& entry, ExifFormat format) {
    return entry.format == format && entry.components > 0 && entry.data &&
           entry.size == exif_format_get_size(format) * entry.components;
}

void addCopy(ExifContent* content, const ExifEntry& source) {
    ExifMem* mem = exif_mem_new_default();
    ExifEntry* entry = exif_entry_new_mem(mem);
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, source.size));
    if (entry->data) {
        std::copy_n(source.data, source.size, entry->data);
        entry->tag = source.tag;
        entry->format = source.format;
        entry->components = source.components;
        entry->size = source.size;
        exif_content_add_entry(content, entry);
    }
    exif_entry_unref(entry);
    exif_mem_unref(mem);
}

void addShort(ExifData* data, ExifIfd ifd, ExifTag tag, quint16 value) {
    ExifEntry* entry = exif_entry_new();
    entry->tag = tag;
    exif_content_add_entry(data->ifd[ifd], entry);
    exif_entry_initialize(entry, tag);
    exif_set_short(entry->data, exif_data_get_byte_order(data), value);
    exif_entry_unref(entry);
}

// The longest text entry of data, or null.
ExifEntry* longestText(ExifData* data) {
    ExifEntry* longest = nullptr;
    for (ExifContent* content : data->ifd) {
        for (unsigned i = 0; i < content->count; ++i) {
            ExifEntry* entry = content->entries[i];
            if (entry->format == EXIF_FORMAT_ASCII && (!longest || entry->size > longest->size))
                longest = entry;
        }
    }
    return longest;
}

// Cuts entry's text by at least excess bytes, at a character's start (texts are often UTF-8
// whatever EXIF says), keeping its closing NUL.
void shorten(ExifEntry& entry, qsizetype excess) {
    qsizetype keep = std::max<qsizetype>(0, qsizetype(entry.size) - 1 - excess);
    while (keep > 0 && (entry.data[keep] & 0xC0) == 0x80)
        --keep;
    entry.data[keep] = '\0';
    entry.size = unsigned(keep + 1);
    entry.components = entry.size;
}

QByteArray saved(ExifData* data) {
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &bytes, &size);
    const std::unique_ptr<unsigned char, decltype(&std::free)> owned(bytes, &std::free);
    return size > 0 ? QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size))
                    : QByteArray();
}

} // namespace

QByteArray exifDateTaken(const QByteArray& sourceExif) {
    const ExifDataPtr source = parsed(sourceExif);
    if (!source)
        return {};
    for (const auto& [ifd, tag] : {std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL},
                                   std::pair{EXIF_IFD_0, EXIF_TAG_DATE_TIME}}) {
        const ExifEntry* entry = exif_content_get_entry(source->ifd[ifd], tag);
        if (!entry || !isWellFormed(*entry, EXIF_FORMAT_ASCII) || entry->size < 10)
            continue;
        // "YYYY:MM:DD HH:MM:SS"; a camera without a clock writes blanks or zeros.
        const QByteArray text(reinterpret_cast<const char*>(entry->data), 10);
        QByteArray day = text.left(4) + text.mid(5, 2) + text.mid(8, 2);
        const bool digits =
            std::all_of(day.begin(), day.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (digits && text.at(4) == ':' && text.at(7) == ':' && day != "00000000")
            return day;
    }
    return {};
}

QByteArray keptExif(const QByteArray& sourceExif) {
    const ExifDataPtr source = parsed(sourceExif);
    if (!source)
        return {};
    const ExifDataPtr kept(exif_data_new(), &exif_data_unref);
    if (!kept)
        return {};
    exif_data_set_data_type(kept.get(), EXIF_DATA_TYPE_COMPRESSED);
    // The values are copied as bytes, so they keep the byte order they were written in.
    exif_data_set_byte_order(kept.get(), exif_data_get_byte_order(source.get()));
    bool any = false;
    for (const KeptTag& t : kKept) {
        const ExifEntry* entry = exif_content_get_entry(source->ifd[t.ifd], t.tag);
        if (entry && isWellFormed(*entry, t.format)) {
            addCopy(kept->ifd[t.ifd], *entry);
            any = true;
        }
    }
    if (!any)
        return {};
    // The pixels are upright, and sRGB: libvips would otherwise fill in "uncalibrated".
    addShort(kept.get(), EXIF_IFD_0, EXIF_TAG_ORIENTATION, 1);
    addShort(kept.get(), EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE, 1);
    // A description or copyright notice long enough to overflow the segment loses its end
    // rather than the date taken and everything else with it.
    QByteArray block = saved(kept.get());
    while (block.size() > kMaxKeptExif) {
        ExifEntry* text = longestText(kept.get());
        if (!text || text->size <= 1)
            return {};
        shorten(*text, block.size() - kMaxKeptExif);
        block = saved(kept.get());
    }
    return block;
}

VImage withOnlyExif(const VImage& image, const QByteArray& exif) {
    VImage out = image.copy();
    const std::unique_ptr<gchar*, decltype(&g_strfreev)> fields(
        vips_image_get_fields(out.get_image()), &g_strfreev);
    for (gchar** field = fields.get(); field && *field; ++field) {
        // libvips' own bookkeeping ("vips-loader", "vips-sequential") is never written out.
        if (!g_str_has_prefix(*field, "vips-"))
            out.remove(*field);
    }
    // Setting the block also names each of its entries as an "exif-ifdN-Name" field; on saving,
    // libvips rebuilds the block from those fields and drops any entry that has none.
    if (!exif.isEmpty())
        vips_image_set_blob_copy(out.get_image(), VIPS_META_EXIF_NAME, exif.constData(),
                                 size_t(exif.size()));
    return out;
}

} // namespace quillmorph
