#include "ConvertFiles.h"

#include "FileNames.h"
#include "FitAndPad.h"
#include "FitGeometry.h"
#include "Messages.h"
#include "OutputFolder.h"
#include "OutputFormat.h"
#include "PartialOutput.h"

#include <QSet>
#include <QThread>
#include <algorithm>
#include <deque>
#include <future>
#include <cmath>
#include <limits>

namespace quillmorph {

namespace {

// One file taken as far as it goes without knowing what happened to the files before it:
// loaded, fitted and encoded under a temporary name. Naming and committing happen in order.
struct PreparedFile {
    QString failure;     // the message without the path; empty on success
    QStringList reports; // fill and combine reports, to show in file order
    PartialOutput output;
    QString title;
    QString extension;
};

PreparedFile prepareFile(const QString& path, const ConversionSettings& settings,
                         const QString& folder) {
    PreparedFile prepared;
    ImagePair images;
    LeadImage& LEAD1 = images.LEAD1;
    try {
        if (const EngineStatus st = LEAD1.Load(path); st != status::kOk) {
            prepared.failure = message::ErrorProc(st, QStringLiteral("Load"));
            return prepared;
        }
    } catch (const NotAnImageError&) {
        prepared.failure = message::notAnImage();
        return prepared;
    }

    FitRequest fit{settings.sizeConversion, 0, 0, settings.backColor};
    if (settings.sizeConversion) {
        const auto w = boxSideFromText(settings.widthText);
        const auto h = boxSideFromText(settings.heightText);
        if (!w || !h) {
            prepared.failure = message::boxSizeRange();
            return prepared;
        }
        fit.boxWidth = *w;
        fit.boxHeight = *h;
    }
    const auto report = [&](const QString& text) { prepared.reports << text; };
    if (const EngineStatus st = FitAndPad(LEAD1, images.LEAD_work, fit, report); st != status::kOk) {
        prepared.failure = message::ErrorProc(st, QStringLiteral("Size"));
        return prepared;
    }

    const auto format = outputFormatFor(settings.formatText);
    if (!format) {
        prepared.failure = message::formatSelection(settings.formatText);
        return prepared;
    }
    prepared.title = ufnGetFileTitle(GetBaseName(path));
    prepared.extension = QLatin1String(format->extension);
    const int quality = qualityFactorFromText(settings.qualityFactorText);
    if (const EngineStatus st = LEAD1.Encode(folder, int(format->code), quality, prepared.output);
        st != status::kOk) {
        // Pixels are decoded only while encoding; a damaged source is still a load failure.
        const QString operation =
            st == status::kCorruptData ? QStringLiteral("Load") : QStringLiteral("Save");
        prepared.failure = message::ErrorProc(st, operation);
    }
    return prepared;
}

std::future<PreparedFile> startFile(const QString& path, const ConversionSettings& settings,
                                    const QString& folder) {
    return std::async(std::launch::async, [=] {
        PreparedFile prepared;
        try {
            prepared = prepareFile(path, settings, folder);
        } catch (const std::bad_alloc&) {
            prepared.failure = message::ErrorProc(status::kOutOfMemory, QStringLiteral("Load"));
        } catch (const std::exception&) {
            prepared.failure = message::ErrorProc(status::kEngineFailure, QStringLiteral("Load"));
        }
        vips_thread_shutdown(); // this thread ends here; free what vips kept for it
        return prepared;
    });
}

int filesInFlightFor(int requested) {
    if (requested > 0)
        return requested;
    return std::clamp(QThread::idealThreadCount(), 1, 4);
}

} // namespace

int qualityFactorFromText(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || std::isnan(value))
        return 2;
    const double clamped = std::clamp(std::nearbyint(value), double(std::numeric_limits<qint16>::min()),
                                      double(std::numeric_limits<qint16>::max()));
    return int(clamped);
}

BatchResult ConvertFiles(const QStringList& files, const BatchPlace& place,
                         const OptionsSource& options, BatchSink& sink) {
    BatchResult result;
    const QString name = outputFolderName(place.startedAt, place.locale);
    result.outputFolder = createOutputFolder(place.parentFolder, name);
    if (result.outputFolder.isEmpty()) {
        result.outcome = BatchResult::Outcome::Failed;
        result.message = message::outputFolderFailed(place.parentFolder + QLatin1Char('/') + name);
        return result;
    }
    sink.batchStarted(result.outputFolder);

    // Later files are loaded and encoded while earlier ones finish, one per core; their
    // outputs are named and committed strictly in order, and dropped when the batch ends early.
    const int count = int(files.size());
    const int depth = filesInFlightFor(place.filesInFlight);
    std::deque<std::future<PreparedFile>> inFlight;
    int started = 0;
    QSet<QString> taken;
    for (int i = 0; i < count; ++i) {
        if (sink.cancelRequested()) {
            result.outcome = BatchResult::Outcome::Cancelled;
            result.message = message::cancelled(result.converted);
            return result;
        }
        sink.fileStarted(i + 1, count, files[i]);
        while (started < count && started < i + depth) {
            inFlight.push_back(startFile(files[started], options.current(), result.outputFolder));
            ++started;
        }
        PreparedFile prepared = inFlight.front().get();
        inFlight.pop_front();

        for (const QString& text : std::as_const(prepared.reports))
            sink.report(message::withPath(text, files[i]));
        QString failure = prepared.failure;
        QString output;
        if (failure.isEmpty()) {
            output = freeOutputPath(result.outputFolder, prepared.title, prepared.extension, taken);
            if (const EngineStatus st = prepared.output.commit(output); st != status::kOk)
                failure = message::ErrorProc(st, QStringLiteral("Save"));
        }
        if (!failure.isEmpty()) {
            result.outcome = BatchResult::Outcome::Failed;
            result.message = message::withPath(failure, files[i]);
            return result;
        }
        sink.fileConverted(files[i], output);
        ++result.converted;
    }
    result.message = message::completed(count);
    return result;
}

} // namespace quillmorph
