#pragma once

#include "engine/FitAndPad.h"
#include "engine/GifParts.h"
#include "engine/LeadImage.h"
#include "engine/OutputFormat.h"
#include "engine/StepStatus.h"

#include <vips/vips8>

namespace quillmorph {

// The most pixels the output frames of one animation may hold together: frames stream, so this
// bounds the time, not the memory; a 10 000-frame screen recording of 640 × 360 fits.
inline constexpr double kMaxAnimationPixels = 3 * kMaxPixels;

// True when a file with header, written as format, keeps every frame: a GIF or WebP of more
// than one frame into GIF or WEBP. Into any other format the first frame is taken.
bool keepsAnimation(const SourceHeader& header, const OutputFormat& format);

// The size beyond which libvips unpacks a picture whose loader cannot stream it (WebP's, every
// frame it reads) into a file in the temporary folder rather than into memory. Any thread.
double discThresholdBytes();

// FitAndPad for an animation: LEAD1, as just loaded, is opened again with every frame, and
// each frame is fitted, padded or cropped as request says (a crop by attention takes one
// window, chosen on the first frame, for all of them), its transparency flattened onto the
// margin colour. LEAD1 then holds the frames (holdFrames) with the source's delays and loop
// count, for Encode. Lazy, as every LeadImage step. A GIF longer than libvips' loader reads is
// read in parts (GifParts.h). One whose parts cannot be made, or whose frames together exceed
// kMaxAnimationPixels, is too large (charged to Load).
// Any thread.
StepStatus FitAnimation(LeadImage& LEAD1, const FitRequest& request);

// out with the frame layout (page-height, delay, loop) of frames, when frames is an animation:
// the writers hand the savers nothing else they did not set. Throws vips::VError.
vips::VImage withAnimationOf(const vips::VImage& out, const vips::VImage& frames);

} // namespace quillmorph
