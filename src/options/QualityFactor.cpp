#include "QualityFactor.h"

#include <QLocale>
#include <cmath>

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

} // namespace quillmorph
