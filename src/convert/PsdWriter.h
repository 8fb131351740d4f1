#pragma once

#include <QString>
#include <stdexcept>
#include <vips/vips8>

namespace quillmorph {

class PsdWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes an 8-bit, 3-band image as an uncompressed RGB Photoshop document (8 bits per channel).
// Throws PsdWriteError with the system's error text when the file cannot be written, and
// vips::VError when the pixels cannot be computed.
void writePsd(const vips::VImage& rgb8, const QString& path);

} // namespace quillmorph
