#pragma once

#include "batch/Failure.h"
#include "batch/SizeSummary.h"
#include "files/FilePath.h"

#include <QList>
#include <optional>

namespace quillmorph {

// A file stored over the file-size limit it was held to: the smallest it could be made.
struct OverLimit {
    FilePath output;
    qint64 bytes = 0;
    qint64 limitBytes = 0;
    friend bool operator==(const OverLimit&, const OverLimit&) = default;
};

// How a batch ended, as values; message::finalMessage and message::text make what the user
// reads of it.
struct BatchResult {
    enum class Outcome { Completed, Failed, Cancelled };
    Outcome outcome = Outcome::Completed;
    std::optional<Failure> failure; // Failed: the failure that ended the batch
    FilePath outputFolder;          // empty when it could not be created
    FilePath firstOutput;           // the first file stored; empty when none was
    int converted = 0;              // files stored before the batch ended
    int skipped = 0;                // files inside dropped folders that are not pictures
    QList<Failure> failures;        // with keep-going: every file that failed, in file order
    QList<OverLimit> overLimit;     // files stored over the file-size limit, in file order
    SizeTotals sizes;               // of the files converted and their outputs
    QList<int> qualitiesByEye;      // the qualities chosen by eye, in file order
    int notJudgedByEye = 0;         // pictures quality by eye could not judge: the fixed quality
};

} // namespace quillmorph
