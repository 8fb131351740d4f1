#include "AppIcon.h"
#include "CommandLineAnswer.h"
#include "FileManagerActions.h"
#include "LaterCopy.h"
#include "OrcGuard.h"
#include "SingleInstance.h"
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

// Every argument is a file to convert, as a drop would give it: a full path, so that a copy
// started elsewhere can hand it over.
quillmorph::FilePaths filesFromArguments(const QByteArrayList& arguments) {
    quillmorph::FilePaths files;
    for (const QByteArray& argument : arguments)
        files << quillmorph::FilePath::fromNative(argument).absolute();
    return files;
}

// Written in English; translations find it under "quillmorph".
constexpr char kUsage[] = QT_TRANSLATE_NOOP(
    "quillmorph",
    "Usage: quillmorph [--preset NAME] [FILE...]\n"
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
    "  --help                   show this text\n"
    "  --version                show the version\n"
    "  --install-thunar-action  add \"Convert with quillmorph\" to Thunar's right-click menu\n"
    "                           (~/.config/Thunar/uca.xml), with the presets\n"
    "  --remove-thunar-action   take it away again, leaving the other actions as they are\n");

// The file manager's menu in the language of the moment, with every preset, the user's too.
quillmorph::FileManagerMenu fileManagerMenu() {
    quillmorph::FileManagerMenu menu{
        QCoreApplication::translate("quillmorph", "quillmorph で変換"),
        QCoreApplication::translate("quillmorph", "ウィンドウの現在の設定で"),
        {}};
    for (const quillmorph::Preset& preset : quillmorph::allPresets(
             quillmorph::Profile::fromFile(quillmorph::places::settingsFilePath())))
        menu.presets.emplace_back(preset.name, preset.label);
    return menu;
}

int changeFileManagerActions(bool install) {
    const quillmorph::FileManagerChange change =
        quillmorph::changeFileManagerActions(install, fileManagerMenu());
    if (!change.fault.isEmpty()) {
        quillmorph::commandLine::tell(QStringLiteral("quillmorph: %1\n").arg(change.fault), true);
        return 1;
    }
    quillmorph::commandLine::tell(change.done + QLatin1Char('\n'), false);
    return 0;
}

// Answered before the toolkit starts, so that they need no display and never reach a
// running window as file names.
std::optional<int> answerInformationRequest(int argc, char** argv) {
    if (argc != 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0) {
        // An application that needs no display where there is a terminal, to translate the text.
        const auto core = quillmorph::commandLine::answeringApplication(argc, argv);
        quillmorph::installTranslations(*core);
        quillmorph::commandLine::tell(QCoreApplication::translate("quillmorph", kUsage), false);
        return 0;
    }
    const bool install = std::strcmp(argv[1], "--install-thunar-action") == 0;
    if (install || std::strcmp(argv[1], "--remove-thunar-action") == 0) {
        const auto core = quillmorph::commandLine::answeringApplication(argc, argv);
        quillmorph::installTranslations(*core);
        return changeFileManagerActions(install);
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
    const bool withPreset = arguments.size() >= 2 && arguments[0] == "--preset";
    if (withPreset)
        start.preset = quillmorph::commandLine::text(arguments[1]);
    start.files = filesFromArguments(arguments.mid(withPreset ? 2 : 0));
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
