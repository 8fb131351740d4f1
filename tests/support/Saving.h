#pragma once

#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QByteArray>
#include <QString>
#include <vips/vips8>

namespace quillmorph::test {

// Encodes image to path in one go, as a batch does for one file: through a temporary file in
// the same folder, renamed into place only when complete; never over an existing file.
EngineStatus save(const LeadImage& image, const FilePath& path, const OutputFormat& format,
                  int qualityFactor);

// The same encoding into memory: bytes receives the whole file. Encode's statuses except
// those of the file system.
EngineStatus encodeToMemory(const LeadImage& image, const OutputFormat& format, int qualityFactor,
                            QByteArray& bytes, bool keepExif = false);

// Writes image (8-bit sRGB) to path in the format its suffix names, through the engine's own
// writers where libvips has no saver for it (BMP, PSD, PCT, RAS, JXL on Windows), else with
// libvips' saver; the name reaches libvips as the engine gives it. Returns path.
QString writePicture(const vips::VImage& image, const QString& path);

// The picture at path as libvips reads it, or, where libvips has no loader for it, as the
// engine's own readers give it. Throws vips::VError, or NotAnImageError when neither reads it.
vips::VImage readPicture(const QString& path);

} // namespace quillmorph::test
