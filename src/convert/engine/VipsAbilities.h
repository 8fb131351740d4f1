#pragma once

namespace quillmorph {

// True when the running libvips has the operation of this nickname ("jxlsave_target") and it
// is not blocked (vips_operation_block_set). Any thread, after startImagingEngine.
bool hasVipsOperation(const char* nickname);

// True when the running libvips (not the one built against) is major.minor.micro or later.
bool vipsAtLeast(int major, int minor, int micro = 0);

} // namespace quillmorph
