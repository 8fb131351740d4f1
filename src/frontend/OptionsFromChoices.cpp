#include "frontend/OptionsFromChoices.h"

#include "options/QualityFactor.h"

namespace quillmorph {

namespace {

FitMode fitModeFor(StoredFit fit) {
    switch (fit) {
    case StoredFit::Fit:
        return FitMode::Fit;
    case StoredFit::Fill:
        return FitMode::Fill;
    case StoredFit::Pad:
        break;
    }
    return FitMode::Pad;
}

} // namespace

ConversionOptions conversionOptions(const StoredChoices& choices) {
    ConversionOptions options;
    options.sizeConversion = choices.sizeConversion;
    options.box = boxFromText(choices.widthText, choices.heightText);
    options.format = formatChoiceFor(choices.formatText);
    options.qualityFactor = qualityFactorFromText(qualityFactorText(choices.qualityText));
    options.backColor = choices.backColor;
    options.keepGoing = choices.keepGoing;
    options.fitMode = fitModeFor(choices.fitMode);
    options.crop =
        choices.crop == StoredCrop::Attention ? CropAnchor::Attention : CropAnchor::Centre;
    options.noEnlarge = choices.noEnlarge;
    options.keepExif = choices.keepExif;
    options.keepDates = choices.keepDates;
    options.sizeLimitBytes = qint64(choices.maxKB) * 1024;
    // The menu takes only a pattern that parses; one edited into the file by hand and broken
    // leaves the names as the sources'.
    options.namePattern = NamePattern::parse(choices.namePattern).value_or(NamePattern());
    options.qualityByEye = choices.qualityByEye;
    return options;
}

ConversionOptions conversionOptions(const StoredChoices& choices, const Preset& preset) {
    ConversionOptions options = conversionOptions(withPreset(choices, preset));
    options.presetName = preset.name;
    return options;
}

} // namespace quillmorph
