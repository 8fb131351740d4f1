// bench-eye REF_DIR OUT_DIR: for each picture in REF_DIR (the fitted pixels, written losslessly),
// the output of the same name in OUT_DIR, its bytes and its Butteraugli distance as the engine
// judges it. One line each: name, bytes, distance (tab-separated).
#include "engine/Butteraugli.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <vips/vips8>

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]) || argc != 3) {
        std::fprintf(stderr, "usage: bench-eye REF_DIR OUT_DIR\n");
        return 2;
    }
    const QDir refs(QString::fromLocal8Bit(argv[1]));
    const QDir outs(QString::fromLocal8Bit(argv[2]));
    int status = 0;
    for (const QFileInfo& ref : refs.entryInfoList(QDir::Files, QDir::Name)) {
        const QFileInfoList matches =
            outs.entryInfoList({ref.completeBaseName() + QStringLiteral(".*")}, QDir::Files);
        if (matches.isEmpty()) {
            std::fprintf(stderr, "bench-eye: no output for %s\n", qPrintable(ref.fileName()));
            status = 1;
            continue;
        }
        QFile out(matches.first().filePath());
        if (!out.open(QIODevice::ReadOnly)) {
            status = 1;
            continue;
        }
        const QByteArray bytes = out.readAll();
        const vips::VImage reference =
            vips::VImage::new_from_file(ref.filePath().toLocal8Bit().constData());
        const std::optional<double> d = quillmorph::Butteraugli(reference).distanceTo(bytes);
        std::printf("%s\t%lld\t%.4f\n", qPrintable(ref.completeBaseName()), (long long)bytes.size(),
                    d.value_or(-1));
    }
    return status;
}
