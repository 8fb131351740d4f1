#include "batch/FileConversion.h"

#include "batch/ConversionCost.h"
#include "engine/Animation.h"
#include "engine/Encoding.h"
#include "engine/FitAndPad.h"
#include "engine/ImagingEngine.h"
#include "engine/KeptExif.h"
#include "engine/QualityByEye.h"
#include "files/FileNames.h"
#include "files/FileSystem.h"

#include <QDateTime>
#include <new>

namespace quillmorph {

StartedFile openFile(const BatchItem& item, const std::shared_ptr<ColourTransforms>& transforms) {
    StartedFile file;
    file.path = item.source;
    file.images.LEAD1.useColourTransforms(transforms);
    if (item.unreadable != status::kOk) {
        file.failure = Failure::engine(item.unreadable, Stage::Load, item.source);
        return file;
    }
    try {
        const EngineStatus st = file.images.LEAD1.Load(item.source);
        // An empty file in a folder is a placeholder, not a damaged picture.
        if (st == status::kEmptyFile && item.inFolder)
            file.skipped = true;
        else if (st != status::kOk)
            file.failure = Failure::engine(st, Stage::Load, item.source);
    } catch (const NotAnImageError&) {
        // In a folder, text files, videos and thumbnail caches sit beside the pictures.
        if (item.inFolder)
            file.skipped = true;
        else
            file.failure = Failure::of(Failure::Kind::NotAnImage, item.source);
    }
    if (!file.needsNoWorker())
        file.cost = relativeCost(file.images.LEAD1.header());
    return file;
}

namespace {

// The photo's day taken, else the day the file was last changed (local time), as YYYYMMDD.
QByteArray dayOf(const QByteArray& exif, const FilePath& path) {
    if (QByteArray taken = exifDateTaken(exif); !taken.isEmpty())
        return taken;
    const QDateTime changed = modificationTimeOf(path);
    if (!changed.isValid())
        return {};
    return changed.toString(u"yyyyMMdd").toLatin1();
}

// LEAD1 into a temporary output, as plan says: at the quality given or chosen by eye, held to
// the file-size limit where one applies.
StepStatus encode(const LeadImage& LEAD1, const Folder& folder, const ConversionOptions& options,
                  const ConversionPlan& plan, PreparedFile& prepared) {
    const OutputFormat& format = *plan.format;
    const SizeLimit limit{plan.withinSizeLimit() ? options.sizeLimitBytes : 0, plan.mayShrink};
    LimitedEncoding result;
    StepStatus st;
    bool judged = plan.judgedByEye;
    if (judged) {
        st = EncodeByEye(LEAD1, folder, format, options.qualityFactor, limit, prepared.output,
                         options.keepExif, result);
        // The metric may still find no memory: the picture then has the fixed quality.
        judged = result.judgedByEye;
        if (st.ok() && judged)
            prepared.qualityByEye = result.quality;
    } else if (!plan.withinSizeLimit()) {
        st =
            Encode(LEAD1, folder, format, options.qualityFactor, prepared.output, options.keepExif);
    } else {
        st = EncodeWithin(LEAD1, folder, format, options.qualityFactor, limit, prepared.output,
                          options.keepExif, result);
    }
    if (st.ok() && !result.within)
        prepared.overLimit = OverLimit{{}, result.bytes.size(), options.sizeLimitBytes};
    prepared.notJudgedByEye = st.ok() && plan.byEye() && !judged;
    return st;
}

} // namespace

PreparedFile prepareFile(StartedFile& file, const Folder& folder) {
    PreparedFile prepared;
    prepared.keepGoing = file.options.keepGoing;
    prepared.skipped = file.skipped;
    if (file.skipped)
        return prepared;
    if (file.failure) {
        prepared.failure = file.failure;
        return prepared;
    }
    const ConversionOptions& options = file.options;
    const ConversionPlan& plan = file.plan;
    if (plan.noBox) {
        prepared.failure = Failure::of(Failure::Kind::BoxSize, {});
        return prepared;
    }
    LeadImage& LEAD1 = file.images.LEAD1;
    const auto report = [&](PadStep step) {
        prepared.reports << (step == PadStep::Fill ? Failure::Kind::FillFailed
                                                   : Failure::Kind::CombineFailed);
    };
    // Into GIF and WEBP an animation keeps its frames; elsewhere its first frame is the picture.
    const StepStatus fitted = plan.animated
                                  ? FitAnimation(LEAD1, plan.fit)
                                  : FitAndPad(LEAD1, file.images.LEAD_work, plan.fit, report);
    if (!fitted.ok()) {
        prepared.failure = Failure::engine(fitted, file.path);
        return prepared;
    }

    const OutputFormat* format = plan.format;
    if (!format) {
        prepared.failure = Failure::unknownFormat(options.format.unknownText, {});
        return prepared;
    }
    prepared.title = ufnGetFileTitle(GetBaseName(file.path));
    if (!options.namePattern.isEmpty()) {
        prepared.pattern = options.namePattern;
        prepared.fields.name = prepared.title;
        prepared.fields.width = int(LEAD1.width());
        prepared.fields.height = int(LEAD1.height());
        prepared.fields.preset = options.presetName;
        if (options.namePattern.usesDate())
            prepared.fields.date = dayOf(LEAD1.exif(), file.path);
    }
    prepared.extension = format->extension;
    if (const StepStatus st = encode(LEAD1, folder, options, plan, prepared); !st.ok()) {
        prepared.failure = Failure::engine(st, file.path);
        return prepared;
    }
    // A date the file system will not take is no reason to lose the picture.
    if (options.keepDates)
        prepared.output.takeTimesOf(file.path);
    return prepared;
}

PreparedFile prepareOnWorker(StartedFile& file, const Folder& folder,
                             const std::atomic<bool>& abandoned) {
    PreparedFile prepared;
    const int warnings = vipsWarningsOnThisThread();
    try {
        if (!abandoned)
            prepared = prepareFile(file, folder);
    } catch (const std::bad_alloc&) {
        prepared.failure = Failure::engine(status::kOutOfMemory, Stage::Load, file.path);
    } catch (const std::exception&) {
        prepared.failure = Failure::engine(status::kEngineFailure, Stage::Load, file.path);
    }
    // Release the pipeline on the thread that ran it. libvips' JPEG decoder tells of what
    // libjpeg warned only as it closes: a warning then asks whether the data was cut short.
    file.images.LEAD_work = LeadImage();
    file.images.LEAD1.releasePixels();
    if (!prepared.failure && !prepared.skipped && vipsWarningsOnThisThread() != warnings &&
        file.images.LEAD1.sourceEndsBeforeItsLastRow()) {
        PreparedFile damaged;
        damaged.keepGoing = prepared.keepGoing;
        damaged.failure = Failure::engine(status::kCorruptData, Stage::Load, file.path);
        prepared = std::move(damaged);
    }
    file.images = ImagePair();
    return prepared;
}

} // namespace quillmorph
