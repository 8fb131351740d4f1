#include "engine/ImagingEngine.h"

#include <vips/vips.h>
// vector.h is not self-contained: after vips.h.
#include <vips/vector.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quillmorph {

namespace {

thread_local int vipsWarnings = 0;

} // namespace

int vipsWarningsOnThisThread() {
    return vipsWarnings;
}

bool startImagingEngine(const char* argv0, VectorCode vectorCode) {
#ifdef __GLIBC__
    // Every worker thread would get a malloc arena of its own that keeps freed image buffers;
    // two arenas hold a batch's memory to what it really uses.
    mallopt(M_ARENA_MAX, 2);
    // glibc raises its mmap threshold to the largest block freed so far, after which image
    // buffers of a few MB are carved from the heaps and strand memory between them: a batch's
    // peak then wandered by 20 % from run to run. A fixed 1 MiB hands them back on free.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
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
#ifdef __GLIBC__
    // glibc gives back only the free memory at the top of a heap; what a batch freed between
    // blocks still in use stays resident, and a window open for days then sat on 50 MB more
    // after one batch than after the one before (docs/reliability.md). Once a batch, not once
    // a file: between files the pages would only be faulted in again.
    malloc_trim(0);
#endif
}

} // namespace quillmorph
