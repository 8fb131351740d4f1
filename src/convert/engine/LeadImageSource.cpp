#include "engine/LeadImage.h"

#include "engine/ClassicReaders.h"
#include "engine/ColourImport.h"
#include "engine/FileSource.h"
#include "engine/GifParts.h"
#include "engine/JpegCheck.h"
#include "engine/JxlCodec.h"
#include "engine/LoaderFamily.h"
#include "engine/VipsAbilities.h"
#include "files/SourceFile.h"
#include "files/SystemError.h"

#include <algorithm>
#include <string_view>

// The file behind a LeadImage: opening it once, what its header tells, reading it again for a
// shrinking load or every frame, and telling a damaged source from a failed step.

namespace quillmorph {

using vips::VError;
using vips::VImage;

namespace {

// An SVG larger than this is no drawing a person made.
constexpr qint64 kMaxSvgBytes = qint64(256) * 1024 * 1024;
// A JPEG XL of a billion pixels, even lossless, stays under this.
constexpr qint64 kMaxJxlBytes = qint64(1024) * 1024 * 1024;

// A BMP or PICT of a billion pixels, uncompressed, stays under this.
constexpr qint64 kMaxClassicBytes = qint64(4) * 1024 * 1024 * 1024;

// The loader name a JPEG XL decoded by the engine itself is known by: the family libvips'
// own loader has, so that it is costed alike (LoaderFamily.h).
constexpr const char* kOwnJxlLoader = "Jxl";

// True when libvips has no JPEG XL loader (or it is blocked) and the file at name begins as one.
bool readsAsOwnJxl(const std::string& name) {
    if (hasVipsOperation("jxlload_source"))
        return false;
    const ReadStream file = openRegularForReading(name.c_str());
    if (!file)
        return false;
    QByteArray head(12, '\0');
    head.resize(qsizetype(std::fread(head.data(), 1, size_t(head.size()), file.get())));
    return looksLikeJxl(head);
}

// libvips takes a name ending in a bracket for a name and its options ("shot[1]" as "shot"
// given "1"), its loaders too: such a file (on Windows, where loaders get the file's own name)
// is read through what was opened instead.
bool splitByLibvips(const std::string& name) {
    return !name.empty() && name.back() == ']';
}

const char* vipsLoaderOf(const std::shared_ptr<const SourceFile>& file) {
    if (splitByLibvips(file->loaderName()))
        return vips_foreign_find_load_source(sourceReading(file).get_source());
    return vips_foreign_find_load(file->loaderName().c_str());
}

// Which of our readers of the old formats reads file.
ClassicFormat ownClassicFormatOf(const SourceFile& file) {
    QByteArray head(kClassicHeadBytes, '\0');
    const qint64 got = file.readAt(0, head.data(), head.size());
    head.truncate(qsizetype(std::max<qint64>(got, 0)));
    return classicFormatOf(head);
}

QByteArray exifOf(const VImage& image) {
    if (image.get_typeof(VIPS_META_EXIF_NAME) == 0)
        return {};
    size_t size = 0;
    const void* data = image.get_blob(VIPS_META_EXIF_NAME, &size);
    return QByteArray(static_cast<const char*>(data), qsizetype(size));
}

bool flagOf(const VImage& image, const char* field) {
    return image.get_typeof(field) != 0 && image.get_int(field) != 0;
}

// file: as loaded, turned upright.
SourceHeader headerOf(const char* loader, const VImage& file, bool turned) {
    const char* const chroma = "jpeg-chroma-subsample";
    return {loader,
            file.width(),
            file.height(),
            flagOf(file, "interlaced") || flagOf(file, "jpeg-multiscan"),
            int(VIPS_IMAGE_SIZEOF_PEL(file.get_image())),
            file.has_alpha(),
            file.get_typeof(chroma) != 0 && !g_str_has_prefix(file.get_string(chroma), "4:4:4"),
            turned,
            file.get_typeof("n-pages") != 0 ? std::max(1, file.get_int("n-pages")) : 1};
}

} // namespace

EngineStatus statusFromVipsError(const VError& e, EngineStatus fallback) {
    vips_error_clear();
    return statusFromLibraryMessage(QString::fromUtf8(e.what()), fallback);
}

NotAnImageError::NotAnImageError(const FilePath& path)
    : std::runtime_error("not an image: " + path.native().toStdString()) {}

EngineStatus LeadImage::Load(const FilePath& path) {
    image_ = VImage();
    header_ = {};
    exif_.clear();
    source_.reset();
    svg_.reset();
    decoded_ = VImage();
    pristine_ = false;
    coloursPending_ = false;
    flatColour_.reset();
    frameHeight_ = 0;

    EngineStatus openStatus = status::kOk;
    source_ = SourceFile::open(path, openStatus);
    if (!source_)
        return openStatus;
    // BMP, PSD, PICT and Sun rasters reach libvips through ImageMagick, which it may lack.
    const ClassicFormat classic =
        hasVipsOperation("magickload_buffer") ? ClassicFormat::None : ownClassicFormatOf(*source_);
    const char* loader = nullptr;
    if (classic != ClassicFormat::None)
        loader = classicLoaderName(classic);
    else
        loader = readsAsOwnJxl(source_->loaderName()) ? kOwnJxlLoader : vipsLoaderOf(source_);
    if (!loader) {
        vips_error_clear();
        source_.reset();
        throw NotAnImageError(path);
    }
    SourceHeader header;
    try {
        // librsvg follows links in a drawing to files beside it; from memory it has no folder
        // to look in, so a hostile SVG cannot paint the user's files into the picture.
        if (loaderFamily(loader) == "Svg") {
            const QByteArray drawing = source_->contents(kMaxSvgBytes);
            if (drawing.isEmpty())
                return status::kImageTooLarge;
            svg_.reset(vips_blob_copy(drawing.constData(), size_t(drawing.size())),
                       [](VipsBlob* blob) { vips_area_unref(VIPS_AREA(blob)); });
        }
        if (std::string_view(loader) == kOwnJxlLoader) {
            const QByteArray bytes = source_->contents(kMaxJxlBytes);
            if (bytes.isEmpty())
                return status::kImageTooLarge;
            const DecodedJxl decoded = decodedJxl(bytes, kMaxPixels, kMaxRowBytes);
            if (decoded.tooLarge)
                return status::kImageTooLarge;
            decoded_ = decoded.image;
        }
        if (classic != ClassicFormat::None) {
            const QByteArray bytes = source_->contents(kMaxClassicBytes);
            if (bytes.isEmpty())
                return status::kImageTooLarge;
            const DecodedClassic decoded = decodedClassic(classic, bytes, kMaxPixels, kMaxRowBytes);
            if (decoded.tooLarge)
                return status::kImageTooLarge;
            decoded_ = decoded.image;
        }
        VImage file = opened(VImage::option()
                                 ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                 ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
        if (double(file.width()) * file.height() > kMaxPixels ||
            double(VIPS_IMAGE_SIZEOF_LINE(file.get_image())) > kMaxRowBytes)
            return status::kImageTooLarge;
        exif_ = exifOf(file);
        const bool turned = vips_image_get_orientation(file.get_image()) > 1;
        if (turned) {
            // Turning the image needs random access to its rows.
            file = opened(VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED)).autorot();
        }
        header = headerOf(loader, file, turned);
        header.fileBytes = source_->size();
        // The loader stops at its last frame as if the file ended there: its true length counts.
        if (header.pages >= kGifLoaderFrames && loaderFamily(loader) == "Nsgif")
            header.pages = std::max(header.pages, gifFramesInFile(source_->loaderName()));
        // libvips 8.15 on clips in thumbnail 16-bit pixels labelled 8-bit sRGB or grey.
        const bool deepAsEightBit = file.format() == VIPS_FORMAT_USHORT &&
                                    (file.interpretation() == VIPS_INTERPRETATION_sRGB ||
                                     file.interpretation() == VIPS_INTERPRETATION_B_W);
        cmykFile_ = file.interpretation() == VIPS_INTERPRETATION_CMYK;
        decodeWhole_ = cmykFile_ || (deepAsEightBit && vipsAtLeast(8, 15));
        // A resize reopens the file through thumbnail, so an lcms transform built here would
        // go unused: a profile is applied only once the loaded pixels are wanted.
        coloursPending_ = needsProfileTransform(file);
        image_ = coloursPending_ ? file : normalisedSrgb(file);
    } catch (const VError& e) {
        image_ = VImage();
        return statusFromVipsError(e, status::kCorruptData);
    }
    header_ = std::move(header);
    pristine_ = true;
    return status::kOk;
}

VImage LeadImage::reopenedSmaller(int width, const std::string& loaderOptions,
                                  vips::VOption* options) const {
    if (svg_)
        return VImage::thumbnail_buffer(svg_.get(), width,
                                        options->set("option_string", loaderOptions.c_str()));
    if (!decoded_.is_null()) {
        const std::unique_ptr<vips::VOption> unused(options);
        return decoded_.thumbnail_image(width);
    }
    if (splitByLibvips(source_->loaderName()))
        return VImage::thumbnail_source(sourceReading(source_), width,
                                        options->set("option_string", loaderOptions.c_str()));
    return VImage::thumbnail((source_->loaderName() + "[" + loaderOptions + "]").c_str(), width,
                             options);
}

QByteArray LeadImage::sourceBytes(qint64 maxBytes) const {
    return source_ && !svg_ ? source_->contents(maxBytes) : QByteArray();
}

std::string LeadImage::sourceName() const {
    return source_ && !svg_ ? source_->loaderName() : std::string();
}

bool LeadImage::sourceEndsBeforeItsLastRow() const {
    return source_ && loaderFamily(header_.loader) == "Jpeg" &&
           jpegEndsBeforeItsLastRow(source_->loaderName().c_str());
}

VImage LeadImage::opened(vips::VOption* options) const {
    if (svg_)
        return VImage::svgload_buffer(svg_.get(), options);
    if (!decoded_.is_null()) {
        // Decoded whole already: no loader's options apply.
        const std::unique_ptr<vips::VOption> unused(options);
        return decoded_;
    }
    if (splitByLibvips(source_->loaderName()))
        return VImage::new_from_source(sourceReading(source_), "", options);
    return VImage::new_from_file(source_->loaderName().c_str(), options);
}

VImage LeadImage::thumbnailOf(int width, int height) const {
    if (!decoded_.is_null())
        return decoded_.thumbnail_image(
            width, VImage::option()->set("height", height)->set("size", VIPS_SIZE_FORCE));
    vips::VOption* const options = VImage::option()
                                       ->set("height", height)
                                       ->set("size", VIPS_SIZE_FORCE)
                                       ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
    if (svg_)
        return VImage::thumbnail_buffer(svg_.get(), width, options);
    if (splitByLibvips(source_->loaderName()))
        return VImage::thumbnail_source(sourceReading(source_), width, options);
    return VImage::thumbnail(source_->loaderName().c_str(), width, options);
}

StepStatus LeadImage::sourceFault(Stage step) const {
    if (!source_)
        return {status::kOk, step};
    try {
        opened(VImage::option()
                   ->set("access", VIPS_ACCESS_SEQUENTIAL)
                   ->set("fail_on", VIPS_FAIL_ON_TRUNCATED))
            .avg();
    } catch (const VError& again) {
        // The one place damage met by a later step becomes the load's failure. A decode that
        // ran out of memory or files says nothing of the source: it stays with the step.
        const EngineStatus st = statusFromVipsError(again, status::kCorruptData);
        return {st, st == status::kCorruptData ? Stage::Load : step};
    }
    return {status::kOk, step};
}

} // namespace quillmorph
