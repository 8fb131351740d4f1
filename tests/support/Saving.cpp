#include "Saving.h"

#include "engine/Encoding.h"
#include "engine/FormatWriters.h"
#include "files/FileNames.h"
#include "files/Folder.h"
#include "files/PartialOutput.h"

namespace quillmorph::test {

EngineStatus save(const LeadImage& image, const FilePath& path, const OutputFormat& format,
                  int qualityFactor) {
    if (nameIsTaken(path))
        return status::kOutputExists;
    const Folder folder = Folder::open(path.absolute().parent());
    if (!folder.isOpen())
        return status::kFolderMissing;
    PartialOutput output;
    if (const StepStatus st = Encode(image, folder, format, qualityFactor, output); !st.ok())
        return st.status;
    return output.commit(folder, path.fileName());
}

EngineStatus encodeToMemory(const LeadImage& image, const OutputFormat& format, int qualityFactor,
                            QByteArray& bytes, bool keepExif) {
    return encodeWith(image, format, keepExif, {},
                      [&](const vips::VImage& rgb8, const QByteArray& exif) {
                          bytes = encodedImage(rgb8, format, qualityFactor, exif);
                      })
        .status;
}

} // namespace quillmorph::test
