#pragma once

#include "engine/FitAndPad.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
#include "engine/StepStatus.h"

#include <vips/vips8>

namespace quillmorph {

// The most pixels the output frames of one animation may hold together, as for a still.
inline constexpr double kMaxAnimationPixels = kMaxPixels;
// The most frames libvips' GIF loader reads; it drops any beyond with a warning only.
inline constexpr int kGifLoaderFrames = 4097;

// True when a file with header, written as format, keeps every frame: a GIF or WebP of more
// than one frame into GIF or WEBP. Into any other format the first frame is taken.
bool keepsAnimation(const SourceHeader& header, const OutputFormat& format);

// FitAndPad for an animation: LEAD1, as just loaded, is opened again with every frame, and
// each frame is fitted, padded or cropped as request says (a crop by attention takes one
// window, chosen on the first frame, for all of them), its transparency flattened onto the
// margin colour. LEAD1 then holds the frames (holdFrames) with the source's delays and loop
// count, for Encode. Lazy, as every LeadImage step. A file whose frames the loader cannot all
// read, or whose frames together exceed kMaxAnimationPixels, is too large (charged to Load).
// Any thread.
StepStatus FitAnimation(LeadImage& LEAD1, const FitRequest& request);

// out with the frame layout (page-height, delay, loop) of frames, when frames is an animation:
// the writers hand the savers nothing else they did not set. Throws vips::VError.
vips::VImage withAnimationOf(const vips::VImage& out, const vips::VImage& frames);

// Frames in the GIF file at path, counted from its blocks without decoding: 0 when it is no
// GIF or cannot be read to its end. Any thread.
int gifFramesInFile(const std::string& path);

} // namespace quillmorph
