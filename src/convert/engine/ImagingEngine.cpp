#include "engine/ImagingEngine.h"

#include "system/Allocator.h"

#include <vips/vips.h>
// vector.h is not self-contained: after vips.h.
#include <vips/vector.h>

namespace quillmorph {

namespace {

thread_local int vipsWarnings = 0;

} // namespace

int vipsWarningsOnThisThread() {
    return vipsWarnings;
}

bool startImagingEngine(const char* argv0, VectorCode vectorCode) {
    tuneAllocatorForImages();
    if (VIPS_INIT(argv0) != 0)
        return false;
    // Damaged files are reported through statuses; vips' own warnings would only be noise, but
    // that there were some tells a damaged JPEG from a whole one.
    g_log_set_handler(
        "VIPS", G_LOG_LEVEL_WARNING,
        [](const gchar*, GLogLevelFlags, const gchar*, gpointer) { ++vipsWarnings; }, nullptr);
    // Cached loads would pin file handles and serve stale pixels for a file changed on disk.
    vips_cache_set_max(0);
    if (vectorCode == VectorCode::Off)
        vips_vector_set_enabled(FALSE);
    return true;
}

void releaseFreedMemory() {
    // What a batch freed between blocks still in use would stay resident, and a window open for
    // days then sat on 50 MB more after one batch than after the one before
    // (docs/reliability.md). Once a batch, not once a file: between files the pages would only
    // be faulted in again.
    returnFreedMemory();
}

} // namespace quillmorph
