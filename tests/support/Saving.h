#pragma once

#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QByteArray>

namespace quillmorph::test {

// Encodes image to path in one go, as a batch does for one file: through a temporary file in
// the same folder, renamed into place only when complete; never over an existing file.
EngineStatus save(const LeadImage& image, const FilePath& path, const OutputFormat& format,
                  int qualityFactor);

// The same encoding into memory: bytes receives the whole file. Encode's statuses except
// those of the file system.
EngineStatus encodeToMemory(const LeadImage& image, const OutputFormat& format, int qualityFactor,
                            QByteArray& bytes, bool keepExif = false);

} // namespace quillmorph::test
