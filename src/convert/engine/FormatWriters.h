#pragma once

#include "engine/KeptExif.h"
#include "engine/OutputFormat.h"
#include "files/FilePath.h"

#include <QByteArray>
#include <vips/vips8>

namespace quillmorph {

// Writes rgb8, an 8-bit 3-band sRGB image, to file as format says, with the quality factor
// where the format uses one, and no metadata but exif (a block KeptExif.h made; empty for
// none) where the format carries EXIF; the bytes stream to the file as they are encoded.
// Throws vips::VError when the pixels cannot be computed or encoded or the file not written
// (the system's error text is in the message).
void writeImage(const vips::VImage& rgb8, const FilePath& file, const OutputFormat& format,
                int qualityFactor, const QByteArray& exif = {});

// The same encoding held in memory: the bytes writeImage would write. Throws vips::VError.
QByteArray encodedImage(const vips::VImage& rgb8, const OutputFormat& format, int qualityFactor,
                        const QByteArray& exif = {});

// The bytes of rgb8 in format at the encoder quality (the saver's Q, 1…100) — for PNG with
// palette, an 8-bit palette image whose quantiser works at quality; for GIF with palette, a
// palette of fewer bits the lower quality is — with the metadata
// writeImage would give it. For the file-size limit, which tries several. Throws vips::VError.
QByteArray encodedAtQuality(const vips::VImage& rgb8, const OutputFormat& format, int quality,
                            bool palette, const QByteArray& exif = {});

// Writes bytes to file. Throws vips::VError, as writeImage.
void writeBytes(const FilePath& file, const QByteArray& bytes);

// False when this system's libvips was built without the encoder the format needs. Any thread,
// after startImagingEngine.
bool canWrite(const OutputFormat& format);

// JPEG quality 1…100 for a quality factor: 2 gives 100, each 2.52 more one step less.
int jpegQualityFromFactor(int qualityFactor);

} // namespace quillmorph
