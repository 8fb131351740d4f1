#include "batch/ConversionOptions.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace quillmorph {

namespace {

// A number as typed in C notation or the user's own (a decimal comma).
std::optional<float> numberFromText(const QString& text) {
    bool ok = false;
    float value = QLocale::c().toFloat(text, &ok);
    if (!ok)
        value = QLocale().toFloat(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "50%" as 50; 0 for a text without a percent sign; -1 for one that is no share we take.
float percentFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!trimmed.endsWith(QLatin1Char('%')))
        return 0;
    const auto value = numberFromText(trimmed.chopped(1).trimmed());
    return value && *value > 0 && *value <= kMaxPercent ? *value : -1;
}

bool followsOther(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() || trimmed == QLatin1String("*");
}

} // namespace

std::optional<int> boxSideFromText(const QString& text) {
    const auto value = numberFromText(text.trimmed());
    if (!value)
        return std::nullopt;
    const float rounded = std::nearbyint(*value); // default rounding mode: half to even
    if (rounded < 1.0f || rounded > 32767.0f)
        return std::nullopt;
    return int(rounded);
}

std::optional<BoxSize> boxFromText(const QString& width, const QString& height) {
    const float wp = percentFromText(width);
    const float hp = percentFromText(height);
    if (wp < 0 || hp < 0 || (wp > 0 && hp > 0 && wp != hp))
        return std::nullopt;
    if (wp > 0 || hp > 0)
        return BoxSize{0, 0, std::max(wp, hp)};
    const auto w = boxSideFromText(width);
    const auto h = boxSideFromText(height);
    if (w && h)
        return BoxSize{*w, *h};
    if (w && followsOther(height))
        return BoxSize{*w, 0};
    if (h && followsOther(width))
        return BoxSize{0, *h};
    return std::nullopt;
}

BoxSize BoxSize::forPicture(double sourceWidth, double sourceHeight) const {
    const auto side = [](double value) { return int(std::clamp(std::round(value), 1.0, 32767.0)); };
    sourceWidth = std::max(sourceWidth, 1.0);
    sourceHeight = std::max(sourceHeight, 1.0);
    if (percent > 0)
        return {side(sourceWidth * percent / 100), side(sourceHeight * percent / 100)};
    if (width == 0)
        return {side(sourceWidth * height / sourceHeight), height};
    if (height == 0)
        return {width, side(sourceHeight * width / sourceWidth)};
    return *this;
}

} // namespace quillmorph
