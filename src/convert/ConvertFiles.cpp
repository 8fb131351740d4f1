#include "ConvertFiles.h"

#include "DropListing.h"
#include "FileNames.h"
#include "FitAndPad.h"
#include "FitGeometry.h"
#include "LeadImage.h"
#include "Messages.h"
#include "OutputFolder.h"
#include "OutputFormat.h"
#include "PartialOutput.h"

#include <QSet>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <future>
#include <limits>
#include <memory>
#include <optional>
#include <tuple>

namespace quillmorph {

namespace {

// The two image instances one file is converted with: the image and its scaled work copy.
struct ImagePair {
    LeadImage LEAD1;
    LeadImage LEAD_work;
};

// A file once its turn to start has come: its options read and its header opened, so that
// what decoding it will cost is known before it is handed to a helper thread.
struct StartedFile {
    FilePath path;
    ConversionSettings settings;
    ImagePair images;
    QString failure;      // a load failure, reported when the file's turn comes
    bool skipped = false; // not a picture, found inside a dropped folder
    double weight = 0;    // bytes its conversion may hold at once
};

// One file taken as far as it goes without knowing what happened to the files before it:
// fitted and encoded under no name yet. Naming and committing happen in file order.
struct PreparedFile {
    QString failure;     // the message without the path; empty on success
    bool skipped = false;
    bool keepGoing = false; // what to do on failure, as the options said when the file started
    QStringList reports; // fill and combine reports, shown in file order
    PartialOutput output;
    QByteArray title;
    QByteArray extension;
};

std::optional<std::pair<int, int>> boxOf(const ConversionSettings& settings) {
    const auto w = boxSideFromText(settings.widthText);
    const auto h = boxSideFromText(settings.heightText);
    if (!w || !h)
        return std::nullopt;
    return std::pair{*w, *h};
}

StartedFile startFile(const BatchItem& item, ConversionSettings settings) {
    StartedFile file{item.source, std::move(settings), {}, {}, false, 0};
    if (item.unreadable != status::kOk) {
        file.failure = message::ErrorProc(item.unreadable, QStringLiteral("Load"));
        return file;
    }
    try {
        const EngineStatus st = file.images.LEAD1.Load(item.source);
        // An empty file in a folder is a placeholder, not a damaged picture.
        if (st == status::kEmptyFile && item.inFolder)
            file.skipped = true;
        else if (st != status::kOk)
            file.failure = message::ErrorProc(st, QStringLiteral("Load"));
    } catch (const NotAnImageError&) {
        // In a folder, text files, videos and thumbnail caches sit beside the pictures.
        if (item.inFolder)
            file.skipped = true;
        else
            file.failure = message::notAnImage();
    }
    if (file.skipped)
        return file;
    if (file.failure.isEmpty()) {
        const auto box = boxOf(file.settings);
        const double boxPixels =
            file.settings.sizeConversion && box ? double(box->first) * box->second : 0.0;
        file.weight = file.images.LEAD1.workingBytes(boxPixels);
    }
    return file;
}

PreparedFile prepareFile(StartedFile& file, const FilePath& folder) {
    PreparedFile prepared;
    prepared.keepGoing = file.settings.keepGoing;
    prepared.skipped = file.skipped;
    if (file.skipped)
        return prepared;
    if (!file.failure.isEmpty()) {
        prepared.failure = file.failure;
        return prepared;
    }
    const ConversionSettings& settings = file.settings;
    FitRequest fit{settings.sizeConversion, 0, 0, settings.backColor};
    if (settings.sizeConversion) {
        const auto box = boxOf(settings);
        if (!box) {
            prepared.failure = message::boxSizeRange();
            return prepared;
        }
        std::tie(fit.boxWidth, fit.boxHeight) = *box;
    }
    LeadImage& LEAD1 = file.images.LEAD1;
    const auto report = [&](const QString& text) { prepared.reports << text; };
    if (const EngineStatus st = FitAndPad(LEAD1, file.images.LEAD_work, fit, report);
        st != status::kOk) {
        prepared.failure = message::ErrorProc(st, QStringLiteral("Size"));
        return prepared;
    }

    const auto format = outputFormatFor(settings.formatText);
    if (!format) {
        prepared.failure = message::formatSelection(settings.formatText);
        return prepared;
    }
    prepared.title = ufnGetFileTitle(GetBaseName(file.path));
    prepared.extension = format->extension;
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

// Set when the batch ends early: files not yet under way are then not converted at all.
using AbandonFlag = std::shared_ptr<std::atomic<bool>>;

std::future<PreparedFile> prepareInBackground(StartedFile file, const FilePath& folder,
                                              AbandonFlag abandoned) {
    return std::async(std::launch::async, [file = std::move(file), folder, abandoned]() mutable {
        PreparedFile prepared;
        try {
            if (!*abandoned)
                prepared = prepareFile(file, folder);
        } catch (const std::bad_alloc&) {
            prepared.failure = message::ErrorProc(status::kOutOfMemory, QStringLiteral("Load"));
        } catch (const std::exception&) {
            prepared.failure = message::ErrorProc(status::kEngineFailure, QStringLiteral("Load"));
        }
        file.images = ImagePair(); // release the pipeline while vips still knows this thread
        vips_thread_shutdown();    // the thread ends here; free what vips kept for it
        return prepared;
    });
}

// Files in preparation at once: a few per core, so a slow file does not leave a core idle
// while quick ones behind it wait for their turn to be committed.
int filesInFlightFor(int requested) {
    if (requested > 0)
        return requested;
    return std::clamp(2 * QThread::idealThreadCount(), 1, 8);
}

// Beyond the first file in flight, the bytes their conversions may hold together; keeps a
// batch of huge images from holding several of them in memory at once.
constexpr double kBytesInFlight = 192.0 * 1024 * 1024;

class Pipeline {
public:
    Pipeline(const QList<BatchItem>& items, const OptionsSource& options, FilePath folder, int depth)
        : items_(items), options_(options), folder_(std::move(folder)), depth_(depth) {}
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    // Waits for the files still in preparation; their outputs are dropped.
    ~Pipeline() { *abandoned_ = true; }

    // Starts files until index + depth, as far as memory allows; file index always starts.
    void fill(int index) {
        while (started_ < int(items_.size()) && started_ < index + depth_) {
            if (!waiting_)
                waiting_ = startFile(items_[started_], options_.current());
            if (!inFlight_.empty() && weightInFlight_ + waiting_->weight > kBytesInFlight)
                return;
            weightInFlight_ += waiting_->weight;
            weights_.push_back(waiting_->weight);
            inFlight_.push_back(prepareInBackground(std::move(*waiting_), folder_, abandoned_));
            waiting_.reset();
            ++started_;
        }
    }

    // The next file in order, once prepared.
    PreparedFile next() {
        PreparedFile prepared = inFlight_.front().get();
        inFlight_.pop_front();
        weightInFlight_ -= weights_.front();
        weights_.pop_front();
        return prepared;
    }

private:
    const QList<BatchItem>& items_;
    const OptionsSource& options_;
    const FilePath folder_;
    const int depth_;
    int started_ = 0;
    std::optional<StartedFile> waiting_;
    std::deque<std::future<PreparedFile>> inFlight_;
    std::deque<double> weights_;
    double weightInFlight_ = 0;
    AbandonFlag abandoned_ = std::make_shared<std::atomic<bool>>(false);
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

namespace {

// Where item's output goes: its own subfolder of the dated folder, made on first use.
std::optional<FilePath> outputFolderFor(const FilePath& batchFolder, const BatchItem& item) {
    if (item.subfolder.isEmpty())
        return batchFolder;
    const FilePath folder = batchFolder.child(item.subfolder);
    if (!makeFolders(folder))
        return std::nullopt;
    return folder;
}

} // namespace

BatchResult ConvertFiles(const FilePaths& files, const BatchPlace& place,
                         const OptionsSource& options, BatchSink& sink) {
    BatchResult result;
    const QString name = outputFolderName(place.startedAt, place.locale);
    result.outputFolder = createOutputFolder(place.parentFolder, name);
    if (result.outputFolder.isEmpty()) {
        result.outcome = BatchResult::Outcome::Failed;
        result.message = message::outputFolderFailed(place.parentFolder.child(name));
        return result;
    }
    sink.batchStarted(result.outputFolder);
    const QList<BatchItem> items = listDrop(files);

    // Later files are loaded and encoded while earlier ones finish; their outputs are named
    // and committed strictly in order, and dropped when the batch ends early.
    const int count = int(items.size());
    Pipeline pipeline(items, options, result.outputFolder, filesInFlightFor(place.filesInFlight));
    QSet<FilePath> taken;
    for (int i = 0; i < count; ++i) {
        const FilePath& source = items[i].source;
        if (sink.cancelRequested()) {
            result.outcome = BatchResult::Outcome::Cancelled;
            result.message = message::cancelled(result.converted);
            return result;
        }
        sink.fileStarted(i + 1, count, source);
        pipeline.fill(i);
        PreparedFile prepared = pipeline.next();
        if (prepared.skipped) {
            ++result.skipped;
            continue;
        }

        for (const QString& text : std::as_const(prepared.reports))
            sink.report(message::withPath(text, source));
        QString failure = prepared.failure;
        FilePath output;
        if (failure.isEmpty()) {
            if (const auto folder = outputFolderFor(result.outputFolder, items[i])) {
                output = freeOutputPath(*folder, prepared.title, prepared.extension, taken);
                if (const EngineStatus st = prepared.output.commit(output); st != status::kOk)
                    failure = message::ErrorProc(st, QStringLiteral("Save"));
            } else {
                failure = message::ErrorProc(status::kWriteFailed, QStringLiteral("Save"));
            }
        }
        if (!failure.isEmpty()) {
            const QString text = message::withPath(failure, source);
            if (prepared.keepGoing) {
                sink.fileFailed(source, text);
                result.failures << text;
                continue;
            }
            result.outcome = BatchResult::Outcome::Failed;
            result.message = text;
            return result;
        }
        sink.fileConverted(source, output);
        ++result.converted;
    }
    result.message = message::completed(result.converted, result.skipped);
    return result;
}

} // namespace quillmorph
