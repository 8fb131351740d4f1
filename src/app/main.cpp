#include "AppIcon.h"
#include "LeadImage.h"
#include "SingleInstance.h"
#include "UserDialogs.h"
#include "WindowStart.h"
#include "frmMain.h"

#include <QApplication>
#include <QFileInfo>

namespace {

// Every argument is a file to convert, as a drop would give it: a full path, so that a copy
// started elsewhere can hand it over.
QStringList filesFromArguments(const QStringList& arguments) {
    QStringList files;
    for (const QString& argument : arguments.mid(1))
        files << QFileInfo(argument).absoluteFilePath();
    return files;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmorph"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMORPH_VERSION));
    // Ties the window to the installed desktop entry (its icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmorph.quillmorph"));
    QApplication::setWindowIcon(quillmorph::appIcon());

    const quillmorph::UserDialogs dialogs = quillmorph::platformDialogs();
    if (!quillmorph::startImagingEngine(argv[0])) {
        dialogs.showMessage(nullptr,
                            QStringLiteral("画像処理エンジン (libvips) を開始できませんでした。"));
        return 1;
    }
    quillmorph::SingleInstance instance(quillmorph::SingleInstance::userFolder());
    quillmorph::WindowStart start;
    start.files = filesFromArguments(QCoreApplication::arguments());
    start.instance = &instance;
    quillmorph::frmMain window(start, dialogs);
    if (const std::optional<int> status = window.exitStatusAtLoad())
        return *status;
    window.show();
    return app.exec();
}
