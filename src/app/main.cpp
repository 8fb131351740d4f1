#include "AppIcon.h"
#include "LeadImage.h"
#include "UserDialogs.h"
#include "frmMain.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmorph"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMORPH_VERSION));
    QApplication::setWindowIcon(quillmorph::appIcon());

    const quillmorph::UserDialogs dialogs = quillmorph::platformDialogs();
    if (!quillmorph::startImagingEngine(argv[0])) {
        dialogs.showMessage(nullptr,
                            QStringLiteral("画像処理エンジン (libvips) を開始できませんでした。"));
        return 1;
    }
    quillmorph::frmMain window(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
                               dialogs);
    window.show();
    return app.exec();
}
