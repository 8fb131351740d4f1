#include "CliOptionTable.h"

#include "files/PatternFields.h"
#include "frontend/ChoiceParsers.h"

#include <QCoreApplication>

namespace quillmorph {

namespace {

// Sets error to wants (translated, the value as %1) and refuses the option.
bool refuse(QString& error, const char* wants, const QString& value) {
    error = QCoreApplication::translate("quillmorph-cli", wants).arg(value);
    return false;
}

// A switch of the request (help, version) or of its options (keep-going and the like).
template <bool CliRequest::*flag> bool requestSwitch(ParseState& s, const OptionValue&, QString&) {
    s.request.*flag = true;
    return true;
}
template <bool ConversionOptions::*flag>
bool optionSwitch(ParseState& s, const OptionValue&, QString&) {
    s.request.options.*flag = true;
    return true;
}

bool onlyFiles(ParseState& s, const OptionValue&, QString&) {
    s.onlyFiles = true;
    return true;
}

bool presetOption(ParseState& s, const OptionValue& v, QString&) {
    s.presetText = v.text;
    return true;
}

bool nameOption(ParseState& s, const OptionValue& v, QString& error) {
    QString bad;
    NamePattern::Fault fault = NamePattern::Fault::Part;
    const auto pattern = NamePattern::parse(v.text, &bad, &fault);
    if (!pattern && fault == NamePattern::Fault::Hidden)
        return refuse(error,
                      QT_TRANSLATE_NOOP("quillmorph-cli",
                                        "--name: a name cannot begin with \"%1\": the "
                                        "outputs would be hidden files"),
                      bad);
    if (!pattern && fault == NamePattern::Fault::Control)
        return refuse(
            error,
            QT_TRANSLATE_NOOP("quillmorph-cli",
                              "--name: a name cannot hold a line break or another "
                              "control character (U+%1)"),
            QString::number(bad.at(0).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    if (!pattern)
        return refuse(error,
                      QT_TRANSLATE_NOOP("quillmorph-cli",
                                        "--name: \"%1\" cannot be in a name; the fields are "
                                        "{name}, {n}, {w}, {h}, {date} and {preset}"),
                      bad);
    s.request.options.namePattern = *pattern;
    return true;
}

bool modeOption(ParseState& s, const OptionValue& v, QString& error) {
    const auto mode = parseFitMode(v.text);
    if (!mode)
        return refuse(
            error, QT_TRANSLATE_NOOP("quillmorph-cli", "--mode wants pad, fit or fill, not \"%1\""),
            v.text);
    s.request.options.fitMode = *mode;
    return true;
}

bool cropOption(ParseState& s, const OptionValue& v, QString& error) {
    const auto anchor = parseCropAnchor(v.text);
    if (!anchor)
        return refuse(
            error,
            QT_TRANSLATE_NOOP("quillmorph-cli", "--crop wants centre or attention, not \"%1\""),
            v.text);
    s.request.options.crop = *anchor;
    return true;
}

bool maxSizeOption(ParseState& s, const OptionValue& v, QString& error) {
    const auto bytes = parseSizeLimit(v.text);
    if (!bytes)
        return refuse(error,
                      QT_TRANSLATE_NOOP(
                          "quillmorph-cli",
                          "--max-size wants a size in KB or with K or M, up to 1024M, not \"%1\""),
                      v.text);
    // The menu and the stored setting count whole KB: below one a limit is a slip (0.4K once
    // meant no limit at all).
    if (*bytes > 0 && *bytes < 1024)
        return refuse(
            error,
            QT_TRANSLATE_NOOP("quillmorph-cli",
                              "--max-size wants at least 1K (0 for no limit), not \"%1\""),
            v.text);
    s.request.options.sizeLimitBytes = *bytes;
    return true;
}

bool noSizeOption(ParseState& s, const OptionValue&, QString&) {
    s.noSizeGiven = true;
    s.request.options.sizeConversion = false;
    return true;
}

bool outputDirOption(ParseState& s, const OptionValue& v, QString&) {
    s.request.outputParent = FilePath::fromNative(v.raw);
    return true;
}

bool formatOption(ParseState& s, const OptionValue& v, QString& error) {
    const auto format = parseFormat(v.text);
    if (!format) {
        error =
            QCoreApplication::translate("quillmorph-cli", "unknown format \"%1\"; use one of %2")
                .arg(v.text, formatNames());
        return false;
    }
    s.request.options.format = *format;
    return true;
}

bool sizeOption(ParseState& s, const OptionValue& v, QString& error) {
    const auto box = parseBox(v.text);
    if (!box)
        return refuse(error,
                      QT_TRANSLATE_NOOP("quillmorph-cli",
                                        "--size wants WxH with W and H from 1 to 32767, "
                                        "Wx* or *xH, or a percent such as 50%, not \"%1\""),
                      v.text);
    s.sizeGiven = true;
    s.request.options.sizeConversion = true;
    s.request.options.box = box;
    return true;
}

bool qualityOption(ParseState& s, const OptionValue& v, QString& error) {
    // auto keeps the quality value as its ceiling, stored or given as well.
    if (v.text == QLatin1String("auto")) {
        s.request.options.qualityByEye = true;
        return true;
    }
    const auto factor = parseQuality(v.text);
    if (!factor)
        return refuse(error,
                      QT_TRANSLATE_NOOP("quillmorph-cli",
                                        "--quality wants a number from 0 to 100 or auto, not "
                                        "\"%1\""),
                      v.text);
    s.request.options.qualityFactor = *factor;
    return true;
}

bool backgroundOption(ParseState& s, const OptionValue& v, QString& error) {
    const auto colour = parseColour(v.text);
    if (!colour)
        return refuse(error,
                      QT_TRANSLATE_NOOP("quillmorph-cli",
                                        "--background wants #RRGGBB or a colour name, not \"%1\""),
                      v.text);
    s.request.options.backColor = *colour;
    return true;
}

// The fields of a name pattern, each with what it stands for, as a list in a sentence.
QString describedFields() {
    return describedPatternFields().join(
        QCoreApplication::translate("quillmorph-cli", ", ", "between two items of a list"));
}

// The command line speaks English; a translation finds these texts under "quillmorph-cli".
const CliOption kOptions[] = {
    {"--output-dir", "DIR", outputDirOption,
     QT_TRANSLATE_NOOP("quillmorph-cli", "make the dated folder in DIR instead of the Desktop")},
    {"--format", "NAME", formatOption, QT_TRANSLATE_NOOP("quillmorph-cli", "one of %1"),
     formatNames},
    {"--size", "WxH", sizeOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "fit into a box of W x H pixels (size conversion on); Wx* or *xH: that "
                       "side, the other follows the picture; P%: each picture at P percent of "
                       "its own size")},
    {"--no-size", nullptr, noSizeOption,
     QT_TRANSLATE_NOOP("quillmorph-cli", "keep each image's own size (size conversion off)")},
    {"--quality", "Q", qualityOption,
     QT_TRANSLATE_NOOP("quillmorph-cli", "quality value, 100 best (JPEG, CMP, WEBP, AVIF, JXL)")},
    {"--quality", "auto", qualityOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "each picture at the lowest quality that looks the same, by the "
                       "Butteraugli metric; the quality value is the ceiling")},
    {"--background", "COLOR", backgroundOption,
     QT_TRANSLATE_NOOP("quillmorph-cli", "margin colour: #RRGGBB or a colour name such as white")},
    {"--keep-going", nullptr, optionSwitch<&ConversionOptions::keepGoing>,
     QT_TRANSLATE_NOOP("quillmorph-cli", "report a failed file on standard error and go on")},
    {"--mode", "MODE", modeOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "how a picture meets the box: pad (the whole box, the picture centred on "
                       "the margin colour), fit (the picture's own scaled size, no margin) or "
                       "fill (the whole box, the overflow cropped)")},
    {"--crop", "WHERE", cropOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "what a fill keeps: centre, or attention (the busiest part)")},
    {"--no-enlarge", nullptr, optionSwitch<&ConversionOptions::noEnlarge>,
     QT_TRANSLATE_NOOP("quillmorph-cli", "a picture smaller than the box keeps its own size")},
    {"--keep-metadata", nullptr, optionSwitch<&ConversionOptions::keepExif>,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "keep the date taken, camera, exposure, artist, copyright and description "
                       "(JPEG, PNG, WEBP, AVIF); never GPS, serial numbers, maker notes, "
                       "thumbnails, XMP or IPTC")},
    {"--keep-dates", nullptr, optionSwitch<&ConversionOptions::keepDates>,
     QT_TRANSLATE_NOOP("quillmorph-cli", "give each output its source's modification time")},
    {"--max-size", "SIZE", maxSizeOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "every output at most SIZE: KB, or with K or M (300K, 1.5M); the best "
                       "quality that fits (JPEG, CMP, WEBP, AVIF, JXL; PNG as a palette, GIF "
                       "with fewer colours); outputs of a free size are made smaller to fit")},
    {"--preset", "NAME", presetOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "the choices of a preset (mail, blog, sns-square, wallpaper, thumbnail, "
                       "web-webp, its label such as メール用, or one saved in the window); "
                       "options given go over it")},
    {"--list-presets", nullptr, requestSwitch<&CliRequest::listPresets>,
     QT_TRANSLATE_NOOP("quillmorph-cli", "list the presets: the name, a tab, the label")},
    {"--name", "PATTERN", nameOption,
     QT_TRANSLATE_NOOP("quillmorph-cli",
                       "name the outputs by PATTERN: %1 (e.g. {name}_{w}x{h}, shop_{n})"),
     describedFields},
    {"--help", nullptr, requestSwitch<&CliRequest::showHelp>,
     QT_TRANSLATE_NOOP("quillmorph-cli", "show this text")},
    {"--version", nullptr, requestSwitch<&CliRequest::showVersion>,
     QT_TRANSLATE_NOOP("quillmorph-cli", "show the version")},
    {"--", nullptr, onlyFiles, nullptr},
};

} // namespace

std::span<const CliOption> cliOptions() {
    return kOptions;
}

const CliOption* findOption(const QString& name) {
    for (const CliOption& option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

QString describedOption(const CliOption& option) {
    if (!option.description)
        return {};
    const QString text = QCoreApplication::translate("quillmorph-cli", option.description);
    return option.detail ? text.arg(option.detail()) : text;
}

} // namespace quillmorph
