#pragma once

#include <QString>

namespace quillmorph {

// The quality factor text for a quality value text (100 best): Int((100 − q) × 2.52 + 2),
// or "2" when the text is not a number.
QString qualityFactorText(const QString& qualityText);

} // namespace quillmorph
