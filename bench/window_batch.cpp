// Times one batch through the real window (offscreen): the files are handed to the window as
// a drop at start-up, and the clock stops when the completion message is shown.
//   bench-window [--size WxH | --no-size] [--format NAME] [--quality Q] [--batches N] --out DIR FILE...
// Prints "window_seconds <s>" and the final message. Settings come from a private windir.
// With --batches, one window runs N batches of the files, the later ones dropped on it with
// other options set in its controls (format, size on or off, margin colour), each completion
// box the real one, answered at once: a run for LeakSanitizer (see docs/reliability.md).
#include "OrcGuard.h"
#include "engine/ImagingEngine.h"
#include "frmMain.h"
#include "settings/Profile.h"
#include "settings/StoredChoices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace quillmorph;

namespace {

// Batch k's options, set in the window's controls as a user would, then its files dropped on
// the window's free surface.
void dropNextBatch(frmMain& window, int k, const FilePaths& files) {
    static const char* const formats[] = {"JPEG", "PNG", "WEBP", "GIF", "TIFF", "BMP", "PSD", "CMP"};
    window.findChild<QComboBox*>(QStringLiteral("cobFormat"))->setEditText(QLatin1String(formats[k % 8]));
    window.findChild<QCheckBox*>(QStringLiteral("chkMode"))->setChecked(k % 2 == 1);
    window.findChild<QComboBox*>(QStringLiteral("cobWidth"))->setEditText(QString::number(40 + 10 * k));
    window.findChild<QComboBox*>(QStringLiteral("cobHeight"))->setEditText(QString::number(30 + 5 * k));
    window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QMimeData data;
    QList<QUrl> urls;
    for (const FilePath& file : files)
        urls << QUrl::fromLocalFile(file.display());
    data.setUrls(urls);
    // Qt delivers a drop only where the drag entered and moved.
    const QPointF pos(3, 40);
    QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDragMoveEvent move(pos.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &move);
    QDropEvent drop(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

// The process's resident memory and, where glibc tells it, what its heaps hold in use and free:
// a leak grows the first, memory kept for reuse the second.
QString memoryFigures() {
    QFile status(QStringLiteral("/proc/self/status"));
    QString rss;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = QString::number(line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024, 'f', 1);
        }
    }
    QString figures = QStringLiteral("RSS %1 MB").arg(rss);
#ifdef __GLIBC__
    const struct mallinfo2 heap = mallinfo2();
    figures += QStringLiteral(", heap in use %1 MB, free %2 MB")
                   .arg(double(heap.uordblks + heap.hblkhd) / 1048576, 0, 'f', 1)
                   .arg(double(heap.fordblks) / 1048576, 0, 'f', 1);
#endif
    return figures;
}

} // namespace

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
    int batches = 1;
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
        } else if (a == QLatin1String("--batches")) {
            batches = value().toInt();
        } else if (a == QLatin1String("--out")) {
            start.desktopPath = value();
        } else {
            start.files << a;
        }
    }
    if (start.desktopPath.isEmpty() || start.files.isEmpty() || batches < 1) {
        err << "usage: bench-window [--size WxH | --no-size] [--format NAME] [--quality Q] [--batches N] --out DIR FILE...\n";
        return 2;
    }

    QTemporaryDir windir;
    qputenv("windir", QFile::encodeName(windir.path()));
    saveStoredChoices(windir.filePath(QStringLiteral("quillmorph.ini")), choices);

    QElapsedTimer clock;
    QString finalMessage;
    const UserDialogs platform = platformDialogs();
    frmMain* window = nullptr;
    int completed = 0;
    bool allCompleted = true;
    int colours = 0;
    UserDialogs dialogs;
    dialogs.beep = [] {};
    dialogs.openUrl = [](QWidget*, const QUrl&, const QString&) {};
    dialogs.chooseColour = [&](QWidget*, const QColor&) {
        return std::optional<QColor>(QColor::fromHsv(40 * colours++ % 360, 255, 255));
    };
    dialogs.showWarning = [&](QWidget*, const QString& text) { finalMessage = text; app.quit(); };
    dialogs.showMessage = [&](QWidget*, const QString& text) {
        finalMessage = text;
        app.quit();
    };
    dialogs.showBox = [&](QWidget* parent, const BoxText& box) {
        const QString& text = box.text;
        if (batches == 1 || !text.contains(QStringLiteral("変換終了"))) {
            dialogs.showMessage(parent, text);
            return false;
        }
        out << "batch " << ++completed << ": " << text << " " << memoryFigures() << "\n";
        out.flush();
        allCompleted = allCompleted && text.contains(QStringLiteral("変換終了"));
        // The real box, answered at once as a user pressing Enter would.
        QTimer::singleShot(50, &app, &dismissOpenDialogs);
        platform.showBox(parent, box);
        if (completed < batches) {
            QTimer::singleShot(0, &app, [&] { dropNextBatch(*window, completed, start.files); });
        } else {
            finalMessage = text;
            app.quit();
        }
        return false;
    };
    dialogs.showFailures = [&](QWidget* parent, const BoxText& summary, const QStringList&) {
        dialogs.showMessage(parent, summary.text);
        return false;
    };
    clock.start();
    frmMain mainWindow(start, dialogs);
    window = &mainWindow;
    mainWindow.show();
    app.exec();
    out << "window_seconds " << QString::number(clock.nsecsElapsed() / 1e9, 'f', 3) << "\n"
        << finalMessage << "\n";
    return allCompleted && finalMessage.contains(QStringLiteral("変換終了")) ? 0 : 1;
}
