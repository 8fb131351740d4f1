#include "batch/ConversionCost.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <string_view>

namespace quillmorph {

double workingBytes(const SourceHeader& header, double boxPixels) {
    // These decode at reduced scale, or stream rows, when the result is a small box.
    static const std::array<std::string_view, 6> kShrinking{
        "VipsForeignLoadJpegFile", "VipsForeignLoadPngFile", "VipsForeignLoadWebpFile",
        "VipsForeignLoadTiffFile", "VipsForeignLoadNsgifFile", "VipsForeignLoadSvgFile"};
    const bool shrinks =
        std::find(kShrinking.begin(), kShrinking.end(), header.loader) != kShrinking.end();
    const double pixels = double(header.width) * header.height;
    // A progressive JPEG keeps every coefficient until its last scan, whatever the scale.
    if (header.progressiveJpeg)
        return 6.0 * pixels;
    if (boxPixels > 0 && shrinks)
        return 16.0 * boxPixels;
    return 8.0 * pixels; // decoded, converted and encoded side by side
}

double relativeCost(const SourceHeader& header) {
    // CPU per megapixel into a photo-sized box, measured on desktop wallpapers: a baseline
    // JPEG (shrunk while decoding) is 1; WebP shrinks cheaper still; a progressive JPEG
    // decodes every scan; PNG and the rest decode every pixel.
    double perPixel = 3.0;
    if (header.loader == "VipsForeignLoadJpegFile")
        perPixel = header.progressiveJpeg ? 2.0 : 1.0;
    else if (header.loader == "VipsForeignLoadWebpFile")
        perPixel = 0.7;
    return perPixel * double(header.width) * header.height;
}

double bytesInFlightBudget(double availableBytes) {
    // The floor is the budget a 4 GB machine has run batches with safely; a quarter leaves the
    // rest to the desktop and to what the libraries allocate beside the files' pixels; the cap
    // keeps a large machine's many workers from holding gigabytes for a little more speed.
    return std::clamp(availableBytes / 4.0, kMinBytesInFlight, kMaxBytesInFlight);
}

double availableMemoryBytes() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    // "MemAvailable:   23651232 kB"
    for (QByteArray line = meminfo.readLine(); !line.isEmpty(); line = meminfo.readLine()) {
        if (line.startsWith("MemAvailable:")) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            return fields.size() >= 2 ? fields[1].toDouble() * 1024.0 : 0.0;
        }
    }
    return 0;
}

} // namespace quillmorph
