#include "options/QualityFactor.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace quillmorph {

QString qualityFactorText(const QString& qualityText) {
    const QString trimmed = qualityText.trimmed();
    bool ok = false;
    double q = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        q = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        return QStringLiteral("2");
    const double product = (100.0 - q) * 2.52; // rounded to a double before 2 is added
    const double factor = std::floor(product + 2.0);
    if (!std::isfinite(factor))
        return QStringLiteral("2");
    return QString::number(factor, 'f', 0);
}

qint16 qualityFactorFromText(const QString& factorText) {
    bool ok = false;
    const double value = QLocale::c().toDouble(factorText.trimmed(), &ok);
    if (!ok || std::isnan(value))
        return 2;
    const double clamped =
        std::clamp(std::nearbyint(value), double(std::numeric_limits<qint16>::min()),
                   double(std::numeric_limits<qint16>::max()));
    return qint16(clamped);
}

} // namespace quillmorph
