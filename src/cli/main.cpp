#include "CliOptions.h"
#include "ConsoleSink.h"
#include "ConvertFiles.h"
#include "Language.h"
#include "ImagingEngine.h"
#include "Messages.h"
#include "Profile.h"
#include "QualityFactor.h"
#include "StoredChoices.h"
#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>

using namespace quillmorph;

namespace {

class FixedOptions : public OptionsSource {
public:
    explicit FixedOptions(ConversionSettings settings) : settings_(std::move(settings)) {}
    ConversionSettings current() const override { return settings_; }

private:
    ConversionSettings settings_;
};

ConversionSettings storedDefaults() {
    const StoredChoices stored = readStoredChoices(Profile::fromFile(settingsFilePath()));
    ConversionSettings s;
    s.sizeConversion = stored.sizeConversion;
    s.widthText = stored.widthText;
    s.heightText = stored.heightText;
    s.formatText = stored.formatText;
    s.qualityFactorText = qualityFactorText(stored.qualityText);
    s.backColor = stored.backColor;
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmorph"));
    installTranslations(app);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const auto request = parseCommandLine(arguments, storedDefaults(), desktop, error);
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
    if (request->showVersion) {
        out << "quillmorph-cli " << QUILLMORPH_VERSION << Qt::endl;
        return 0;
    }
    if (!startImagingEngine(argv[0])) {
        err << "quillmorph-cli: "
            << QCoreApplication::translate("quillmorph-cli",
                                           "the imaging engine (libvips) could not start")
            << Qt::endl;
        return 1;
    }

    FilePaths files;
    for (const FilePath& file : request->files)
        files << file.absolute();
    FixedOptions options(request->settings);
    const TerminationSignals stopSignals;
    ConsoleSink sink;
    BatchPlace place;
    place.parentFolder = request->outputParent;
    const BatchResult result = ConvertFiles(files, place, options, sink);
    sink.clearProgress();
    if (result.outcome == BatchResult::Outcome::Completed && result.failures.isEmpty()) {
        out << result.message << Qt::endl;
        return 0;
    }
    // A batch that stopped early says why before its counts.
    if (result.outcome != BatchResult::Outcome::Completed)
        err << result.message << Qt::endl;
    if (!result.failures.isEmpty()) {
        err << message::summary(result.converted, int(result.failures.size()), result.skipped)
            << Qt::endl;
    }
    // Stopped by a signal, it ends the way the shell expects of one: 128 + the signal's number.
    if (result.outcome == BatchResult::Outcome::Cancelled && TerminationSignals::caught() != 0)
        return 128 + TerminationSignals::caught();
    return 1;
}
