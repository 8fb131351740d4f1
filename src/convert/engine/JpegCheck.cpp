#include "engine/JpegCheck.h"

#include "files/SourceFile.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h wants FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace quillmorph {

namespace {

struct Checker {
    jpeg_error_mgr manager{}; // first: libjpeg hands back a pointer to it
    std::jmp_buf failed{};
    bool endedEarly = false;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Checker*>(cinfo->err)->failed, 1);
}

// Warnings (level -1) are where the damage shows; trace messages are ignored.
void onMessage(j_common_ptr cinfo, int level) {
    const int code = cinfo->err->msg_code;
    if (level < 0 && (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF))
        reinterpret_cast<Checker*>(cinfo->err)->endedEarly = true;
}

void silently(j_common_ptr) {}

// Decodes every row of file into cinfo; false when libjpeg gave up. Nothing that needs
// destroying may live across the jump: the row comes from libjpeg's own pool.
bool decodeAll(jpeg_decompress_struct& cinfo, Checker& checker, std::FILE* file) {
    if (setjmp(checker.failed))
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height)
        jpeg_read_scanlines(&cinfo, row, 1);
    return true;
}

} // namespace

bool jpegEndsBeforeItsLastRow(const char* name) {
    const ReadStream file = openRegularForReading(name);
    if (!file)
        return false;
    Checker checker;
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&checker.manager);
    checker.manager.error_exit = onError;
    checker.manager.emit_message = onMessage;
    checker.manager.output_message = silently;
    const bool decoded = decodeAll(cinfo, checker, file.get());
    jpeg_destroy_decompress(&cinfo);
    return !decoded || checker.endedEarly;
}

} // namespace quillmorph
