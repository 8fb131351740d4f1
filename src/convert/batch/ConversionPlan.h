#pragma once

#include "batch/ConversionOptions.h"
#include "engine/FitAndPad.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"

namespace quillmorph {

// How a file's output is encoded, as its options ask for its format.
enum class Encoding {
    Fixed,             // at the quality the options give
    SizeLimit,         // the best quality under the file-size limit
    ByEye,             // the lowest quality that looks the same
    ByEyeAndSizeLimit, // the smaller of the two
};

// What converting a file will hold, judged from its header alone (ConversionCost.h).
struct PlannedCost {
    double workingBytes = 0;  // held at once, the metric's bytes for judging by eye among them
    double judgingBytes = 0;  // of which judging by eye: the part a file can do without
    double unpackedBytes = 0; // unpacked by libvips before it gives a pixel (WebP's loader)
    double temporaryFolderBytes = 0; // of which into a file in the temporary folder
};

// Every decision about one file's conversion, made once from its header and the options as it
// starts: the box and mode it is fitted with, whether it keeps its frames, how it is encoded,
// and what that costs. The engine does the pixels as the plan says.
struct ConversionPlan {
    const OutputFormat* format = nullptr; // nullptr: the options named no format we write
    bool noBox = false;  // size conversion on, but the width or height was not 1…32767
    FitRequest fit;      // the box for this picture (size conversion off: none), its mode
    int outputWidth = 0; // the size the picture is fitted to (one frame of an animation)
    int outputHeight = 0;
    bool animated = false; // every frame is kept (keepsAnimation)
    int frames = 1;        // frames the output holds
    Encoding how = Encoding::Fixed;
    // The picture may be made smaller than its fitted size to meet the file-size limit: there is
    // one for its format, and nothing fixes its size (size conversion off, fit inside the box,
    // or a box that follows its shape). Quality by eye has no say in it.
    bool mayShrink = false;
    // Quality by eye judges it; false where asked for but it cannot (an animation, a side below
    // 8 pixels, too many pixels, no memory for the metric): the fixed quality is used instead.
    bool judgedByEye = false;
    PlannedCost cost;

    bool byEye() const { return how == Encoding::ByEye || how == Encoding::ByEyeAndSizeLimit; }
    bool withinSizeLimit() const {
        return how == Encoding::SizeLimit || how == Encoding::ByEyeAndSizeLimit;
    }
};

// The plan for a file with header converted with options; discThreshold: the size beyond which
// libvips unpacks into the temporary folder (discThresholdBytes()). Any thread.
ConversionPlan planFor(const SourceHeader& header, const ConversionOptions& options,
                       double discThreshold);

} // namespace quillmorph
