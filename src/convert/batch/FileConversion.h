#pragma once

#include "batch/BatchResult.h"
#include "batch/ConversionOptions.h"
#include "batch/ConversionPlan.h"
#include "batch/DropListing.h"
#include "batch/Failure.h"
#include "engine/LeadImage.h"
#include "files/PartialOutput.h"

#include <QByteArray>
#include <QList>
#include <atomic>
#include <memory>
#include <optional>

namespace quillmorph {

// The two image instances one file is converted with: the image and its scaled work copy.
struct ImagePair {
    LeadImage LEAD1;
    LeadImage LEAD_work;
};

// A file with its header opened, so that what converting it will cost is known before it
// starts; options and the plan made from them are set when it starts.
struct StartedFile {
    FilePath path;
    ConversionOptions options;
    ConversionPlan plan;
    ImagePair images;
    std::optional<Failure> failure; // a load failure, reported when the file's turn comes
    bool skipped = false;           // not a picture, found inside a dropped folder
    double cost = 0;                // relative CPU cost of converting it (ConversionCost.h)

    // Nothing to decode or encode: done on the batch's thread when its turn comes.
    bool needsNoWorker() const { return skipped || failure.has_value(); }
};

// A file taken as far as it goes without knowing what happened to the files before it:
// fitted and encoded under no name yet. Naming and committing happen in file order.
struct PreparedFile {
    std::optional<Failure> failure;
    bool skipped = false;
    bool keepGoing = false;       // what to do on failure, as the options said when it started
    QList<Failure::Kind> reports; // fill and combine failures, reported in file order
    PartialOutput output;
    QByteArray title;
    QByteArray extension;
    // What a name pattern, if any, fills in; its place in the batch comes at naming.
    NamePattern pattern;
    NameFields fields;
    // Stored over the file-size limit: its size and the limit (the output is not named yet).
    std::optional<OverLimit> overLimit;
    int qualityByEye = 0;        // the quality chosen by eye for the output; 0: none was
    bool notJudgedByEye = false; // quality by eye was asked for, the fixed quality used instead
};

// Loads item's header; its profile, if any, will be applied with the batch's transforms. Any
// thread.
StartedFile openFile(const BatchItem& item, const std::shared_ptr<ColourTransforms>& transforms);

// Fits, pads and encodes file as its plan says into a temporary output in folder. Any thread.
PreparedFile prepareFile(StartedFile& file, const Folder& folder);

// prepareFile on a worker thread: nothing once abandoned is set, an exception from the
// libraries as a failure, and the images released on that thread.
PreparedFile prepareOnWorker(StartedFile& file, const Folder& folder,
                             const std::atomic<bool>& abandoned);

} // namespace quillmorph
