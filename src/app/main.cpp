#include "AppIcon.h"
#include "CommandLineAnswer.h"
#include "FileManagerActions.h"
#include "LaterCopy.h"
#include "OrcGuard.h"
#include "SingleInstance.h"
#include "StartArguments.h"
#include "UserDialogs.h"
#include "WindowStart.h"
#include "engine/ImagingEngine.h"
#include "frmMain.h"
#include "frontend/CommandLine.h"
#include "frontend/Places.h"
#include "frontend/PrivateTempFolder.h"
#include "frontend/TerminationSignals.h"
#include "frontend/ThisProcess.h"
#include "options/Language.h"
#include "settings/Presets.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// Written in English; translations find it under "quillmorph".
constexpr char kUsage[] = QT_TRANSLATE_NOOP(
    "quillmorph",
    "Usage: quillmorph [--preset NAME | --preset-id ID] [--] [FILE...]\n"
    "\n"
    "Opens the quillmorph window. Pictures dropped on it are fitted into the chosen box on the\n"
    "margin colour and saved in the chosen format into a new dated folder (pic + date + time)\n"
    "on the Desktop. FILEs given on the command line are converted as one drop.\n"
    "\n"
    "Only one window runs per user: a second quillmorph hands its FILEs to the running window\n"
    "and ends, or without FILEs says that the window is already running and ends.\n"
    "\n"
    "Options:\n"
    "  --preset NAME            convert the FILEs with a preset (quillmorph-cli --list-presets\n"
    "                           names them); the window's own choices stay as they are\n"
    "  --preset-id ID           the same, the name given as the hexadecimal digits of its UTF-8\n"
    "                           bytes (as the right-click actions name it)\n"
    "  --                       every argument after it is a FILE, even one starting with -\n"
    "  --help                   show this text\n"
    "  --version                show the version\n"
    "%1");

// quiet: told by the exit status alone (an installer's silent run has nobody to close a box).
int changeFileManagerActions(bool install, bool quiet) {
    const quillmorph::FileManagerChange change =
        quillmorph::changeFileManagerActions(install, quillmorph::currentFileManagerMenu());
    if (!change.fault.isEmpty()) {
        if (!quiet)
            quillmorph::commandLine::tell(QStringLiteral("quillmorph: %1\n").arg(change.fault), true);
        return 1;
    }
    if (!quiet)
        quillmorph::commandLine::tell(change.done + QLatin1Char('\n'), false);
    return 0;
}

// Answered before the toolkit starts, so that they need no display and never reach a
// running window as file names.
std::optional<int> answerInformationRequest(int argc, char** argv) {
    const quillmorph::FileManagerOptions actions = quillmorph::fileManagerOptions();
    const bool install = argc >= 2 && std::strcmp(argv[1], actions.install) == 0;
    const bool action = install || (argc >= 2 && std::strcmp(argv[1], actions.remove) == 0);
    const bool quiet = action && argc == 3 && std::strcmp(argv[2], "--quiet") == 0;
    if (argc != 2 && !quiet)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0) {
        // An application that needs no display where there is a terminal, to translate the text.
        const auto core = quillmorph::commandLine::answeringApplication(argc, argv);
        quillmorph::installTranslations(*core);
        quillmorph::commandLine::tell(QCoreApplication::translate("quillmorph", kUsage)
                                          .arg(quillmorph::fileManagerOptions().usage),
                                      false);
        return 0;
    }
    if (action) {
        const auto core = quillmorph::commandLine::answeringApplication(argc, argv);
        quillmorph::installTranslations(*core);
        return changeFileManagerActions(install, quiet);
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        const auto core = quillmorph::commandLine::answeringApplication(argc, argv);
        quillmorph::commandLine::tell(
            QStringLiteral("quillmorph %1\n").arg(QLatin1String(QUILLMORPH_VERSION)), false);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = answerInformationRequest(argc, argv))
        return *status;
    QApplication app(argc, argv);
    // Before libvips starts: what it unpacks to disc goes, and goes away, with the folder.
    const quillmorph::PrivateTempFolder tempFolder;
    QApplication::setApplicationName(QStringLiteral("quillmorph"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMORPH_VERSION));
    // Ties the window to the installed desktop entry (its icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmorph.quillmorph"));
    QApplication::setWindowIcon(quillmorph::appIcon());
    quillmorph::installTranslations(app);

    const quillmorph::UserDialogs dialogs = quillmorph::platformDialogs();
    const auto vectorCode =
        quillmorph::orcVectorCodeSafe() ? quillmorph::VectorCode::On : quillmorph::VectorCode::Off;
    if (!quillmorph::startImagingEngine(argv[0], vectorCode)) {
        dialogs.showMessage(
            nullptr, QCoreApplication::translate(
                         "quillmorph", "画像処理エンジン (libvips) を開始できませんでした。"));
        return 1;
    }
    // A logout or `kill` ends the program as closing the window does: settings saved, exit 0.
    // Caught from before the window loads; acted on once it runs.
    const quillmorph::TerminationSignals stopSignals;
    // A later copy at its warning goes on as if it had been answered.
    QObject::connect(&stopSignals, &quillmorph::TerminationSignals::received, &app,
                     &quillmorph::dismissOpenDialogs);
    quillmorph::SingleInstance instance(quillmorph::SingleInstance::userFolder());
    quillmorph::WindowStart start;
    // `quillmorph --preset NAME FILE...`: the file managers' actions convert with a preset.
    const QByteArrayList arguments = quillmorph::commandLineArguments(argc, argv);
    const quillmorph::StartArguments asked = quillmorph::parseStartArguments(arguments);
    start.preset = asked.preset;
    start.files = asked.files;
    // Only one window per user: a later copy hands its files over and ends without loading.
    // A file manager's action has no terminal to tell of an unknown preset: a box does.
    if (!instance.claim())
        return quillmorph::endAsLaterCopy(
            instance, start.files, start.preset, dialogs,
            quillmorph::thisProcess::standardErrorIsTerminal() ? stderr : nullptr);
    start.instance = &instance;
    // Asked before anything opens the settings: the first opening takes the file over.
    start.settingsNotice = quillmorph::places::settingsFiles().notice;
    quillmorph::frmMain window(start, dialogs);
    QObject::connect(&stopSignals, &quillmorph::TerminationSignals::received, &window,
                     &quillmorph::frmMain::endSession);
    window.show();
    return app.exec();
}
