#include "ConvertFiles.h"

#include "ConversionCost.h"
#include "DropListing.h"
#include "FileNames.h"
#include "FitAndPad.h"
#include "FitGeometry.h"
#include "LeadImage.h"
#include "Messages.h"
#include "OutputFolder.h"
#include "OutputFormat.h"
#include "PartialOutput.h"
#include "WorkerPool.h"

#include <QSet>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>

namespace quillmorph {

namespace {

// The two image instances one file is converted with: the image and its scaled work copy.
struct ImagePair {
    LeadImage LEAD1;
    LeadImage LEAD_work;
};

// A file in the look-ahead: its header opened, so that what converting it will cost is known
// before it starts; its options are read only when it starts.
struct StartedFile {
    FilePath path;
    ConversionSettings settings;
    ImagePair images;
    QString failure;      // a load failure, reported when the file's turn comes
    bool skipped = false; // not a picture, found inside a dropped folder
    double cost = 0;      // relative CPU cost of converting it

    // Nothing to decode or encode: done on the batch's thread when its turn comes.
    bool needsNoWorker() const { return skipped || !failure.isEmpty(); }
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

StartedFile openFile(const BatchItem& item) {
    StartedFile file{item.source, {}, {}, {}, false, 0};
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
    if (!file.needsNoWorker())
        file.cost = relativeCost(file.images.LEAD1.header());
    return file;
}

// Bytes converting file with settings may hold at once.
double weightOf(const StartedFile& file, const ConversionSettings& settings) {
    const auto box = boxOf(settings);
    const double boxPixels = settings.sizeConversion && box ? double(box->first) * box->second : 0.0;
    return workingBytes(file.images.LEAD1.header(), boxPixels);
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

    const OutputFormat* format = outputFormatFor(settings.formatText);
    if (!format) {
        prepared.failure = message::formatSelection(settings.formatText);
        return prepared;
    }
    prepared.title = ufnGetFileTitle(GetBaseName(file.path));
    prepared.extension = format->extension;
    const int quality = qualityFactorFromText(settings.qualityFactorText);
    if (const EngineStatus st = LEAD1.Encode(folder, *format, quality, prepared.output);
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

PreparedFile prepareGuarded(StartedFile& file, const FilePath& folder, const std::atomic<bool>& abandoned) {
    PreparedFile prepared;
    try {
        if (!abandoned)
            prepared = prepareFile(file, folder);
    } catch (const std::bad_alloc&) {
        prepared.failure = message::ErrorProc(status::kOutOfMemory, QStringLiteral("Load"));
    } catch (const std::exception&) {
        prepared.failure = message::ErrorProc(status::kEngineFailure, QStringLiteral("Load"));
    }
    file.images = ImagePair(); // release the pipeline on the thread that ran it
    return prepared;
}

// Files converted at once: one per core.
int workersFor(int requested) {
    if (requested > 0)
        return requested;
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

// Beyond the first file running, the bytes their conversions may hold together; keeps a batch
// of huge images from holding several of them in memory at once.
constexpr double kBytesInFlight = 192.0 * 1024 * 1024;

// Converts the files of a batch on a few worker threads, ahead of the batch's thread, which
// takes the results in file order. Within a look-ahead of several files per worker the dearest
// files start first, so a slow file does not start last and leave the other cores idle while
// it finishes; finished outputs wait, unnamed, for their turn. A file's options are read when
// it starts, so a change reaches every file not yet started.
class Pipeline {
public:
    Pipeline(const QList<BatchItem>& items, const OptionsSource& options, FilePath folder, int workers)
        : items_(items), options_(options), folder_(std::move(folder)), workers_(workers),
          lookAhead_(std::max(32, 16 * workers)), pool_(workers) {}
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    // Files still queued are dropped; the pool then waits for those under way.
    ~Pipeline() { *abandoned_ = true; }

    // File index once prepared, starting files of the look-ahead while it waits.
    PreparedFile take(int index) {
        openAhead(index);
        if (const auto it = waiting_.find(index); it != waiting_.end() && it->second.needsNoWorker()) {
            StartedFile file = std::move(it->second);
            waiting_.erase(it);
            file.settings = options_.current();
            return prepareFile(file, folder_);
        }
        std::unique_lock lock(shared_->mutex);
        for (;;) {
            forgetFinished();
            if (const auto it = shared_->done.find(index); it != shared_->done.end()) {
                PreparedFile prepared = std::move(it->second);
                shared_->done.erase(it);
                return prepared;
            }
            const auto seen = shared_->completions;
            lock.unlock();
            while (startOne()) {
            }
            lock.lock();
            shared_->finished.wait(lock, [&] { return shared_->completions != seen; });
        }
    }

private:
    struct Results {
        std::mutex mutex;
        std::condition_variable finished;
        std::map<int, PreparedFile> done;
        quint64 completions = 0;
    };

    void openAhead(int index) {
        const int end = std::min(int(items_.size()), index + lookAhead_);
        for (; opened_ < end; ++opened_)
            waiting_.emplace(opened_, openFile(items_[opened_]));
    }

    // Called with the results locked: frees the slots of the files that have finished.
    void forgetFinished() {
        for (auto it = running_.begin(); it != running_.end();) {
            if (shared_->done.count(it->first) != 0) {
                weightRunning_ -= it->second;
                it = running_.erase(it);
            } else {
                ++it;
            }
        }
    }

    // Starts the dearest waiting file that fits beside those running; false when a worker is
    // not free or no file fits. With nothing running every file fits, so the batch goes on.
    bool startOne() {
        const auto needsWorker = [](const auto& entry) { return !entry.second.needsNoWorker(); };
        if (int(running_.size()) >= workers_ || std::none_of(waiting_.begin(), waiting_.end(), needsWorker))
            return false;
        const ConversionSettings settings = options_.current();
        auto chosen = waiting_.end();
        double chosenWeight = 0;
        for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
            if (!needsWorker(*it))
                continue;
            const double weight = weightOf(it->second, settings);
            const bool fits = running_.empty() || weightRunning_ + weight <= kBytesInFlight;
            if (fits && (chosen == waiting_.end() || it->second.cost > chosen->second.cost)) {
                chosen = it;
                chosenWeight = weight;
            }
        }
        if (chosen == waiting_.end())
            return false;
        const int chosenIndex = chosen->first;
        auto file = std::make_shared<StartedFile>(std::move(chosen->second));
        waiting_.erase(chosen);
        file->settings = settings;
        running_.emplace(chosenIndex, chosenWeight);
        weightRunning_ += chosenWeight;
        pool_.post([file, chosenIndex, folder = folder_, results = shared_, abandoned = abandoned_] {
            PreparedFile prepared = prepareGuarded(*file, folder, *abandoned);
            {
                const std::lock_guard lock(results->mutex);
                results->done.emplace(chosenIndex, std::move(prepared));
                ++results->completions;
            }
            results->finished.notify_one();
        });
        return true;
    }

    const QList<BatchItem>& items_;
    const OptionsSource& options_;
    const FilePath folder_;
    const int workers_;
    const int lookAhead_;
    int opened_ = 0;                     // items before this have had their header opened
    std::map<int, StartedFile> waiting_; // opened, not started
    std::map<int, double> running_;      // started, not yet seen finished: their weight
    double weightRunning_ = 0;
    std::shared_ptr<Results> shared_ = std::make_shared<Results>();
    AbandonFlag abandoned_ = std::make_shared<std::atomic<bool>>(false);
    WorkerPool pool_; // last: joined before the rest goes
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
    Pipeline pipeline(items, options, result.outputFolder, workersFor(place.filesInFlight));
    QSet<FilePath> taken;
    for (int i = 0; i < count; ++i) {
        const FilePath& source = items[i].source;
        if (sink.cancelRequested()) {
            result.outcome = BatchResult::Outcome::Cancelled;
            result.message = message::cancelled(result.converted);
            return result;
        }
        sink.fileStarted(i + 1, count, source);
        PreparedFile prepared = pipeline.take(i);
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
