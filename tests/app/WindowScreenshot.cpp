// Saves what the window looks like on a real display, for docs/window.png:
//   xvfb-run -a -s "-screen 0 640x480x24" build-app/tests/app/window_screenshot docs/window.png
// and, in English, for docs/window-en.png with LANGUAGE=en in front.
#include "AppIcon.h"
#include "engine/ImagingEngine.h"
#include "frmMain.h"
#include "options/Language.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmorph::installTranslations(app);
    if (argc < 2) {
        QTextStream(stderr) << "usage: window_screenshot OUTPUT.png [ICON.png]\n";
        return 2;
    }
    if (!quillmorph::startImagingEngine(argv[0], quillmorph::VectorCode::Off))
        return 1;
    // The window as it first appears: default settings, whatever the account has stored.
    QTemporaryDir home;
    qputenv("windir", QFile::encodeName(home.path()));
    quillmorph::WindowStart start;
    start.desktopPath = home.filePath(QStringLiteral("Desktop"));
    quillmorph::frmMain window(start, quillmorph::platformDialogs());
    window.move(0, 0);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QTest::qWait(300);
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    if (!shot.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc > 2 && !quillmorph::drawAppIcon(256).save(QString::fromLocal8Bit(argv[2])))
        return 1;
    return 0;
}
