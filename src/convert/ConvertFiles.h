#pragma once

#include "BatchInterfaces.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace quillmorph {

struct BatchResult {
    enum class Outcome { Completed, Failed, Cancelled };
    Outcome outcome = Outcome::Completed;
    QString message;      // the final message the user sees
    FilePath outputFolder; // empty when it could not be created
    int converted = 0;    // files stored before the batch ended
    int skipped = 0;      // files inside dropped folders that are not pictures
    QStringList failures; // with keep-going: every failure's message, path on its second line
};

// Where and when a batch runs.
struct BatchPlace {
    FilePath parentFolder; // the Desktop, or what the user chose instead
    QDateTime startedAt = QDateTime::currentDateTime();
    QLocale locale;       // formats the dated folder name
    int filesInFlight = 0; // files prepared at once; 0 means one per core
};

// Converts files into one new dated folder under place.parentFolder: load, fit and pad, choose
// format and name, save; outputs appear in file order. A folder among files stands for the
// pictures in it and its subfolders, whose outputs mirror its tree. Options are read from
// options (on the caller's thread) as each file starts. Ends at the first failure, leaving
// exactly the files before it, unless keep-going is on, or on a cancellation request. Runs on
// the caller's thread (with helper threads of its own) and returns when the batch is over; the
// caller shows result.message (and result.failures), beeping first when the outcome is
// Completed.
BatchResult ConvertFiles(const FilePaths& files, const BatchPlace& place,
                         const OptionsSource& options, BatchSink& sink);

// The quality factor text as the 16-bit integer handed to Save: rounded half to even and
// clamped to the 16-bit range; 2 (best) when the text is not a number.
int qualityFactorFromText(const QString& text);

} // namespace quillmorph
