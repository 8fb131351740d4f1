#include "WindowFont.h"

namespace quillmorph {

QStringList windowFontFamilies() {
    return {QStringLiteral("Noto Sans CJK JP")};
}

} // namespace quillmorph
