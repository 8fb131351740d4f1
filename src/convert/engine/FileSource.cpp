#include "engine/FileSource.h"

#include "files/SourceFile.h"

#include <cstdio>

namespace quillmorph {

namespace {

struct Reading {
    std::shared_ptr<const SourceFile> file;
    qint64 position = 0;
};

gint64 readFile(VipsSourceCustom*, void* buffer, gint64 length, gpointer data) {
    auto* reading = static_cast<Reading*>(data);
    const qint64 got = reading->file->readAt(reading->position, buffer, length);
    if (got > 0)
        reading->position += got;
    return got;
}

gint64 seekFile(VipsSourceCustom*, gint64 offset, int whence, gpointer data) {
    auto* reading = static_cast<Reading*>(data);
    qint64 base = 0;
    if (whence == SEEK_CUR) {
        base = reading->position;
    } else if (whence == SEEK_END) {
        base = reading->file->size();
        if (base < 0)
            return -1;
    } else if (whence != SEEK_SET) {
        return -1;
    }
    if (offset < -base)
        return -1;
    reading->position = base + offset;
    return reading->position;
}

} // namespace

vips::VSource sourceReading(std::shared_ptr<const SourceFile> file) {
    VipsSourceCustom* custom = vips_source_custom_new();
    auto owned = std::make_unique<Reading>(Reading{std::move(file), 0});
    Reading* const reading = owned.get();
    // The object owns what it reads through, freed as the last of libvips lets it go.
    g_object_set_data_full(G_OBJECT(custom), "quillmorph-reading", owned.release(),
                           [](gpointer data) { delete static_cast<Reading*>(data); });
    g_signal_connect(custom, "read", G_CALLBACK(readFile), reading);
    g_signal_connect(custom, "seek", G_CALLBACK(seekFile), reading);
    return vips::VSource(VIPS_SOURCE(custom), vips::STEAL);
}

} // namespace quillmorph
