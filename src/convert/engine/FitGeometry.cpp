#include "engine/FitGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillmorph {

namespace {

// Int() of the old arithmetic: towards minus infinity, staying in single precision.
float intOf(float v) {
    return std::floor(v);
}

void placeAlong(float box, float scaled, float& offset, float& extent) {
    offset = intOf((box - scaled) / 2.0f);
    extent = intOf(scaled);
    if (extent > box || offset < 0) {
        extent = box;
        offset = 0;
    }
    if (extent < 1) {
        extent = 1;
        offset = intOf((box - 1.0f) / 2.0f);
    }
}

int roundedSide(double side, int most) {
    return int(std::clamp(std::round(side), 1.0, double(std::max(1, most))));
}

} // namespace

int boxSideFromImage(float side) {
    return int(std::nearbyint(side));
}

FitPlan planFit(int boxWidth, int boxHeight, float sourceWidth, float sourceHeight,
                bool noEnlarge) {
    FitPlan plan;
    plan.boxWidth = boxWidth;
    plan.boxHeight = boxHeight;
    const float rw = float(boxWidth) / sourceWidth;
    const float rh = float(boxHeight) / sourceHeight;
    plan.scale = rw >= rh ? rh : rw;
    if (noEnlarge && plan.scale > 1.0f)
        plan.scale = 1.0f;
    plan.scaledWidth = plan.scale * sourceWidth;
    plan.scaledHeight = plan.scale * sourceHeight;
    placeAlong(float(boxWidth), plan.scaledWidth, plan.left, plan.width);
    placeAlong(float(boxHeight), plan.scaledHeight, plan.top, plan.height);
    return plan;
}

ScalePlan planScale(FitMode mode, int boxWidth, int boxHeight, int sourceWidth, int sourceHeight,
                    bool noEnlarge) {
    const double rw = double(boxWidth) / sourceWidth;
    const double rh = double(boxHeight) / sourceHeight;
    ScalePlan plan;
    plan.scale = mode == FitMode::Fill ? std::max(rw, rh) : std::min(rw, rh);
    if (noEnlarge)
        plan.scale = std::min(plan.scale, 1.0);
    // A fill's scaled picture may run far past the box (a 1 × 30000 strip); only its kept part
    // is ever made, so its sides are not held to any limit here.
    const int most = std::numeric_limits<int>::max();
    plan.scaledWidth =
        roundedSide(sourceWidth * plan.scale, mode == FitMode::Fill ? most : boxWidth);
    plan.scaledHeight =
        roundedSide(sourceHeight * plan.scale, mode == FitMode::Fill ? most : boxHeight);
    plan.width = std::min(plan.scaledWidth, boxWidth);
    plan.height = std::min(plan.scaledHeight, boxHeight);
    plan.left = (plan.scaledWidth - plan.width) / 2;
    plan.top = (plan.scaledHeight - plan.height) / 2;
    plan.sourceWidth = roundedSide(plan.width / plan.scale, sourceWidth);
    plan.sourceHeight = roundedSide(plan.height / plan.scale, sourceHeight);
    plan.sourceLeft = (sourceWidth - plan.sourceWidth) / 2;
    plan.sourceTop = (sourceHeight - plan.sourceHeight) / 2;
    return plan;
}

} // namespace quillmorph
