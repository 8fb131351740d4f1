#pragma once

#include "LeadImage.h"

namespace quillmorph {

// The pipeline's cost model: what converting a file will take, judged from its header alone.

// Bytes that decoding and converting the file may hold at once: small where the loader streams
// or shrinks on load into a box of boxPixels, the whole image otherwise (boxPixels 0: the image
// keeps its size).
double workingBytes(const SourceHeader& header, double boxPixels);

// CPU that converting the file costs, relative to other files: its pixels, weighted by how
// dear its loader decodes them.
double relativeCost(const SourceHeader& header);

} // namespace quillmorph
