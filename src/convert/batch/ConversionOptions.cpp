#include "batch/ConversionOptions.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace quillmorph {

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

std::optional<BoxSize> boxFromText(const QString& width, const QString& height) {
    const auto w = boxSideFromText(width);
    const auto h = boxSideFromText(height);
    if (!w || !h)
        return std::nullopt;
    return BoxSize{*w, *h};
}

} // namespace quillmorph
