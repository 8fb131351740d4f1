#include "ConversionOptions.h"

#include "FitGeometry.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace quillmorph {

std::optional<BoxSize> boxFromText(const QString& width, const QString& height) {
    const auto w = boxSideFromText(width);
    const auto h = boxSideFromText(height);
    if (!w || !h)
        return std::nullopt;
    return BoxSize{*w, *h};
}

qint16 qualityFactorFromText(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || std::isnan(value))
        return 2;
    const double clamped =
        std::clamp(std::nearbyint(value), double(std::numeric_limits<qint16>::min()),
                   double(std::numeric_limits<qint16>::max()));
    return qint16(clamped);
}

} // namespace quillmorph
