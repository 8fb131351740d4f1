#include "Saving.h"

#include "engine/Encoding.h"
#include "engine/FormatWriters.h"
#include "files/FileNames.h"
#include "files/Folder.h"
#include "files/PartialOutput.h"
#include "TestImages.h"

#include <QFile>
#include <QFileInfo>

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

QString writePicture(const vips::VImage& image, const QString& path) {
    const QString suffix = QLatin1Char('.') + QFileInfo(path).suffix().toLower();
    for (const OutputFormat& format : outputFormats()) {
        if (suffix != QLatin1String(format.extension) ||
            vips_foreign_find_save(FilePath(path).c_str()) != nullptr)
            continue;
        return writeBytes(path, encodedImage(image, format, 2));
    }
    vips_error_clear();
    // By the engine's own bytes for the name: on Windows, UTF-8 rather than the code page.
    image.write_to_file(FilePath(path).c_str());
    return path;
}

vips::VImage readPicture(const QString& path) {
    const QByteArray name = FilePath(path).native() + "[]";
    if (vips_foreign_find_load(name.constData()) != nullptr)
        return vips::VImage::new_from_file(name.constData());
    vips_error_clear();
    LeadImage image;
    if (const EngineStatus st = image.Load(FilePath(path)); st != status::kOk)
        throw vips::VError("the engine could not load " + path.toStdString());
    return image.reopened(vips::VImage::option()).copy_memory();
}

} // namespace quillmorph::test
