#include "CliOptions.h"
#include "ConvertFiles.h"
#include "LeadImage.h"
#include "Profile.h"
#include "QualityFactor.h"
#include "StoredChoices.h"

#include <QCoreApplication>
#include <QFileInfo>
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

class ConsoleSink : public BatchSink {
public:
    void report(const QString& text) override { err_ << text << Qt::endl; }
    void batchStarted(const QString& folder) override { out_ << folder << Qt::endl; }
    void fileConverted(const QString&, const QString& output) override {
        out_ << output << Qt::endl;
    }

private:
    mutable QTextStream out_{stdout};
    mutable QTextStream err_{stderr};
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
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const auto request =
        parseCommandLine(app.arguments().mid(1), storedDefaults(), desktop, error);
    if (!request) {
        err << "quillmorph-cli: " << error << Qt::endl
            << "Try 'quillmorph-cli --help'." << Qt::endl;
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
        err << "quillmorph-cli: the imaging engine (libvips) could not start" << Qt::endl;
        return 1;
    }

    QStringList files;
    for (const QString& file : request->files)
        files << QFileInfo(file).absoluteFilePath();
    FixedOptions options(request->settings);
    ConsoleSink sink;
    BatchPlace place;
    place.parentFolder = request->outputParent;
    const BatchResult result = ConvertFiles(files, place, options, sink);
    out.flush();
    if (result.outcome == BatchResult::Outcome::Completed) {
        out << result.message << Qt::endl;
        return 0;
    }
    err << result.message << Qt::endl;
    return 1;
}
