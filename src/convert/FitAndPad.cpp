#include "FitAndPad.h"

#include "FitGeometry.h"

namespace quillmorph {

EngineStatus FitAndPad(LeadImage& LEAD1, LeadImage& LEAD_work, const FitRequest& request,
                       const std::function<void(Failure::Kind)>& report) {
    const int W = request.sizeConversion ? request.boxWidth : boxSideFromImage(LEAD1.width());
    const int H = request.sizeConversion ? request.boxHeight : boxSideFromImage(LEAD1.height());
    const FitPlan plan = planFit(W, H, LEAD1.width(), LEAD1.height());

    if (request.sizeConversion) {
        if (const EngineStatus st = LEAD1.Size(plan.width, plan.height); st != status::kOk)
            return st;
    }
    LEAD_work.copyFrom(LEAD1);
    // The stretch to the box is painted over at once; in the lazy engine it is never computed.
    if (const EngineStatus st = LEAD1.Size(float(W), float(H)); st != status::kOk)
        return st;
    if (LEAD1.Fill(request.backColor) != status::kOk) {
        report(Failure::Kind::FillFailed);
        return status::kOk;
    }
    if (LEAD1.Combine(plan.left, plan.top, plan.width, plan.height, LEAD_work, 0, 0) !=
        status::kOk) {
        report(Failure::Kind::CombineFailed);
    }
    return status::kOk;
}

} // namespace quillmorph
