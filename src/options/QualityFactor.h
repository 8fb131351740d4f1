#pragma once

#include <QString>
#include <QtGlobal>

namespace quillmorph {

// The quality factor text for a quality value text (100 best): Int((100 − q) × 2.52 + 2),
// or "2" when the text is not a number.
QString qualityFactorText(const QString& qualityText);

// The quality factor text (the window's Text1) as the 16-bit integer handed to every save:
// rounded half to even and clamped to the 16-bit range; 2 (best) when the text is not a number.
qint16 qualityFactorFromText(const QString& factorText);

} // namespace quillmorph
