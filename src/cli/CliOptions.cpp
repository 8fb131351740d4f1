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
// menu's later choices behaves as it always did.
ConversionOptions storedOptions(const StoredChoices& stored) {
    StoredChoices six;
    six.sizeConversion = stored.sizeConversion;
    six.widthText = stored.widthText;
    six.heightText = stored.heightText;
    six.qualityText = stored.qualityText;
    six.formatText = stored.formatText;
    six.backColor = stored.backColor;
    return conversionOptions(six);
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
    "                      [--quality Q] [--background COLOR] [--keep-going]\n"
    "                      [--mode pad|fit|fill] [--crop centre|attention] [--no-enlarge]\n"
    "                      [--keep-metadata] [--keep-dates] [--max-size SIZE] FILE...\n"
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
    "  --size WxH          fit into a box of W x H pixels (size conversion on)\n"
    "  --no-size           keep each image's own size (size conversion off)\n"
    "  --quality Q         quality value, 100 best (JPEG, CMP, WEBP, AVIF, JXL)\n"
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
    "                      as a palette); outputs of a free size are made smaller to fit\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "Exit status: 0 all files converted, 1 the batch ended on a failure (or, with\n"
    "--keep-going, any file failed), 2 usage error.\n");

} // namespace

QString cliUsage() {
    return QCoreApplication::translate("quillmorph-cli", kUsage).arg(formatNames());
}

std::optional<CliRequest> parseCommandLine(const QByteArrayList& arguments,
                                           const StoredChoices& stored,
                                           const FilePath& defaultOutputParent, QString& error) {
    CliRequest request;
    request.options = storedOptions(stored);
    request.outputParent = defaultOutputParent;
    bool sizeGiven = false;
    bool noSizeGiven = false;
    bool onlyFiles = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& arg = arguments[i];
        if (onlyFiles || !arg.startsWith("--")) {
            request.files << FilePath::fromNative(arg);
            continue;
        }
        QString name = QString::fromLocal8Bit(arg);
        QByteArray rawValue;
        bool hasValue = false;
        if (const qsizetype eq = arg.indexOf('='); eq > 0) {
            name = QString::fromLocal8Bit(arg.left(eq));
            rawValue = arg.mid(eq + 1);
            hasValue = true;
        }
        QString value = QString::fromLocal8Bit(rawValue);
        // An empty value (--output-dir= or "") is as good as none.
        const auto takeValue = [&]() -> bool {
            if (!hasValue && i + 1 < arguments.size()) {
                rawValue = arguments[++i];
                value = QString::fromLocal8Bit(rawValue);
            }
            if (rawValue.isEmpty()) {
                error = QCoreApplication::translate("quillmorph-cli", "%1 needs a value").arg(name);
                return false;
            }
            return true;
        };

        // The value through parse, or none with the usage error wants (the value as %1).
        const auto takeParsed = [&](const auto& parse, const char* wants) {
            decltype(parse(value)) parsed;
            if (takeValue()) {
                parsed = parse(value);
                if (!parsed)
                    error = QCoreApplication::translate("quillmorph-cli", wants).arg(value);
            }
            return parsed;
        };

        if (name == QLatin1String("--")) {
            onlyFiles = true;
        } else if (name == QLatin1String("--help")) {
            request.showHelp = true;
        } else if (name == QLatin1String("--version")) {
            request.showVersion = true;
        } else if (name == QLatin1String("--keep-going")) {
            request.options.keepGoing = true;
        } else if (name == QLatin1String("--no-enlarge")) {
            request.options.noEnlarge = true;
        } else if (name == QLatin1String("--keep-metadata")) {
            request.options.keepExif = true;
        } else if (name == QLatin1String("--keep-dates")) {
            request.options.keepDates = true;
        } else if (name == QLatin1String("--mode")) {
            const auto mode = takeParsed(
                parseFitMode,
                QT_TRANSLATE_NOOP("quillmorph-cli", "--mode wants pad, fit or fill, not \"%1\""));
            if (!mode)
                return std::nullopt;
            request.options.fitMode = *mode;
        } else if (name == QLatin1String("--crop")) {
            const auto anchor = takeParsed(
                parseCropAnchor, QT_TRANSLATE_NOOP("quillmorph-cli",
                                                   "--crop wants centre or attention, not \"%1\""));
            if (!anchor)
                return std::nullopt;
            request.options.crop = *anchor;
        } else if (name == QLatin1String("--max-size")) {
            const auto bytes = takeParsed(
                parseSizeLimit,
                QT_TRANSLATE_NOOP(
                    "quillmorph-cli",
                    "--max-size wants a size in KB or with K or M, up to 1024M, not \"%1\""));
            if (!bytes)
                return std::nullopt;
            // The menu and the stored setting count whole KB: below one a limit is a slip (0.4K
            // once meant no limit at all).
            if (*bytes > 0 && *bytes < 1024) {
                error = QCoreApplication::translate(
                            "quillmorph-cli",
                            "--max-size wants at least 1K (0 for no limit), not \"%1\"")
                            .arg(value);
                return std::nullopt;
            }
            request.options.sizeLimitBytes = *bytes;
        } else if (name == QLatin1String("--no-size")) {
            noSizeGiven = true;
            request.options.sizeConversion = false;
        } else if (name == QLatin1String("--output-dir")) {
            if (!takeValue())
                return std::nullopt;
            request.outputParent = FilePath::fromNative(rawValue);
        } else if (name == QLatin1String("--format")) {
            if (!takeValue())
                return std::nullopt;
            const FormatChoice format = formatChoiceFor(value);
            if (!format.row) {
                error = QCoreApplication::translate("quillmorph-cli",
                                                    "unknown format \"%1\"; use one of %2")
                            .arg(value, formatNames());
                return std::nullopt;
            }
            request.options.format = format;
        } else if (name == QLatin1String("--size")) {
            if (!takeValue())
                return std::nullopt;
            static const QRegularExpression form(QStringLiteral("^\\s*([^xX]+)[xX]([^xX]+)\\s*$"));
            const auto match = form.match(value);
            const auto box =
                match.hasMatch() ? boxFromText(match.captured(1), match.captured(2)) : std::nullopt;
            if (!box) {
                error = QCoreApplication::translate(
                            "quillmorph-cli",
                            "--size wants WxH with W and H from 1 to 32767, not \"%1\"")
                            .arg(value);
                return std::nullopt;
            }
            sizeGiven = true;
            request.options.sizeConversion = true;
            request.options.box = box;
        } else if (name == QLatin1String("--quality")) {
            if (!takeValue())
                return std::nullopt;
            // The window takes any number; beyond 0…100 a quality means nothing, and a slip
            // such as -5 would quietly give the lowest.
            bool ok = false;
            const double quality = value.toDouble(&ok);
            if (!ok || !(quality >= 0 && quality <= 100)) {
                error = QCoreApplication::translate(
                            "quillmorph-cli", "--quality wants a number from 0 to 100, not \"%1\"")
                            .arg(value);
                return std::nullopt;
            }
            request.options.qualityFactor = qualityFactorFromText(qualityFactorText(value));
        } else if (name == QLatin1String("--background")) {
            const auto colour = takeParsed(
                parseColour,
                QT_TRANSLATE_NOOP("quillmorph-cli",
                                  "--background wants #RRGGBB or a colour name, not \"%1\""));
            if (!colour)
                return std::nullopt;
            request.options.backColor = *colour;
        } else {
            error = QCoreApplication::translate("quillmorph-cli", "unknown option %1").arg(name);
            return std::nullopt;
        }
    }
    if (sizeGiven && noSizeGiven) {
        error = QCoreApplication::translate("quillmorph-cli",
                                            "--size and --no-size exclude each other");
        return std::nullopt;
    }
    if (request.files.isEmpty() && !request.showHelp && !request.showVersion) {
        error = QCoreApplication::translate("quillmorph-cli", "no files given");
        return std::nullopt;
    }
    return request;
}

} // namespace quillmorph
