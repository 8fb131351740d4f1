#include "WindowFont.h"

#include <QFont>
#include <QGuiApplication>

namespace quillmorph {

// The system's message font (Yu Gothic UI on a Japanese Windows 10 or 11; Segoe UI on an
// English one, whose missing Japanese glyphs come from the next families), then the Japanese
// interface fonts Windows ships, then Noto Sans CJK JP for where neither is (Wine).
QStringList windowFontFamilies() {
    QStringList families{QGuiApplication::font().family(), QStringLiteral("Yu Gothic UI"),
                         QStringLiteral("Meiryo UI"), QStringLiteral("Noto Sans CJK JP")};
    families.removeDuplicates();
    return families;
}

} // namespace quillmorph
