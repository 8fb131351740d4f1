#pragma once

#include "SystemError.h"

#include <QString>
#include <vips/vips8>

namespace quillmorph {

// Writes an 8-bit, 3-band image as an uncompressed RGB Photoshop document (8 bits per channel).
// Throws FileWriteError with the system's error text when the file cannot be written, and
// vips::VError when the pixels cannot be computed.
void writePsd(const vips::VImage& rgb8, const FilePath& path);

} // namespace quillmorph
