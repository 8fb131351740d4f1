#include "FitGeometry.h"

#include <QLocale>
#include <cmath>

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

} // namespace

std::optional<int> boxSideFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    float value = QLocale::c().toFloat(trimmed, &ok);
    if (!ok)
        value = QLocale().toFloat(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const float rounded = std::nearbyint(value); // default rounding mode: half to even
    if (rounded < 1.0f || rounded > 32767.0f)
        return std::nullopt;
    return int(rounded);
}

int boxSideFromImage(float side) {
    return int(std::nearbyint(side));
}

FitPlan planFit(int boxWidth, int boxHeight, float sourceWidth, float sourceHeight) {
    FitPlan plan;
    plan.boxWidth = boxWidth;
    plan.boxHeight = boxHeight;
    const float rw = float(boxWidth) / sourceWidth;
    const float rh = float(boxHeight) / sourceHeight;
    plan.scale = rw >= rh ? rh : rw;
    plan.scaledWidth = plan.scale * sourceWidth;
    plan.scaledHeight = plan.scale * sourceHeight;
    placeAlong(float(boxWidth), plan.scaledWidth, plan.left, plan.width);
    placeAlong(float(boxHeight), plan.scaledHeight, plan.top, plan.height);
    return plan;
}

} // namespace quillmorph
