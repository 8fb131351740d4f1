// Any bytes through the whole per-file path, as a batch converts a dropped file: Load with
// whichever loader libvips picks for them, FitAndPad with a few fixed option sets, and an
// encode into memory for each set. Which format family a set encodes to follows from the
// bytes, so every family gets its turn and a kept input replays exactly. Any status is a fine
// outcome; a crash, a leak, a hang, an allocation past libFuzzer's limit or an image of the
// wrong size is a fault.
#include "OrcGuard.h"
#include "engine/Encoding.h"
#include "engine/FitAndPad.h"
#include "engine/FitGeometry.h"
#include "engine/FormatWriters.h"
#include "engine/ImagingEngine.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

using namespace quillmorph;

// libFuzzer sees coverage only in code compiled for it, not inside libvips and the codecs under
// it; these counters add what the engine made of each input (the loader, the kind of pixels,
// each status) so that an input reaching a new kind of image is kept. libFuzzer finds them by
// their section, so they cannot live anywhere else.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t gOutcomes[8192];

namespace {

struct OptionSet {
    FitRequest fit;
    int qualityFactor;
};

// Padding into a box (as the window's default, smaller), a box a few pixels across with a
// coloured margin and a low quality, each picture's own size, fit without enlarging, and fill
// keeping the busiest part.
constexpr std::array<OptionSet, 5> kOptionSets{{
    {{true, 96, 72, 0xFFFFFF, FitMode::Pad, CropAnchor::Centre, false}, 2},
    {{true, 7, 5, 0x3366CC, FitMode::Pad, CropAnchor::Centre, false}, 200},
    {{false, 0, 0, 0x000000, FitMode::Pad, CropAnchor::Centre, false}, 77},
    {{true, 96, 72, 0x808080, FitMode::Fit, CropAnchor::Centre, true}, 50},
    {{true, 64, 48, 0x00FF00, FitMode::Fill, CropAnchor::Attention, false}, 128},
}};

// A picture within the engine's pixel limit may rightly take gigabytes and minutes at its own
// size (an SVG of 150 bytes can ask for 30000 × 30000), which is its cost, not a fault; the
// own-size set stops here. The two boxes still take every file whole.
constexpr double kOwnSizeBudget = 32.0 * 1024 * 1024;

// One format of each writer family; the others share a writer with one of these.
constexpr std::array<FormatCode, 6> kFamilies{FormatCode::Jpeg, FormatCode::Png, FormatCode::Webp,
                                              FormatCode::Gif,  FormatCode::Psd, FormatCode::Tiff};

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "pipeline fuzzer: %s\n", what);
        std::abort();
    }
}

bool isEngineStatus(EngineStatus st) {
    return st == status::kOk || (st >= status::kEngineFailure && st <= status::kLast);
}

// The input goes where Load expects it: a file, under a name that leaves the choice of loader
// to the bytes.
const QString& inputPath() {
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input"));
    return path;
}

quint32 hashOf(const uint8_t* data, size_t size) {
    quint32 h = 2166136261u; // FNV-1a
    for (size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

quint32 hashOf(const std::string& text) {
    return hashOf(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void noteOutcome(std::initializer_list<quint32> parts) {
    quint32 h = 2166136261u;
    for (const quint32 part : parts)
        h = (h ^ part) * 16777619u;
    uint8_t& counter = gOutcomes[h % sizeof gOutcomes];
    if (counter < 255)
        ++counter;
}

quint32 log2Of(float side) {
    return quint32(std::bit_width(quint32(side)));
}

// The kind of pixels the file holds, as libvips' header tells it.
void noteSource() {
    try {
        const vips::VImage file = vips::VImage::new_from_file(
            inputPath().toUtf8().constData(), vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        const std::string loader =
            file.get_typeof(VIPS_META_LOADER) != 0 ? file.get_string(VIPS_META_LOADER) : "";
        noteOutcome({1, hashOf(loader), quint32(file.bands()),
                     quint32(file.format()), quint32(file.interpretation()), quint32(file.coding()),
                     quint32(vips_image_get_n_pages(file.get_image())),
                     quint32(vips_image_get_orientation(file.get_image())),
                     quint32(file.get_typeof(VIPS_META_ICC_NAME) != 0)});
    } catch (const vips::VError&) {
        vips_error_clear();
        noteOutcome({1});
    }
}

// The size FitAndPad must leave: the box when padding, the picture's own size without size
// conversion, the planned scaled (and, for fill, cropped) size in the other modes.
void requireFittedSize(const LeadImage& LEAD1, const FitRequest& fit, float sourceW, float sourceH) {
    int w = fit.sizeConversion ? fit.boxWidth : boxSideFromImage(sourceW);
    int h = fit.sizeConversion ? fit.boxHeight : boxSideFromImage(sourceH);
    if (fit.sizeConversion && fit.mode != FitMode::Pad) {
        const ScalePlan plan = planScale(fit.mode, fit.boxWidth, fit.boxHeight, int(sourceW),
                                         int(sourceH), fit.noEnlarge);
        w = plan.width;
        h = plan.height;
        require(w >= 1 && h >= 1 && w <= fit.boxWidth && h <= fit.boxHeight, "planned outside the box");
    }
    require(LEAD1.width() == float(w) && LEAD1.height() == float(h), "fitted image has the wrong size");
}

// The file a batch would write, held in memory: the fuzzer leaves no files behind.
EngineStatus encodeToMemory(const LeadImage& LEAD1, const OutputFormat& format, int qualityFactor,
                            QByteArray& bytes) {
    return encodeWith(LEAD1, format, false, {},
                      [&](const vips::VImage& rgb8, const QByteArray& exif) {
                          bytes = encodedImage(rgb8, format, qualityFactor, exif);
                      })
        .status;
}

// The encoded bytes must be a file of the fitted size that libvips reads back.
void requireReadable(const QByteArray& bytes, const LeadImage& LEAD1) {
    require(!bytes.isEmpty(), "encoder returned no bytes");
    vips::VImage back;
    try {
        back = vips::VImage::new_from_buffer(bytes.constData(), size_t(bytes.size()), "");
    } catch (const vips::VError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        require(false, "encoded bytes do not read back");
    }
    require(back.width() == int(LEAD1.width()) && back.height() == int(LEAD1.height()),
            "encoded image has the wrong size");
}

void convertOnce(const OptionSet& set, quint32 setIndex, const OutputFormat& format) {
    LeadImage LEAD1;
    LeadImage LEAD_work;
    EngineStatus st = status::kOk;
    try {
        st = LEAD1.Load(FilePath(inputPath()));
    } catch (const NotAnImageError&) {
        return;
    }
    require(isEngineStatus(st), "Load returned no engine status");
    noteOutcome({2, setIndex, quint32(st)});
    if (st != status::kOk)
        return;
    // A batch decodes a JPEG that warned again with libjpeg itself; once per input.
    if (setIndex == 0)
        noteOutcome({5, quint32(LEAD1.sourceEndsBeforeItsLastRow())});
    const float sourceW = LEAD1.width();
    const float sourceH = LEAD1.height();
    require(sourceW >= 1 && sourceH >= 1 && double(sourceW) * sourceH <= kMaxPixels,
            "Load accepted an image outside the pixel limit");
    if (!set.fit.sizeConversion && double(sourceW) * sourceH > kOwnSizeBudget)
        return;
    st = FitAndPad(LEAD1, LEAD_work, set.fit, [](PadStep) {}).status;
    require(isEngineStatus(st), "FitAndPad returned no engine status");
    noteOutcome({3, setIndex, quint32(st), log2Of(sourceW), log2Of(sourceH)});
    if (st != status::kOk)
        return;
    requireFittedSize(LEAD1, set.fit, sourceW, sourceH);
    QByteArray bytes;
    st = encodeToMemory(LEAD1, format, set.qualityFactor, bytes);
    require(isEngineStatus(st), "encodeToMemory returned no engine status");
    noteOutcome({4, quint32(format.code), quint32(st)});
    if (st == status::kOk)
        requireReadable(bytes, LEAD1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    if (!startImagingEngine((*argv)[0], orcVectorCodeSafe() ? VectorCode::On : VectorCode::Off))
        std::abort();
    require(!inputPath().isEmpty(), "no temporary folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        QFile file(inputPath());
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
                "cannot write the input file");
    }
    noteSource();
    const quint32 h = hashOf(data, size);
    for (quint32 i = 0; i < kOptionSets.size(); ++i)
        convertOnce(kOptionSets[i], i, *outputFormatFor(kFamilies[(h + i) % kFamilies.size()]));
    return 0;
}
