#include "ConvertFiles.h"

#include "FileNames.h"
#include "FitAndPad.h"
#include "FitGeometry.h"
#include "Messages.h"
#include "OutputFolder.h"
#include "OutputFormat.h"

#include <QSet>
#include <cmath>
#include <limits>

namespace quillmorph {

namespace {

class Batch {
public:
    Batch(const QString& folder, const OptionsSource& options, BatchSink& sink, ImagePair& images)
        : folder_(folder), options_(options), sink_(sink), images_(images) {}

    // Converts one file; an empty result means success, otherwise the failure message.
    QString convert(const QString& path) {
        const ConversionSettings settings = options_.current();
        LeadImage& LEAD1 = images_.LEAD1;
        try {
            if (const EngineStatus st = LEAD1.Load(path); st != status::kOk)
                return message::ErrorProc(st, QStringLiteral("Load"));
        } catch (const NotAnImageError&) {
            return message::notAnImage();
        }

        FitRequest fit{settings.sizeConversion, 0, 0, settings.backColor};
        if (settings.sizeConversion) {
            const auto w = boxSideFromText(settings.widthText);
            const auto h = boxSideFromText(settings.heightText);
            if (!w || !h)
                return message::boxSizeRange();
            fit.boxWidth = *w;
            fit.boxHeight = *h;
        }
        const auto report = [&](const QString& text) { sink_.report(message::withPath(text, path)); };
        if (const EngineStatus st = FitAndPad(LEAD1, images_.LEAD_work, fit, report);
            st != status::kOk)
            return message::ErrorProc(st, QStringLiteral("Size"));

        const auto format = outputFormatFor(settings.formatText);
        if (!format)
            return message::formatSelection(settings.formatText);

        const QString title = ufnGetFileTitle(GetBaseName(path));
        const QString output =
            freeOutputPath(folder_, title, QLatin1String(format->extension), taken_);
        const int quality = qualityFactorFromText(settings.qualityFactorText);
        if (const EngineStatus st = LEAD1.Save(output, int(format->code), quality);
            st != status::kOk) {
            // Pixels are decoded only while saving; a damaged source is still a load failure.
            const QString operation =
                st == status::kCorruptData ? QStringLiteral("Load") : QStringLiteral("Save");
            return message::ErrorProc(st, operation);
        }
        sink_.fileConverted(path, output);
        return {};
    }

private:
    const QString folder_;
    const OptionsSource& options_;
    BatchSink& sink_;
    ImagePair& images_;
    QSet<QString> taken_;
};

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
                         const OptionsSource& options, BatchSink& sink, ImagePair& images) {
    BatchResult result;
    const QString name = outputFolderName(place.startedAt, place.locale);
    result.outputFolder = createOutputFolder(place.parentFolder, name);
    if (result.outputFolder.isEmpty()) {
        result.outcome = BatchResult::Outcome::Failed;
        result.message = message::outputFolderFailed(place.parentFolder + QLatin1Char('/') + name);
        return result;
    }

    sink.batchStarted(result.outputFolder);
    Batch batch(result.outputFolder, options, sink, images);
    const int count = int(files.size());
    for (int i = 0; i < count; ++i) {
        if (sink.cancelRequested()) {
            result.outcome = BatchResult::Outcome::Cancelled;
            result.message = message::cancelled(result.converted);
            return result;
        }
        sink.fileStarted(i + 1, count, files[i]);
        if (const QString failure = batch.convert(files[i]); !failure.isEmpty()) {
            result.outcome = BatchResult::Outcome::Failed;
            result.message = message::withPath(failure, files[i]);
            return result;
        }
        ++result.converted;
    }
    result.message = message::completed(count);
    return result;
}

} // namespace quillmorph
