#include "LeadImage.h"

#include "FileNames.h"
#include "OrcGuard.h"
#include "OutputFormat.h"
#include "PartialOutput.h"
#include "PsdWriter.h"
#include "SystemError.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <cmath>
#include <memory>
#include <string_view>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <vips/vector.h>

namespace quillmorph {

using vips::VError;
using vips::VImage;
using vips::VOption;

namespace {

// vips reads a name ending in "[…]" as a file name plus loader options, more than once on the
// way in, so such a file is read through a plainly named link.
std::shared_ptr<const QTemporaryDir> aliasFor(const FilePath& path) {
    if (!path.native().endsWith(']'))
        return nullptr;
    auto dir = std::make_shared<QTemporaryDir>();
    const FilePath link = FilePath(dir->path()).child(QByteArray("image"));
    if (!dir->isValid() || ::symlink(path.absolute().c_str(), link.c_str()) != 0)
        return nullptr;
    return dir;
}

// Why a file cannot be read, from what the file system says of it; kOk when it can be.
EngineStatus readableStatus(const FilePath& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == EACCES ? status::kAccessDenied : status::kFileNotFound;
    if (!S_ISREG(info.st_mode))
        return status::kNotAFile;
    if (info.st_size == 0)
        return status::kEmptyFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return statusFromSystemMessage(QString::fromLocal8Bit(std::strerror(errno)),
                                       status::kAccessDenied);
    ::close(fd);
    return status::kOk;
}

std::vector<double> rgbOf(quint32 colour) {
    return {double(colour & 0xFF), double((colour >> 8) & 0xFF), double((colour >> 16) & 0xFF)};
}

// An embedded profile that lcms reads and that describes the image's own colour channels. Any
// other (damaged, or made for another kind of image) is ignored: the pixels count as sRGB.
bool hasUsableProfile(const VImage& in) {
    if (in.get_typeof(VIPS_META_ICC_NAME) == 0)
        return false;
    size_t size = 0;
    const void* data = in.get_blob(VIPS_META_ICC_NAME, &size);
    if (size < 20 || !vips_icc_is_compatible_profile(in.get_image(), data, size))
        return false;
    const std::string_view space(static_cast<const char*>(data) + 16, 4);
    if (in.interpretation() == VIPS_INTERPRETATION_CMYK)
        return space == "CMYK";
    return space == (in.bands() <= 2 ? "GRAY" : "RGB ");
}

VImage withoutProfile(VImage in) {
    in = in.copy();
    in.remove(VIPS_META_ICC_NAME);
    return in;
}

// Colour numbers mean something only with their profile: they are carried into sRGB before the
// profile is dropped, or a Display P3 or Adobe RGB picture would come out dull and shifted.
VImage inSrgbColours(const VImage& in) {
    const bool cmyk = in.interpretation() == VIPS_INTERPRETATION_CMYK;
    const bool embedded = hasUsableProfile(in);
    if (!cmyk && !embedded)
        return in;
    try {
        return withoutProfile(in.icc_transform(
            "srgb", VImage::option()
                        ->set("embedded", embedded)
                        ->set("input_profile", cmyk ? "cmyk" : "srgb")
                        ->set("intent", VIPS_INTENT_PERCEPTUAL)));
    } catch (const VError&) {
        // lcms turned the profile down after all (no perceptual table): as good as none.
        vips_error_clear();
        return in;
    }
}

// 8-bit sRGB with at most one alpha band, whatever the file held (CMYK, 16 bit, grey, …).
VImage normalised(VImage in) {
    in = inSrgbColours(in);
    // 16-bit pixels that call themselves 8-bit sRGB or grey would be clipped, not scaled.
    if (in.format() == VIPS_FORMAT_USHORT && in.interpretation() == VIPS_INTERPRETATION_sRGB)
        in = in.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
    if (in.format() == VIPS_FORMAT_USHORT && in.interpretation() == VIPS_INTERPRETATION_B_W)
        in = in.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16));
    if (in.interpretation() != VIPS_INTERPRETATION_sRGB || in.bands() < 3)
        in = in.colourspace(VIPS_INTERPRETATION_sRGB);
    if (in.format() != VIPS_FORMAT_UCHAR)
        in = in.cast(VIPS_FORMAT_UCHAR);
    if (in.bands() > 4)
        in = in.extract_band(0, VImage::option()->set("n", 4));
    return in;
}

VImage flattenedRgb(VImage in, quint32 background) {
    if (in.has_alpha())
        in = in.flatten(VImage::option()->set("background", rgbOf(background)));
    if (in.bands() > 3)
        in = in.extract_band(0, VImage::option()->set("n", 3));
    if (in.format() != VIPS_FORMAT_UCHAR)
        in = in.cast(VIPS_FORMAT_UCHAR);
    return in;
}

// Resamplers may land a pixel off the requested size; trim or repeat the edge to hit it.
VImage exactSize(const VImage& in, int width, int height) {
    if (in.width() == width && in.height() == height)
        return in;
    return in.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
}

VImage resampled(const VImage& in, int width, int height) {
    const double hscale = double(width) / in.width();
    const double vscale = double(height) / in.height();
    return exactSize(in.resize(hscale, VImage::option()->set("vscale", vscale)), width, height);
}

int wholePixels(float v) {
    return std::max(1, int(std::floor(v)));
}

bool sizeIsUsable(float w, float h) {
    return std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0 && w <= VIPS_MAX_COORD &&
           h <= VIPS_MAX_COORD;
}

EngineStatus statusFromVipsError(const VError& e, EngineStatus fallback) {
    vips_error_clear();
    const QString text = QString::fromUtf8(e.what());
    if (text.contains(QLatin1String("out of memory"), Qt::CaseInsensitive))
        return status::kOutOfMemory;
    return statusFromSystemMessage(text, fallback);
}

void writeFile(const FilePath& path, const QByteArray& bytes) {
    QFile file;
    openForWriting(file, path);
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw FileWriteError(file.errorString().toStdString());
}

// libvips drops the JFIF marker together with the metadata; put the bare marker back so the
// stream is JFIF as old readers of CMP and JPEG files expect.
QByteArray withJfifMarker(QByteArray jpeg) {
    static const char kApp0[] = "\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00";
    if (jpeg.size() >= 4 && jpeg.at(2) == char(0xFF) && jpeg.at(3) != char(0xE0))
        jpeg.insert(2, kApp0, sizeof(kApp0) - 1);
    return jpeg;
}

void writeJfif(const VImage& image, const FilePath& path, int quality) {
    void* buffer = nullptr;
    size_t size = 0;
    image.write_to_buffer(".jpg", &buffer, &size,
                          VImage::option()->set("Q", quality)->set("strip", true));
    const std::unique_ptr<void, decltype(&g_free)> owned(buffer, &g_free);
    writeFile(path, withJfifMarker(QByteArray(static_cast<const char*>(buffer), qsizetype(size))));
}

// ImageMagick will not write to a descriptor's name, so it encodes to memory.
void writeWithMagick(const VImage& image, const FilePath& path, const char* format) {
    VipsBlob* blob =
        image.magicksave_buffer(VImage::option()->set("format", format)->set("strip", true));
    const std::unique_ptr<VipsArea, decltype(&vips_area_unref)> owned(VIPS_AREA(blob),
                                                                      &vips_area_unref);
    size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    writeFile(path, QByteArray::fromRawData(static_cast<const char*>(data), qsizetype(size)));
}

void writeWithSaver(const VImage& image, const FilePath& file, const OutputFormat& format,
                    int factor) {
    const int quality = jpegQualityFromFactor(factor);
    switch (format.writer) {
    case Writer::Jfif:
        writeJfif(image, file, quality);
        return;
    case Writer::Vips: {
        VOption* options =
            VImage::option()->set("in", image)->set("filename", file.c_str())->set("strip", true);
        if (format.usesQuality)
            options->set("Q", quality);
        VImage::call_option_string(format.saver, format.options, options);
        return;
    }
    case Writer::Magick:
        writeWithMagick(image, file, format.saver);
        return;
    case Writer::Psd:
        // ImageMagick's Q16 build writes 16-bit PSD; we promise 8 bits per channel.
        writePsd(image, file);
        return;
    }
}

} // namespace

NotAnImageError::NotAnImageError(const FilePath& path)
    : std::runtime_error("not an image: " + path.native().toStdString()) {}

int jpegQualityFromFactor(int qualityFactor) {
    const double q = std::round(100.0 - (qualityFactor - 2) / 2.52);
    return int(std::clamp(q, 1.0, 100.0));
}

EngineStatus LeadImage::Load(const FilePath& path) {
    image_ = VImage();
    path_ = {};
    loader_.clear();
    alias_.reset();
    pristine_ = false;
    flatColour_.reset();

    if (const EngineStatus st = readableStatus(path); st != status::kOk)
        return st;

    alias_ = aliasFor(path);
    path_ = path;
    const std::string name = vipsName();
    const char* loader = vips_foreign_find_load(name.c_str());
    if (!loader) {
        vips_error_clear();
        throw NotAnImageError(path);
    }
    loader_ = loader;
    try {
        VImage file = VImage::new_from_file(name.c_str(),
                                            VImage::option()
                                                ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
        if (double(file.width()) * file.height() > kMaxPixels)
            return status::kImageTooLarge;
        if (vips_image_get_orientation(file.get_image()) > 1) {
            // Turning the image needs random access to its rows.
            file = VImage::new_from_file(name.c_str(),
                                         VImage::option()->set("fail_on", VIPS_FAIL_ON_TRUNCATED))
                       .autorot();
        }
        cmykFile_ = file.interpretation() == VIPS_INTERPRETATION_CMYK;
        image_ = normalised(file);
    } catch (const VError& e) {
        image_ = VImage();
        return statusFromVipsError(e, status::kCorruptData);
    }
    pristine_ = true;
    return status::kOk;
}

bool LeadImage::progressiveJpeg() const {
    return image_.get_typeof("jpeg-multiscan") != 0 && image_.get_int("jpeg-multiscan") != 0;
}

double LeadImage::workingBytes(double boxPixels) const {
    if (isEmpty())
        return 0;
    // These decode at reduced scale, or stream rows, when the result is a small box.
    static const std::array<std::string_view, 6> kShrinking{
        "VipsForeignLoadJpegFile", "VipsForeignLoadPngFile", "VipsForeignLoadWebpFile",
        "VipsForeignLoadTiffFile", "VipsForeignLoadNsgifFile", "VipsForeignLoadSvgFile"};
    const bool shrinks = std::find(kShrinking.begin(), kShrinking.end(), loader_) != kShrinking.end();
    const double pixels = double(image_.width()) * image_.height();
    // A progressive JPEG keeps every coefficient until its last scan, whatever the scale.
    if (progressiveJpeg())
        return 6.0 * pixels;
    if (boxPixels > 0 && shrinks)
        return 16.0 * boxPixels;
    return 8.0 * pixels; // decoded, converted and encoded side by side
}

double LeadImage::relativeCost() const {
    if (isEmpty())
        return 0;
    // CPU per megapixel into a photo-sized box, measured on desktop wallpapers: a baseline
    // JPEG (shrunk while decoding) is 1; WebP shrinks cheaper still; a progressive JPEG
    // decodes every scan; PNG and the rest decode every pixel.
    double perPixel = 3.0;
    if (loader_ == "VipsForeignLoadJpegFile")
        perPixel = progressiveJpeg() ? 2.0 : 1.0;
    else if (loader_ == "VipsForeignLoadWebpFile")
        perPixel = 0.7;
    return perPixel * double(image_.width()) * image_.height();
}

float LeadImage::width() const {
    return isEmpty() ? 0.0f : float(image_.width());
}

float LeadImage::height() const {
    return isEmpty() ? 0.0f : float(image_.height());
}

EngineStatus LeadImage::Size(float w, float h) {
    if (isEmpty())
        return status::kNoImage;
    if (!sizeIsUsable(w, h))
        return status::kBadDimensions;
    const int tw = wholePixels(w);
    const int th = wholePixels(h);
    if (double(tw) * th > kMaxPixels)
        return status::kImageTooLarge;
    try {
        // thumbnail turns CMYK into RGB through a stock profile before any embedded one is
        // looked at (and its own import in linear light shifts dark tones), so CMYK files are
        // decoded whole and reduced as they stream in; they are rare outside print work.
        if (pristine_ && !cmykFile_) {
            // Reopening through thumbnail lets JPEG, WebP and others decode at reduced scale.
            image_ = exactSize(normalised(VImage::thumbnail(
                                   vipsName().c_str(), tw,
                                   VImage::option()
                                       ->set("height", th)
                                       ->set("size", VIPS_SIZE_FORCE)
                                       ->set("fail_on", VIPS_FAIL_ON_TRUNCATED))),
                               tw, th);
        } else {
            image_ = resampled(image_, tw, th);
        }
    } catch (const VError& e) {
        return statusFromVipsError(e, status::kEngineFailure);
    }
    pristine_ = false;
    return status::kOk;
}

void LeadImage::copyFrom(const LeadImage& other) {
    // VImage is an immutable, reference-counted pipeline: sharing it is an independent copy.
    image_ = other.image_;
    path_ = other.path_;
    loader_ = other.loader_;
    alias_ = other.alias_;
    pristine_ = other.pristine_;
    cmykFile_ = other.cmykFile_;
    flatColour_ = other.flatColour_;
}

EngineStatus LeadImage::Fill(quint32 colour) {
    if (isEmpty())
        return status::kNoImage;
    try {
        image_ = VImage::black(image_.width(), image_.height())
                     .new_from_image(rgbOf(colour))
                     .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    } catch (const VError& e) {
        return statusFromVipsError(e, status::kEngineFailure);
    }
    pristine_ = false;
    flatColour_ = colour;
    return status::kOk;
}

EngineStatus LeadImage::Combine(float left, float top, float width, float height,
                                const LeadImage& src, float srcLeft, float srcTop) {
    if (isEmpty() || src.isEmpty())
        return status::kNoImage;
    if (!sizeIsUsable(width, height) || !std::isfinite(left) || !std::isfinite(top) ||
        srcLeft < 0 || srcTop < 0 || srcLeft >= src.width() || srcTop >= src.height())
        return status::kBadDimensions;
    const int x = int(std::floor(left));
    const int y = int(std::floor(top));
    const int w = wholePixels(width);
    const int h = wholePixels(height);
    try {
        VImage piece = src.image_;
        const int sx = int(srcLeft);
        const int sy = int(srcTop);
        if (sx > 0 || sy > 0)
            piece = piece.crop(sx, sy, piece.width() - sx, piece.height() - sy);
        if (piece.width() != w || piece.height() != h)
            piece = resampled(piece, w, h);
        if (flatColour_) {
            // Over a single colour, placing the piece is an embed: no canvas is ever painted.
            image_ = flattenedRgb(piece, *flatColour_)
                         .embed(x, y, image_.width(), image_.height(),
                                VImage::option()
                                    ->set("extend", VIPS_EXTEND_BACKGROUND)
                                    ->set("background", rgbOf(*flatColour_)));
        } else if (piece.has_alpha()) {
            image_ = image_.composite2(piece, VIPS_BLEND_MODE_OVER,
                                       VImage::option()->set("x", x)->set("y", y));
            image_ = normalised(image_);
        } else {
            image_ = image_.insert(piece, x, y);
        }
    } catch (const VError& e) {
        return statusFromVipsError(e, status::kEngineFailure);
    }
    pristine_ = false;
    flatColour_.reset();
    return status::kOk;
}

EngineStatus LeadImage::Save(const FilePath& path, int formatCode, int qualityFactor) const {
    if (nameIsTaken(path))
        return status::kOutputExists;
    PartialOutput output;
    if (const EngineStatus st = Encode(path.absolute().parent(), formatCode, qualityFactor, output);
        st != status::kOk)
        return st;
    return output.commit(path);
}

EngineStatus LeadImage::Encode(const FilePath& folder, int formatCode, int qualityFactor,
                               PartialOutput& output) const {
    if (isEmpty())
        return status::kNoImage;
    const std::optional<OutputFormat> format = outputFormatForCode(formatCode);
    if (!format)
        return status::kUnknownFormatCode;
    if (!canWrite(*format))
        return status::kNoEncoder;
    if (image_.width() > format->maxSide || image_.height() > format->maxSide)
        return status::kTooLargeForFormat;
    if (const EngineStatus st = output.create(folder); st != status::kOk)
        return st;

    try {
        const VImage out = flattenedRgb(image_, 0xFFFFFF);
        writeWithSaver(out, output.temporaryPath(), *format, qualityFactor);
    } catch (const VError& e) {
        output = PartialOutput();
        // libheif present but built without an AV1 encoder: the saver exists, the codec not.
        if (std::string_view(e.what()).find("Unsupported compression") != std::string_view::npos) {
            vips_error_clear();
            return status::kNoEncoder;
        }
        const EngineStatus fromMessage = statusFromVipsError(e, status::kOk);
        return fromMessage != status::kOk ? fromMessage : saveFailureStatus(folder);
    } catch (const FileWriteError& e) {
        output = PartialOutput();
        return statusFromSystemMessage(QString::fromUtf8(e.what()), status::kWriteFailed);
    }
    return status::kOk;
}

std::string LeadImage::vipsName() const {
    const FilePath name = alias_ ? FilePath(alias_->filePath(QStringLiteral("image"))) : path_;
    return name.native().toStdString();
}

EngineStatus LeadImage::saveFailureStatus(const FilePath& folder) const {
    if (!isFolder(folder))
        return status::kFolderMissing;
    // Pixels are decoded only now, so a damaged source surfaces here; tell it from an
    // encoder failure by decoding the source on its own.
    if (!path_.isEmpty()) {
        try {
            VImage::new_from_file(vipsName().c_str(),
                                  VImage::option()
                                      ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                      ->set("fail_on", VIPS_FAIL_ON_TRUNCATED))
                .avg();
        } catch (const VError&) {
            vips_error_clear();
            return status::kCorruptData;
        }
    }
    return status::kEncodeFailed;
}

} // namespace quillmorph

namespace quillmorph {

bool startImagingEngine(const char* argv0) {
#ifdef __GLIBC__
    // Every worker thread would get a malloc arena of its own that keeps freed image buffers;
    // two arenas hold a batch's memory to what it really uses.
    mallopt(M_ARENA_MAX, 2);
    // glibc raises its mmap threshold to the largest block freed so far, after which image
    // buffers of a few MB are carved from the heaps and strand memory between them: a batch's
    // peak then wandered by 20 % from run to run. A fixed 1 MiB hands them back on free.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
    if (VIPS_INIT(argv0) != 0)
        return false;
    // Damaged files are reported through statuses; vips' own warnings would only be noise.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    // Cached loads would pin file handles and serve stale pixels for a file changed on disk.
    vips_cache_set_max(0);
    // Orc vector code is only safe on several threads once its compiles and frees are
    // serialised (OrcGuard.cpp); without that, the plain C paths (about 15 % more CPU).
    if (!orcCallsSerialised())
        vips_vector_set_enabled(FALSE);
    return true;
}

} // namespace quillmorph
