#pragma once

#include "EngineStatus.h"
#include "Failure.h"
#include "LeadImage.h"

#include <functional>

namespace quillmorph {

struct FitRequest {
    bool sizeConversion = false;
    int boxWidth = 0;  // used when sizeConversion is on
    int boxHeight = 0;
    quint32 backColor = 0xFFFFFF;
};

// Leaves in LEAD1 an image of the box size: the margin colour all over with the image, scaled
// to fit when size conversion is on, centred on it. LEAD_work holds the scaled copy.
// A failed resize returns its status; a failed fill or combine is passed to report (FillFailed,
// CombineFailed) and the stage still succeeds.
EngineStatus FitAndPad(LeadImage& LEAD1, LeadImage& LEAD_work, const FitRequest& request,
                       const std::function<void(Failure::Kind)>& report);

} // namespace quillmorph
