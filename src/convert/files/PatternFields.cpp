#include "files/PatternFields.h"

#include <QCoreApplication>

namespace quillmorph {

namespace {

// The command line's texts are written in English and found under its context; the window
// shows the same words through the same translations.
constexpr PatternField kFields[] = {
    {PatternFieldKind::Name, "name", QT_TRANSLATE_NOOP("quillmorph-cli", "the source's name")},
    {PatternFieldKind::Number, "n", QT_TRANSLATE_NOOP("quillmorph-cli", "its number in the batch")},
    {PatternFieldKind::Width, "w", QT_TRANSLATE_NOOP("quillmorph-cli", "the width")},
    {PatternFieldKind::Height, "h", QT_TRANSLATE_NOOP("quillmorph-cli", "the height")},
    {PatternFieldKind::Date, "date",
     QT_TRANSLATE_NOOP("quillmorph-cli", "the day taken (YYYYMMDD)")},
    {PatternFieldKind::Preset, "preset", QT_TRANSLATE_NOOP("quillmorph-cli", "the preset's name")},
};

} // namespace

std::span<const PatternField> patternFields() {
    return kFields;
}

QStringList describedPatternFields() {
    QStringList described;
    for (const PatternField& field : kFields)
        described << QLatin1Char('{') + QLatin1String(field.name) + QLatin1String("} ") +
                         QCoreApplication::translate("quillmorph-cli", field.description);
    return described;
}

} // namespace quillmorph
