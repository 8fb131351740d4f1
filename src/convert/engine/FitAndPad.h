#pragma once

#include "engine/FitGeometry.h"
#include "engine/LeadImage.h"
#include "engine/StepStatus.h"
#include "files/EngineStatus.h"

#include <functional>

namespace quillmorph {

struct FitRequest {
    bool sizeConversion = false;
    int boxWidth = 0; // used when sizeConversion is on
    int boxHeight = 0;
    quint32 backColor = 0xFFFFFF;
    FitMode mode = FitMode::Pad; // these three only with size conversion on
    CropAnchor crop = CropAnchor::Centre;
    bool noEnlarge = false;
};

// Leaves in LEAD1 the picture as request says, over the margin colour: in pad mode an image of
// the box size, the image (scaled to fit when size conversion is on) centred on the colour; fit
// and fill leave the scaled (fill: cropped) picture alone at its own size, transparency
// flattened onto the colour. LEAD_work holds the scaled copy.
// The steps whose failure is told while the picture goes on to be saved.
enum class PadStep { Fill, Combine };

// A failed resize or crop returns its status, charged to Size (or to Load for a damaged
// source); a failed fill or combine is passed to report and the stage still succeeds.
StepStatus FitAndPad(LeadImage& LEAD1, LeadImage& LEAD_work, const FitRequest& request,
                     const std::function<void(PadStep)>& report);

// The size FitAndPad leaves a picture of sourceWidth × sourceHeight in, as request says.
struct PictureSize {
    int width = 0;
    int height = 0;
};
PictureSize fittedSize(const FitRequest& request, int sourceWidth, int sourceHeight);

} // namespace quillmorph
