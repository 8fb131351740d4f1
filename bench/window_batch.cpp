// Times one batch through the real window (offscreen): the files are handed to the window as
// a drop at start-up, and the clock stops when the completion message is shown.
//   bench-window [--size WxH | --no-size] [--format NAME] [--quality Q] --out DIR FILE...
// Prints "window_seconds <s>" and the final message. Settings come from a private windir.
#include "ImagingEngine.h"
#include "OrcGuard.h"
#include "Profile.h"
#include "StoredChoices.h"
#include "frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

using namespace quillmorph;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!startImagingEngine(argv[0], orcVectorCodeSafe() ? VectorCode::On : VectorCode::Off))
        return 2;
    QTextStream out(stdout);
    QTextStream err(stderr);

    StoredChoices choices = readStoredChoices(Profile());
    WindowStart start;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&] { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QLatin1String("--size")) {
            const QStringList wh = value().split(QLatin1Char('x'));
            choices.sizeConversion = true;
            choices.widthText = wh.value(0);
            choices.heightText = wh.value(1);
        } else if (a == QLatin1String("--no-size")) {
            choices.sizeConversion = false;
        } else if (a == QLatin1String("--format")) {
            choices.formatText = value();
        } else if (a == QLatin1String("--quality")) {
            choices.qualityText = value();
        } else if (a == QLatin1String("--out")) {
            start.desktopPath = value();
        } else {
            start.files << a;
        }
    }
    if (start.desktopPath.isEmpty() || start.files.isEmpty()) {
        err << "usage: bench-window [--size WxH | --no-size] [--format NAME] [--quality Q] --out DIR FILE...\n";
        return 2;
    }

    QTemporaryDir windir;
    qputenv("windir", QFile::encodeName(windir.path()));
    saveStoredChoices(windir.filePath(QStringLiteral("quillmorph.ini")), choices);

    QElapsedTimer clock;
    QString finalMessage;
    UserDialogs dialogs;
    dialogs.beep = [] {};
    dialogs.openUrl = [](const QUrl&) {};
    dialogs.chooseColour = [](QWidget*, const QColor&) { return std::optional<QColor>(); };
    dialogs.showWarning = [&](QWidget*, const QString& text) { finalMessage = text; app.quit(); };
    dialogs.showMessage = [&](QWidget*, const QString& text) {
        finalMessage = text;
        app.quit();
    };
    dialogs.showCompletion = [&](QWidget* parent, const QString& text) {
        dialogs.showMessage(parent, text);
        return false;
    };
    dialogs.showFailures = [&](QWidget* parent, const QString& summary, const QStringList&) {
        dialogs.showMessage(parent, summary);
    };
    clock.start();
    frmMain window(start, dialogs);
    window.show();
    app.exec();
    out << "window_seconds " << QString::number(clock.nsecsElapsed() / 1e9, 'f', 3) << "\n"
        << finalMessage << "\n";
    return finalMessage.contains(QStringLiteral("変換終了")) ? 0 : 1;
}
