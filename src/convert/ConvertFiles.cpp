#include "ConvertFiles.h"

#include "DropListing.h"
#include "FileNames.h"
#include "OutputFolder.h"
#include "Pipeline.h"

#include <QSet>
#include <optional>

namespace quillmorph {

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

// Names prepared's output after its source, never over another file, and stores it there.
std::optional<Failure> commit(PreparedFile& prepared, const FilePath& batchFolder,
                              const BatchItem& item, QSet<FilePath>& taken, FilePath& output) {
    const auto folder = outputFolderFor(batchFolder, item);
    if (!folder)
        return Failure::engine(status::kWriteFailed, Stage::Save, item.source);
    output = freeOutputPath(*folder, prepared.title, prepared.extension, taken);
    if (const EngineStatus st = prepared.output.commit(output); st != status::kOk)
        return Failure::engine(st, Stage::Save, item.source);
    return std::nullopt;
}

} // namespace

BatchResult ConvertFiles(const FilePaths& files, const BatchPlace& place,
                         const OptionsSource& options, BatchSink& sink) {
    BatchResult result;
    const QString name = outputFolderName(place.startedAt, place.locale);
    result.outputFolder = createOutputFolder(place.parentFolder, name, place.makeParent);
    if (result.outputFolder.isEmpty()) {
        result.outcome = BatchResult::Outcome::Failed;
        result.failure = Failure::of(Failure::Kind::OutputFolder, place.parentFolder.child(name));
        return result;
    }
    sink.batchStarted(result.outputFolder);
    const QList<BatchItem> items = listDrop(files);

    // Later files are loaded and encoded while earlier ones finish; their outputs are named
    // and committed strictly in order, and dropped when the batch ends early.
    const int count = int(items.size());
    Pipeline pipeline(items, options, result.outputFolder, place.filesInFlight, place.memoryLeft);
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
        std::optional<Failure> failure = prepared.failure;
        if (!failure)
            failure = commit(prepared, result.outputFolder, items[i], taken, output);
        if (failure) {
            if (prepared.keepGoing) {
                sink.fileFailed(*failure);
                result.failures << *failure;
                continue;
            }
            result.outcome = BatchResult::Outcome::Failed;
            result.failure = failure;
            return result;
        }
        sink.fileConverted(source, output);
        ++result.converted;
        if (prepared.overLimit) {
            prepared.overLimit->output = output;
            result.overLimit << *prepared.overLimit;
        }
    }
    return result;
}

} // namespace quillmorph
