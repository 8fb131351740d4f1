#include "CliOptions.h"

#include "engine/OutputFormat.h"
#include "frontend/OptionsFromChoices.h"
#include "options/QualityFactor.h"

#include <QColor>
#include <QCoreApplication>
#include <QRegularExpression>
#include <cmath>

namespace quillmorph {

namespace {

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

// A size in KB, or with K or M after it (1.5M is 1536 KB), in whole bytes (1.6K is 1638); 0 is
// no limit.
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

// Of the stored choices only the six the window always had: a script that did not ask for the
// menu's later choices behaves as it always did. A preset then sets its own.
ConversionOptions storedOptions(const StoredChoices& stored, const std::optional<Preset>& preset) {
    StoredChoices six;
    six.sizeConversion = stored.sizeConversion;
    six.widthText = stored.widthText;
    six.heightText = stored.heightText;
    six.qualityText = stored.qualityText;
    six.formatText = stored.formatText;
    six.backColor = stored.backColor;
    if (!preset)
        return conversionOptions(six);
    return conversionOptions(six, *preset);
}

// A name as a terminal may show it: a control character in it (put into the settings file by
// hand, or typed) is written as \xHH, as in a file's name, so it neither drives the terminal nor
// splits the line a script reads.
QString printable(const QString& name) {
    return QString::fromUtf8(FilePath::fromNative(name.toUtf8()).printable());
}

QString presetNames(const std::vector<Preset>& presets) {
    QStringList names;
    for (const Preset& p : presets)
        names << printable(p.name);
    return names.join(QLatin1String(", "));
}

QString formatNames() {
    QStringList names;
    for (const OutputFormat& f : outputFormats())
        names << QLatin1String(f.name);
    return names.join(QLatin1String(", "));
}

// The command line speaks English; a translation finds these texts under "quillmorph-cli".
constexpr char kUsage[] = QT_TRANSLATE_NOOP(
    "quillmorph-cli",
    "Usage: quillmorph-cli [--output-dir DIR] [--format NAME] [--size WxH | --no-size]\n"
    "                      [--quality Q|auto] [--background COLOR] [--keep-going]\n"
    "                      [--mode pad|fit|fill] [--crop centre|attention] [--no-enlarge]\n"
    "                      [--keep-metadata] [--keep-dates] [--max-size SIZE]\n"
    "                      [--preset NAME] [--name PATTERN] FILE...\n"
    "       quillmorph-cli --list-presets\n"
    "\n"
    "Converts FILEs as a drop on the quillmorph window would: into a new dated folder\n"
    "(pic + date + time) on the Desktop, each fitted into the box on the margin colour.\n"
    "A folder stands for the pictures in it and its subfolders; their outputs keep\n"
    "its tree. Files inside folders that are not pictures are skipped.\n"
    "Options not given come from the stored settings (or their defaults); --keep-going\n"
    "and the options after it are off unless given.\n"
    "\n"
    "  --output-dir DIR    make the dated folder in DIR instead of the Desktop\n"
    "  --format NAME       one of %1\n"
    "  --size WxH          fit into a box of W x H pixels (size conversion on); Wx*\n"
    "                      or *xH: that side, the other follows the picture; P%:\n"
    "                      each picture at P percent of its own size\n"
    "  --no-size           keep each image's own size (size conversion off)\n"
    "  --quality Q         quality value, 100 best (JPEG, CMP, WEBP, AVIF, JXL)\n"
    "  --quality auto      each picture at the lowest quality that looks the same, by\n"
    "                      the Butteraugli metric; the quality value is the ceiling\n"
    "  --background COLOR  margin colour: #RRGGBB or a colour name such as white\n"
    "  --keep-going        report a failed file on standard error and go on\n"
    "  --mode MODE         how a picture meets the box: pad (the whole box, the picture\n"
    "                      centred on the margin colour), fit (the picture's own scaled\n"
    "                      size, no margin) or fill (the whole box, the overflow cropped)\n"
    "  --crop WHERE        what a fill keeps: centre, or attention (the busiest part)\n"
    "  --no-enlarge        a picture smaller than the box keeps its own size\n"
    "  --keep-metadata     keep the date taken, camera, exposure, artist, copyright and\n"
    "                      description (JPEG, PNG, WEBP, AVIF); never GPS, serial numbers,\n"
    "                      maker notes, thumbnails, XMP or IPTC\n"
    "  --keep-dates        give each output its source's modification time\n"
    "  --max-size SIZE     every output at most SIZE: KB, or with K or M (300K, 1.5M);\n"
    "                      the best quality that fits (JPEG, CMP, WEBP, AVIF, JXL; PNG\n"
    "                      as a palette, GIF with fewer colours); outputs of a free size\n"
    "                      are made smaller to fit\n"
    "  --preset NAME       the choices of a preset (mail, blog, sns-square, wallpaper,\n"
    "                      thumbnail, web-webp, its label such as メール用, or one\n"
    "                      saved in the window); options given go over it\n"
    "  --list-presets      list the presets: the name, a tab, the label\n"
    "  --name PATTERN      name the outputs by PATTERN: {name} the source's name, {n}\n"
    "                      its number in the batch, {w} and {h} the size, {date} the\n"
    "                      day taken (YYYYMMDD), {preset} (e.g. {name}_{w}x{h}, shop_{n})\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "Exit status: 0 all files converted, 1 the batch ended on a failure (or, with\n"
    "--keep-going, any file failed), 2 usage error.\n");

} // namespace

QString cliUsage() {
    return QCoreApplication::translate("quillmorph-cli", kUsage).arg(formatNames());
}

namespace {

// The parse so far, which each option's handler adds to.
struct ParseState {
    CliRequest request;
    bool sizeGiven = false;
    bool noSizeGiven = false;
    bool onlyFiles = false;
    bool presetPass = false; // the first walk, which looks only for --preset
    QString presetText;
};

// An option's value as the shell passed it (kept for file names, which need not be UTF-8) and
// as text; both empty for a switch.
struct OptionValue {
    QByteArray raw;
    QString text;
};

// Applies one option; false, with error set to the usage error, refuses it.
using OptionHandler = bool (*)(ParseState& state, const OptionValue& value, QString& error);

struct CliOption {
    const char* name;
    bool takesValue;
    OptionHandler apply;
};

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

const CliOption kOptions[] = {
    {"--", false,
     [](ParseState& s, const OptionValue&, QString&) {
         s.onlyFiles = true;
         return true;
     }},
    {"--help", false, requestSwitch<&CliRequest::showHelp>},
    {"--version", false, requestSwitch<&CliRequest::showVersion>},
    {"--keep-going", false, optionSwitch<&ConversionOptions::keepGoing>},
    {"--no-enlarge", false, optionSwitch<&ConversionOptions::noEnlarge>},
    {"--keep-metadata", false, optionSwitch<&ConversionOptions::keepExif>},
    {"--keep-dates", false, optionSwitch<&ConversionOptions::keepDates>},
    {"--list-presets", false, requestSwitch<&CliRequest::listPresets>},
    {"--preset", true,
     [](ParseState& s, const OptionValue& v, QString&) {
         s.presetText = v.text;
         return true;
     }},
    {"--name", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
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
             return refuse(error,
                           QT_TRANSLATE_NOOP("quillmorph-cli",
                                             "--name: a name cannot hold a line break or another "
                                             "control character (U+%1)"),
                           QString::number(bad.at(0).unicode(), 16)
                               .toUpper()
                               .rightJustified(4, QLatin1Char('0')));
         if (!pattern)
             return refuse(error,
                           QT_TRANSLATE_NOOP("quillmorph-cli",
                                             "--name: \"%1\" cannot be in a name; the fields are "
                                             "{name}, {n}, {w}, {h}, {date} and {preset}"),
                           bad);
         s.request.options.namePattern = *pattern;
         return true;
     }},
    {"--mode", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         const auto mode = parseFitMode(v.text);
         if (!mode)
             return refuse(
                 error,
                 QT_TRANSLATE_NOOP("quillmorph-cli", "--mode wants pad, fit or fill, not \"%1\""),
                 v.text);
         s.request.options.fitMode = *mode;
         return true;
     }},
    {"--crop", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         const auto anchor = parseCropAnchor(v.text);
         if (!anchor)
             return refuse(error,
                           QT_TRANSLATE_NOOP("quillmorph-cli",
                                             "--crop wants centre or attention, not \"%1\""),
                           v.text);
         s.request.options.crop = *anchor;
         return true;
     }},
    {"--max-size", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         const auto bytes = parseSizeLimit(v.text);
         if (!bytes)
             return refuse(
                 error,
                 QT_TRANSLATE_NOOP(
                     "quillmorph-cli",
                     "--max-size wants a size in KB or with K or M, up to 1024M, not \"%1\""),
                 v.text);
         // The menu and the stored setting count whole KB: below one a limit is a slip (0.4K
         // once meant no limit at all).
         if (*bytes > 0 && *bytes < 1024)
             return refuse(
                 error,
                 QT_TRANSLATE_NOOP("quillmorph-cli",
                                   "--max-size wants at least 1K (0 for no limit), not \"%1\""),
                 v.text);
         s.request.options.sizeLimitBytes = *bytes;
         return true;
     }},
    {"--no-size", false,
     [](ParseState& s, const OptionValue&, QString&) {
         s.noSizeGiven = true;
         s.request.options.sizeConversion = false;
         return true;
     }},
    {"--output-dir", true,
     [](ParseState& s, const OptionValue& v, QString&) {
         s.request.outputParent = FilePath::fromNative(v.raw);
         return true;
     }},
    {"--format", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         const FormatChoice format = formatChoiceFor(v.text);
         if (!format.row) {
             error = QCoreApplication::translate("quillmorph-cli",
                                                 "unknown format \"%1\"; use one of %2")
                         .arg(v.text, formatNames());
             return false;
         }
         s.request.options.format = format;
         return true;
     }},
    {"--size", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         static const QRegularExpression form(QStringLiteral("^\\s*([^xX]*)[xX]([^xX]*)\\s*$"));
         const auto match = form.match(v.text);
         const bool share = v.text.trimmed().endsWith(QLatin1Char('%'));
         const auto box = share              ? boxFromText(v.text, {})
                          : match.hasMatch() ? boxFromText(match.captured(1), match.captured(2))
                                             : std::nullopt;
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
     }},
    {"--quality", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         // auto keeps the quality value as its ceiling, stored or given as well.
         if (v.text == QLatin1String("auto")) {
             s.request.options.qualityByEye = true;
             return true;
         }
         // The window takes any number; beyond 0…100 a quality means nothing, and a slip
         // such as -5 would quietly give the lowest.
         bool ok = false;
         const double quality = v.text.toDouble(&ok);
         if (!ok || !(quality >= 0 && quality <= 100))
             return refuse(error,
                           QT_TRANSLATE_NOOP("quillmorph-cli",
                                             "--quality wants a number from 0 to 100 or auto, not "
                                             "\"%1\""),
                           v.text);
         s.request.options.qualityFactor = qualityFactorFromText(qualityFactorText(v.text));
         return true;
     }},
    {"--background", true,
     [](ParseState& s, const OptionValue& v, QString& error) {
         const auto colour = parseColour(v.text);
         if (!colour)
             return refuse(
                 error,
                 QT_TRANSLATE_NOOP("quillmorph-cli",
                                   "--background wants #RRGGBB or a colour name, not \"%1\""),
                 v.text);
         s.request.options.backColor = *colour;
         return true;
     }},
};

const CliOption* findOption(const QString& name) {
    for (const CliOption& option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

} // namespace

namespace {

// Applies every argument to state in order; false at the first usage error. The preset pass
// takes only --preset (and errors), leaving the rest for the walk over the preset's choices.
bool walk(const QByteArrayList& arguments, ParseState& state, QString& error) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& arg = arguments[i];
        if (state.onlyFiles || !arg.startsWith("--")) {
            if (!state.presetPass)
                state.request.files << FilePath::fromNative(arg);
            continue;
        }
        // --name=value, or --name and its value in the next argument.
        const qsizetype eq = arg.indexOf('=');
        const QString name = QString::fromLocal8Bit(eq > 0 ? arg.left(eq) : arg);
        const CliOption* option = findOption(name);
        if (!option) {
            error = QCoreApplication::translate("quillmorph-cli", "unknown option %1").arg(name);
            return false;
        }
        OptionValue value;
        if (option->takesValue) {
            if (eq > 0)
                value.raw = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value.raw = arguments[++i];
            // An empty value (--output-dir= or "") is as good as none.
            if (value.raw.isEmpty()) {
                error = QCoreApplication::translate("quillmorph-cli", "%1 needs a value").arg(name);
                return false;
            }
            value.text = QString::fromLocal8Bit(value.raw);
        }
        const bool isPreset = name == QLatin1String("--preset");
        const bool applies = state.presetPass ? isPreset || name == QLatin1String("--") : !isPreset;
        if (applies && !option->apply(state, value, error))
            return false;
    }
    return true;
}

} // namespace

QString presetList(const std::vector<Preset>& presets) {
    QString list;
    for (const Preset& p : presets)
        list += printable(p.name) + QLatin1Char('\t') + printable(p.label) + QLatin1Char('\n');
    return list;
}

std::optional<CliRequest> parseCommandLine(const QByteArrayList& arguments,
                                           const StoredChoices& stored,
                                           const FilePath& defaultOutputParent, QString& error,
                                           const std::vector<Preset>& presets) {
    ParseState first;
    first.presetPass = true;
    if (!walk(arguments, first, error))
        return std::nullopt;
    std::optional<Preset> preset;
    if (!first.presetText.isNull()) {
        preset = findPreset(presets, first.presetText);
        if (!preset) {
            error = QCoreApplication::translate("quillmorph-cli",
                                                "unknown preset \"%1\"; use one of %2")
                        .arg(printable(first.presetText), presetNames(presets));
            return std::nullopt;
        }
    }
    ParseState state;
    state.request.options = storedOptions(stored, preset);
    state.request.outputParent = defaultOutputParent;
    if (!walk(arguments, state, error))
        return std::nullopt;
    if (state.sizeGiven && state.noSizeGiven) {
        error = QCoreApplication::translate("quillmorph-cli",
                                            "--size and --no-size exclude each other");
        return std::nullopt;
    }
    if (state.request.files.isEmpty() && !state.request.showHelp && !state.request.showVersion &&
        !state.request.listPresets) {
        error = QCoreApplication::translate("quillmorph-cli", "no files given");
        return std::nullopt;
    }
    return state.request;
}

} // namespace quillmorph
