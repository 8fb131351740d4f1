// Build-time tool: writes the program's icon into a hicolor theme tree,
//   quillmorph_render_icons OUTDIR SIZE...  →  OUTDIR/SIZExSIZE/apps/quillmorph.png
#include "AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        QTextStream(stderr) << "usage: quillmorph_render_icons OUTDIR SIZE...\n";
        return 2;
    }
    for (const QString& sizeText : arguments.mid(2)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            QTextStream(stderr) << "not an icon size: " << sizeText << '\n';
            return 2;
        }
        const QString folder =
            QDir(arguments.at(1)).filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = QDir(folder).filePath(QStringLiteral("quillmorph.png"));
        if (!QDir().mkpath(folder) || !quillmorph::drawAppIcon(size).save(file, "PNG")) {
            QTextStream(stderr) << "cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
