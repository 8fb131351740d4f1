#include "CliOptions.h"

#include "CliOptionTable.h"
#include "frontend/CommandLine.h"
#include "frontend/OptionsFromChoices.h"

#include <QCoreApplication>

namespace quillmorph {

namespace {

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
        const QString name = argumentText(eq > 0 ? arg.left(eq) : arg);
        const CliOption* option = findOption(name);
        if (!option) {
            error = QCoreApplication::translate("quillmorph-cli", "unknown option %1").arg(name);
            return false;
        }
        OptionValue value;
        if (option->argument) {
            if (eq > 0)
                value.raw = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value.raw = arguments[++i];
            // An empty value (--output-dir= or "") is as good as none.
            if (value.raw.isEmpty()) {
                error = QCoreApplication::translate("quillmorph-cli", "%1 needs a value").arg(name);
                return false;
            }
            value.text = argumentText(value.raw);
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
