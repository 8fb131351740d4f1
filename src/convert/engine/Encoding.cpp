#include "engine/Encoding.h"

#include "engine/ColourImport.h"
#include "engine/FormatWriters.h"
#include "engine/KeptExif.h"
#include "engine/QualityByEye.h"
#include "files/PartialOutput.h"

#include <string_view>

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

StepStatus saving(EngineStatus st) {
    return {st, Stage::Save};
}

EngineStatus encodableAs(const LeadImage& image, const OutputFormat& format) {
    if (image.isEmpty())
        return status::kNoImage;
    if (!canWrite(format))
        return status::kNoEncoder;
    if (image.width() > format.maxSide || image.height() > format.maxSide)
        return status::kTooLargeForFormat;
    return status::kOk;
}

// Why write failed with e: a codec missing, the cause the message names, the folder gone, a
// damaged source, or the encoder's own refusal.
StepStatus saveFailure(const LeadImage& image, const VError& e, const Folder& folder) {
    // libheif present but built without an AV1 encoder: the saver exists, the codec not.
    if (std::string_view(e.what()).find("Unsupported compression") != std::string_view::npos) {
        vips_error_clear();
        return saving(status::kNoEncoder);
    }
    // A picture too large to unpack was met by its decoding, which the encoder pulled.
    if (const EngineStatus st = statusFromVipsError(e, status::kOk); st != status::kOk)
        return {st, st == status::kImageTooLarge ? Stage::Load : Stage::Save};
    if (folder.isOpen() && folder.isGone())
        return saving(status::kFolderMissing);
    if (const StepStatus fault = image.sourceFault(Stage::Save); !fault.ok())
        return fault;
    return saving(status::kEncodeFailed);
}

// Encode's checks, its output made and dropped on failure, around write.
StepStatus encodeInto(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                      PartialOutput& output, bool keepExif, const Writing& write) {
    if (const EngineStatus st = encodableAs(image, format); st != status::kOk)
        return saving(st);
    if (const EngineStatus st = output.create(folder); st != status::kOk)
        return saving(st);
    const StepStatus st = encodeWith(image, format, keepExif, folder, write);
    if (!st.ok())
        output = PartialOutput();
    return st;
}

} // namespace

StepStatus Encode(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                  int qualityFactor, PartialOutput& output, bool keepExif) {
    return encodeInto(image, folder, format, output, keepExif,
                      [&](const VImage& rgb8, const QByteArray& exif) {
                          writeImage(rgb8, output.temporaryPath(), format, qualityFactor, exif);
                      });
}

namespace {

// A search over qualities (encodeWithin, encodeByEye) run on the picture decoded and fitted once;
// only the encodings are tried again, and the bytes it keeps are written.
template <typename Search>
StepStatus encodeSearching(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                           int qualityFactor, const SizeLimit& limit, PartialOutput& output,
                           bool keepExif, LimitedEncoding& result, Search search) {
    return encodeInto(
        image, folder, format, output, keepExif, [&](const VImage& rgb8, const QByteArray& exif) {
            const VImage decoded = withoutBlobs(rgb8).copy_memory();
            result = search(decoded, format, jpegQualityFromFactor(qualityFactor), limit,
                            [&](const VImage& picture, int quality, bool palette) {
                                return encodedAtQuality(picture, format, quality, palette, exif);
                            });
            writeBytes(output.temporaryPath(), result.bytes);
        });
}

} // namespace

StepStatus EncodeWithin(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                        int qualityFactor, const SizeLimit& limit, PartialOutput& output,
                        bool keepExif, LimitedEncoding& result) {
    return encodeSearching(image, folder, format, qualityFactor, limit, output, keepExif, result,
                           encodeWithin);
}

StepStatus EncodeByEye(const LeadImage& image, const Folder& folder, const OutputFormat& format,
                       int qualityFactor, const SizeLimit& limit, PartialOutput& output,
                       bool keepExif, LimitedEncoding& result) {
    return encodeSearching(image, folder, format, qualityFactor, limit, output, keepExif, result,
                           encodeByEye);
}

StepStatus encodeWith(const LeadImage& image, const OutputFormat& format, bool keepExif,
                      const Folder& folder, const Writing& write) {
    if (const EngineStatus st = encodableAs(image, format); st != status::kOk)
        return saving(st);
    try {
        const QByteArray exif =
            keepExif && format.carriesExif ? keptExif(image.exif()) : QByteArray();
        write(image.rgb8(), exif);
    } catch (const VError& e) {
        return saveFailure(image, e, folder);
    }
    return saving(status::kOk);
}

} // namespace quillmorph
