#include "engine/FitAndPad.h"

#include "engine/FitGeometry.h"

namespace quillmorph {

namespace {

// The picture in LEAD1 copied into LEAD_work and placed as plan says on LEAD1 painted in the
// margin colour, stretched first to plan's box unless it has that size already.
StepStatus padOntoMargin(LeadImage& LEAD1, LeadImage& LEAD_work, const FitPlan& plan, bool stretch,
                         quint32 backColor, const std::function<void(PadStep)>& report) {
    LEAD_work.copyFrom(LEAD1);
    // The stretch to the box is painted over at once; in the lazy engine it is never computed.
    if (stretch) {
        if (const StepStatus st = LEAD1.Size(float(plan.boxWidth), float(plan.boxHeight)); !st.ok())
            return st;
    }
    if (LEAD1.Fill(backColor) != status::kOk) {
        report(PadStep::Fill);
        return {};
    }
    if (LEAD1.Combine(plan.left, plan.top, plan.width, plan.height, LEAD_work, 0, 0) !=
        status::kOk) {
        report(PadStep::Combine);
    }
    return {};
}

// Fit and fill: the picture scaled (and, for fill, cropped) to plan's output size. A shrink
// goes through Size first, which decodes at reduced scale; an enlargement crops the source
// first, so a thin strip filling a box never becomes a picture of millions of rows.
StepStatus scaleWithoutMargin(LeadImage& LEAD1, const ScalePlan& plan, CropAnchor anchor) {
    const bool cropped = plan.width != plan.scaledWidth || plan.height != plan.scaledHeight;
    if (plan.scale <= 1.0) {
        if (plan.scaledWidth != int(LEAD1.width()) || plan.scaledHeight != int(LEAD1.height())) {
            if (const StepStatus st = LEAD1.Size(plan.scaledWidth, plan.scaledHeight); !st.ok())
                return st;
        }
        return cropped ? LEAD1.Crop(plan.left, plan.top, plan.width, plan.height, anchor)
                       : StepStatus{};
    }
    if (cropped) {
        if (const StepStatus st = LEAD1.Crop(plan.sourceLeft, plan.sourceTop, plan.sourceWidth,
                                             plan.sourceHeight, anchor);
            !st.ok())
            return st;
    }
    return LEAD1.Size(plan.width, plan.height);
}

} // namespace

StepStatus FitAndPad(LeadImage& LEAD1, LeadImage& LEAD_work, const FitRequest& request,
                     const std::function<void(PadStep)>& report) {
    if (request.sizeConversion && request.mode != FitMode::Pad) {
        const ScalePlan plan =
            planScale(request.mode, request.boxWidth, request.boxHeight, int(LEAD1.width()),
                      int(LEAD1.height()), request.noEnlarge);
        if (const StepStatus st = scaleWithoutMargin(LEAD1, plan, request.crop); !st.ok())
            return st;
        // No margin shows, but transparency still lands on the margin colour.
        const FitPlan whole = planFit(plan.width, plan.height, LEAD1.width(), LEAD1.height());
        return padOntoMargin(LEAD1, LEAD_work, whole, false, request.backColor, report);
    }

    const int W = request.sizeConversion ? request.boxWidth : boxSideFromImage(LEAD1.width());
    const int H = request.sizeConversion ? request.boxHeight : boxSideFromImage(LEAD1.height());
    const FitPlan plan =
        planFit(W, H, LEAD1.width(), LEAD1.height(), request.sizeConversion && request.noEnlarge);
    if (request.sizeConversion) {
        if (const StepStatus st = LEAD1.Size(plan.width, plan.height); !st.ok())
            return st;
    }
    return padOntoMargin(LEAD1, LEAD_work, plan, true, request.backColor, report);
}

PictureSize fittedSize(const FitRequest& request, int sourceWidth, int sourceHeight) {
    if (!request.sizeConversion)
        return {sourceWidth, sourceHeight};
    if (request.mode == FitMode::Pad)
        return {request.boxWidth, request.boxHeight};
    const ScalePlan plan = planScale(request.mode, request.boxWidth, request.boxHeight, sourceWidth,
                                     sourceHeight, request.noEnlarge);
    return {plan.width, plan.height};
}

} // namespace quillmorph
