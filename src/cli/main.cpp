#include "CliOptions.h"
#include "CliUsage.h"
#include "Console.h"
#include "ConsoleSink.h"
#include "OrcGuard.h"
#include "batch/ConvertFiles.h"
#include "batch/Messages.h"
#include "batch/StatusSentences.h"
#include "engine/ImagingEngine.h"
#include "frontend/CommandLine.h"
#include "frontend/Places.h"
#include "frontend/PrivateTempFolder.h"
#include "frontend/TerminationSignals.h"
#include "options/Language.h"
#include "settings/Presets.h"
#include "settings/Profile.h"
#include "settings/StoredChoices.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace quillmorph;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Before libvips starts: what it unpacks to disc goes, and goes away, with the folder.
    const PrivateTempFolder tempFolder;
    QCoreApplication::setApplicationName(QStringLiteral("quillmorph"));
    installTranslations(app);
    ConsoleStream standardOutput(ConsoleStream::Which::Output);
    ConsoleStream standardError(ConsoleStream::Which::Error);
    QTextStream& out = standardOutput.text();
    QTextStream& err = standardError.text();

    QString error;
    const QString desktop = places::desktopFolder();
    const QByteArrayList arguments = commandLineArguments(argc, argv);
    // What the settings file could not give is said once, on stderr, before anything else.
    // Only read here: taking an old file over is left to the window, which saves.
    const QString settingsPath = places::settingsFiles().readPath;
    QStringList notices;
    if (const QString tooLarge = settingsFileNotice(settingsPath); !tooLarge.isEmpty())
        notices << tooLarge;
    const Profile profile = Profile::fromFile(settingsPath);
    const std::vector<Preset> presets = allPresets(profile, &notices);
    const StoredChoices stored = readStoredChoices(profile, &notices);
    for (const QString& notice : notices)
        err << "quillmorph-cli: " << notice << Qt::endl;
    const auto request = parseCommandLine(arguments, stored, desktop, error, presets);
    if (!request) {
        err << "quillmorph-cli: " << error << Qt::endl
            << QCoreApplication::translate("quillmorph-cli", "Try 'quillmorph-cli --help'.")
            << Qt::endl;
        return 2;
    }
    if (request->showHelp) {
        out << cliUsage();
        return 0;
    }
    if (request->listPresets) {
        out << presetList(presets);
        return 0;
    }
    if (request->showVersion) {
        out << "quillmorph-cli " << QUILLMORPH_VERSION << Qt::endl;
        return 0;
    }
    if (!startImagingEngine(argv[0], orcVectorCodeSafe() ? VectorCode::On : VectorCode::Off)) {
        err << "quillmorph-cli: "
            << QCoreApplication::translate("quillmorph-cli",
                                           "the imaging engine (libvips) could not start")
            << Qt::endl;
        return 1;
    }

    FilePaths files;
    for (const FilePath& file : request->files)
        files << file.absolute();
    FixedOptions options(request->options);
    const TerminationSignals stopSignals;
    ConsoleSink sink;
    BatchPlace place;
    place.parentFolder = request->outputParent;
    const BatchResult result = ConvertFiles(files, place, options, sink);
    sink.clearProgress();
    if (result.outcome == BatchResult::Outcome::Completed && result.failures.isEmpty()) {
        out << message::finalMessage(result) << Qt::endl;
        if (result.converted > 0)
            out << message::sizes(result.sizes) << Qt::endl;
        if (const QString eye =
                message::qualitiesByEye(result.qualitiesByEye, result.notJudgedByEye);
            !eye.isEmpty())
            out << eye << Qt::endl;
        return 0;
    }
    // A batch that stopped early says why before its counts.
    if (result.outcome != BatchResult::Outcome::Completed) {
        const QString final = message::finalMessage(result, message::PathForm::Terminal);
        err << (result.failure ? message::withSentence(final, *result.failure) : final) << Qt::endl;
        if (message::leftFilesBehind(result, sink.reach()))
            err << message::restNotConverted() << Qt::endl;
    }
    if (!result.failures.isEmpty()) {
        err << message::summary(result) << Qt::endl;
        if (result.converted > 0)
            err << message::sizes(result.sizes) << Qt::endl;
        if (const QString eye =
                message::qualitiesByEye(result.qualitiesByEye, result.notJudgedByEye);
            !eye.isEmpty())
            err << eye << Qt::endl;
    }
    // Stopped by a signal, it ends the way the shell expects of one: 128 + the signal's number.
    if (result.outcome == BatchResult::Outcome::Cancelled && TerminationSignals::caught() != 0)
        return 128 + TerminationSignals::caught();
    return 1;
}
