#include "batch/ConvertFiles.h"

#include "batch/DropListing.h"
#include "batch/Pipeline.h"
#include "files/FileNames.h"
#include "files/OutputFolder.h"

#include <QSet>
#include <map>
#include <optional>

namespace quillmorph {

namespace {

// The folders outputs go into, held open: the dated folder and its subfolders, each made on
// first use. Whatever their paths come to name, outputs land in these folders.
class OutputFolders {
public:
    explicit OutputFolders(Folder batch) : batch_(std::move(batch)) {}

    const Folder& batch() const { return batch_; }

    // Where item's output goes; not open when its subfolder cannot be made.
    Folder forItem(const BatchItem& item) {
        if (item.subfolder.isEmpty())
            return batch_;
        auto it = subfolders_.find(item.subfolder);
        if (it == subfolders_.end() || it->second.isGone())
            it = subfolders_.insert_or_assign(item.subfolder, batch_.descendant(item.subfolder))
                     .first;
        return it->second;
    }

private:
    Folder batch_;
    std::map<QByteArray, Folder> subfolders_;
};

// Names prepared's output after its source (or its name pattern), never over another file, and
// stores it there.
std::optional<Failure> commit(PreparedFile& prepared, OutputFolders& folders, const BatchItem& item,
                              QSet<FilePath>& taken, FilePath& output) {
    if (!prepared.pattern.isEmpty())
        prepared.title = prepared.pattern.expand(prepared.fields);
    const Folder folder = folders.forItem(item);
    if (!folder.isOpen()) {
        const EngineStatus st =
            folders.batch().isGone() ? status::kFolderMissing : status::kWriteFailed;
        return Failure::engine(st, Stage::Save, item.source);
    }
    const QByteArray name = freeOutputName(folder, prepared.title, prepared.extension, taken);
    output = folder.path().child(name);
    if (const EngineStatus st = prepared.output.commit(folder, name); st != status::kOk)
        return Failure::engine(st, Stage::Save, item.source);
    return std::nullopt;
}

} // namespace

BatchResult ConvertFiles(const FilePaths& files, const BatchPlace& place,
                         const OptionsSource& options, BatchSink& sink) {
    BatchResult result;
    const QString name = outputFolderName(place.startedAt, place.locale);
    result.outputFolder = createOutputFolder(place.parentFolder, name, place.makeParent);
    // Held open from now on: a dated folder swapped for a link mid-batch leads no output away.
    OutputFolders folders(Folder::open(result.outputFolder));
    if (!folders.batch().isOpen()) {
        result.outputFolder = {};
        result.outcome = BatchResult::Outcome::Failed;
        result.failure = Failure::of(Failure::Kind::OutputFolder, place.parentFolder.child(name));
        return result;
    }
    sink.batchStarted(result.outputFolder);
    const QList<BatchItem> items = listDrop(files);

    // Later files are loaded and encoded while earlier ones finish; their outputs are named
    // and committed strictly in order, and dropped when the batch ends early.
    const int count = int(items.size());
    Pipeline pipeline(items, options, folders.batch(), place.filesInFlight, place.memoryLeft,
                      place.temporarySpaceLeft);
    QSet<FilePath> taken;
    for (int i = 0; i < count; ++i) {
        const FilePath& source = items[i].source;
        if (sink.cancelRequested()) {
            result.outcome = BatchResult::Outcome::Cancelled;
            return result;
        }
        sink.fileStarted(i + 1, count, source);
        PreparedFile prepared = pipeline.take(i);
        if (prepared.skipped) {
            ++result.skipped;
            continue;
        }

        for (const Failure::Kind report : std::as_const(prepared.reports))
            sink.report(Failure::of(report, source));
        FilePath output;
        // Numbered in the order outputs are made: skipped and failed files take no number.
        prepared.fields.number = result.converted + 1;
        prepared.fields.count = count;
        std::optional<Failure> failure = prepared.failure;
        if (!failure)
            failure = commit(prepared, folders, items[i], taken, output);
        if (failure) {
            if (prepared.keepGoing && !failure->aboutOptions()) {
                sink.fileFailed(*failure);
                result.failures << *failure;
                continue;
            }
            result.outcome = BatchResult::Outcome::Failed;
            result.failure = failure;
            return result;
        }
        sink.fileConverted(source, output);
        if (result.converted == 0)
            result.firstOutput = output;
        ++result.converted;
        result.sizes.add(source, output);
        if (prepared.qualityByEye > 0)
            result.qualitiesByEye << prepared.qualityByEye;
        result.notJudgedByEye += prepared.notJudgedByEye;
        if (prepared.overLimit) {
            prepared.overLimit->output = output;
            result.overLimit << *prepared.overLimit;
        }
    }
    return result;
}

} // namespace quillmorph
