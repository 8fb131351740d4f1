#pragma once

#include "batch/BatchInterfaces.h"
#include "batch/BatchResult.h"

#include <QDateTime>
#include <QLocale>

namespace quillmorph {

// Where and when a batch runs.
struct BatchPlace {
    FilePath parentFolder;  // the Desktop, or what the user chose instead
    bool makeParent = true; // made when missing; otherwise a missing parent ends the batch
    QDateTime startedAt = QDateTime::currentDateTime();
    QLocale locale;        // formats the dated folder name
    int filesInFlight = 0; // files prepared at once; 0 means one per core
    double memoryLeft = 0; // bytes the process may still be given; 0: as the machine says
    // Bytes free in the temporary folder, where libvips unpacks; 0: as its disk says.
    double temporarySpaceLeft = 0;
};

// Converts files into one new dated folder under place.parentFolder: load, fit and pad, choose
// format and name, save; outputs appear in file order. A folder among files stands for the
// pictures in it and its subfolders, whose outputs mirror its tree. Options are read from
// options (on the caller's thread) as each file starts. Ends at the first failure, leaving
// exactly the files before it, unless keep-going is on, or on a cancellation request. Runs on
// the caller's thread (with helper threads of its own) and returns when the batch is over; the
// caller shows message::finalMessage(result) (and the failures), beeping first when the
// outcome is Completed.
BatchResult ConvertFiles(const FilePaths& files, const BatchPlace& place,
                         const OptionsSource& options, BatchSink& sink);

} // namespace quillmorph
