#pragma once

#include <vips/vips8>

namespace quillmorph {

// Writes an 8-bit, 3-band image as an uncompressed RGB Photoshop document (8 bits per channel)
// into target, and ends it. Throws vips::VError when the pixels cannot be computed or the
// target not written.
void writePsd(const vips::VImage& rgb8, const vips::VTarget& target);

} // namespace quillmorph
