#include "frontend/ChoiceParsers.h"

#include "options/QualityFactor.h"
#include "settings/StoredChoices.h"

#include <QColor>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace quillmorph {

std::optional<quint32> parseColour(const QString& text) {
    const QColor colour(text);
    if (!colour.isValid())
        return std::nullopt;
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}

std::optional<FitMode> parseFitMode(const QString& text) {
    if (text == QLatin1String("pad"))
        return FitMode::Pad;
    if (text == QLatin1String("fit"))
        return FitMode::Fit;
    if (text == QLatin1String("fill"))
        return FitMode::Fill;
    return std::nullopt;
}

std::optional<CropAnchor> parseCropAnchor(const QString& text) {
    if (text == QLatin1String("centre") || text == QLatin1String("center"))
        return CropAnchor::Centre;
    if (text == QLatin1String("attention"))
        return CropAnchor::Attention;
    return std::nullopt;
}

std::optional<qint64> parseSizeLimit(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*([0-9]+(?:\\.[0-9]+)?)\\s*([kKmM]?)\\s*$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const bool megabytes = match.captured(2).compare(QLatin1String("m"), Qt::CaseInsensitive) == 0;
    const double kb = match.captured(1).toDouble() * (megabytes ? 1024 : 1);
    if (kb > settings::kMaxSizeLimitKB)
        return std::nullopt;
    return qint64(std::floor(kb * 1024));
}

std::optional<BoxSize> parseBox(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*([^xX]*)[xX]([^xX]*)\\s*$"));
    if (text.trimmed().endsWith(QLatin1Char('%')))
        return boxFromText(text, {});
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return boxFromText(match.captured(1), match.captured(2));
}

std::optional<qint16> parseQuality(const QString& text) {
    // The window takes any number; beyond 0…100 a quality means nothing, and a slip such as -5
    // would quietly give the lowest.
    bool ok = false;
    const double quality = text.toDouble(&ok);
    if (!ok || !(quality >= 0 && quality <= 100))
        return std::nullopt;
    return qualityFactorFromText(qualityFactorText(text));
}

std::optional<FormatChoice> parseFormat(const QString& text) {
    const FormatChoice format = formatChoiceFor(text);
    if (!format.row)
        return std::nullopt;
    return format;
}

QString formatNames() {
    QStringList names;
    for (const OutputFormat& f : outputFormats())
        names << QLatin1String(f.name);
    return names.join(QLatin1String(", "));
}

} // namespace quillmorph
