// bench-eye-table REF.png...: for each picture (the fitted pixels, written losslessly) and each
// JPEG quality 78–100, as the engine encodes it: the bytes, the whole picture's Butteraugli
// distance and its sample's (-1 below the size a sample is taken from). One line each: name,
// quality, bytes, whole, sample (space-separated). docs/pilots/quality-by-eye/floor.py replays
// the engine's search on these tables.
#include "engine/Butteraugli.h"
#include "engine/FormatWriters.h"
#include "engine/OutputFormat.h"

#include <QFileInfo>
#include <cstdio>
#include <optional>
#include <vips/vips8>

using namespace quillmorph;

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]) || argc < 2) {
        std::fprintf(stderr, "usage: bench-eye-table REF.png...\n");
        return 2;
    }
    const OutputFormat& jpeg = *outputFormatFor(FormatCode::Jpeg);
    for (int i = 1; i < argc; ++i) {
        const vips::VImage ref = vips::VImage::new_from_file(argv[i]).copy_memory();
        const QByteArray name =
            QFileInfo(QString::fromLocal8Bit(argv[i])).completeBaseName().toUtf8();
        const Butteraugli whole(ref);
        std::optional<SampledButteraugli> sample;
        if (SampledButteraugli::worthSampling(ref.width(), ref.height()))
            sample.emplace(ref);
        for (int q = 78; q <= 100; ++q) {
            const QByteArray bytes = encodedAtQuality(ref, jpeg, q, false);
            const double w = whole.distanceTo(bytes).value_or(-1);
            const double s =
                sample ? sample->distanceTo(encodedAtQuality(sample->sample(), jpeg, q, false))
                             .value_or(-1)
                       : -1;
            std::printf("%s %d %lld %.5f %.5f\n", name.constData(), q, (long long)bytes.size(), w,
                        s);
            std::fflush(stdout);
        }
    }
    return 0;
}
