#include "TestImages.h"

#include <QFile>
#include <cstdlib>
#include <vector>

namespace quillmorph::test {

using vips::VImage;

VImage solid(int width, int height, Rgb colour, int alpha) {
    std::vector<double> pixel{double(colour[0]), double(colour[1]), double(colour[2])};
    if (alpha >= 0)
        pixel.push_back(alpha);
    return VImage::black(width, height)
        .new_from_image(pixel)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

VImage noise(int width, int height) {
    const VImage grey = VImage::gaussnoise(width, height);
    // Not grey.bandjoin({grey, grey}): that braced list picks the one-image overload (2 bands).
    return VImage::bandjoin({grey, grey, grey})
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

QString writeImage(const VImage& image, const QString& path) {
    image.write_to_file(QFile::encodeName(path).constData());
    return path;
}

VImage readImage(const QString& path) {
    return VImage::new_from_file((QFile::encodeName(path) + "[]").constData());
}

Rgb pixelAt(const VImage& image, int x, int y) {
    VImage rgb = image;
    if (rgb.bands() < 3)
        rgb = rgb.colourspace(VIPS_INTERPRETATION_sRGB);
    const std::vector<double> p = rgb.getpoint(x, y);
    return {int(p[0]), int(p[1]), int(p[2])};
}

bool near(const Rgb& a, const Rgb& b, int tolerance) {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(a[i] - b[i]) > tolerance)
            return false;
    }
    return true;
}

double colourDistance(const Rgb& a, const Rgb& b) {
    const auto lab = [](const Rgb& c) {
        return solid(1, 1, c).colourspace(VIPS_INTERPRETATION_LAB);
    };
    return lab(a).dE76(lab(b)).getpoint(0, 0)[0];
}

QString writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quillmorph::test
